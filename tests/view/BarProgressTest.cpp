#include <QProgressBar>
#include <QtTest>

#include "CBarProgress.h"

// The engine's arithmetic on the form's bar: it sets a range, reads the
// position and advances it.
class BarProgressTest : public QObject {
    Q_OBJECT

private slots:
    void advancesFromTheLowEndOfANewBar();
    void clampsPositionsToTheRange();
    void newRangeKeepsThePositionWhereItFits();
};

void BarProgressTest::advancesFromTheLowEndOfANewBar()
{
    QProgressBar bar;
    bar.reset(); // a bar never moved: Qt reads it as one below its minimum
    CBarProgress progress(&bar);
    progress.setRange(0, 12);
    QCOMPARE(progress.position(), 0);
    progress.advance(4);
    progress.advance(4);
    QCOMPARE(progress.position(), 8);
    QCOMPARE(bar.value(), 8);
    progress.advance(4);
    QCOMPARE(bar.value(), 12);
}

void BarProgressTest::clampsPositionsToTheRange()
{
    QProgressBar bar;
    CBarProgress progress(&bar);
    progress.setRange(10, 20);
    progress.setPosition(25);
    QCOMPARE(bar.value(), 20);
    progress.setPosition(3);
    QCOMPARE(bar.value(), 10);
    progress.setPosition(15);
    progress.advance(100);
    QCOMPARE(progress.position(), 20);
}

void BarProgressTest::newRangeKeepsThePositionWhereItFits()
{
    QProgressBar bar;
    CBarProgress progress(&bar);
    progress.setRange(0, 100);
    progress.setPosition(60);
    progress.setRange(0, 200);
    QCOMPARE(bar.value(), 60);
    progress.setRange(0, 30);
    QCOMPARE(bar.value(), 30);
    // The next run starts from its own low end.
    progress.setRange(0, 0);
    QCOMPARE(bar.value(), 0);
}

QTEST_MAIN(BarProgressTest)
#include "BarProgressTest.moc"
