// The catalogue's loading dialog: its template, and exact position
// arithmetic with a bounded number of repaints.
#include <QLabel>
#include <QProgressBar>
#include <QtTest>

#include "CLoadingDlg.h"

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

class TestLoadingDlg : public QObject {
    Q_OBJECT

private slots:
    void templateAndText()
    {
        CLoadingDlg dialog;
        QCOMPARE(dialog.objectName(), QStringLiteral("142"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Vesmar"));
        QVERIFY(!dialog.isVisible());
        QVERIFY(!dialog.isModal());
        QVERIFY(!dialog.parentWidget());
        auto* text = dialog.findChild<QLabel*>(QStringLiteral("1043"));
        QVERIFY(text);
        QCOMPARE(text->text(), QStringLiteral("  Loading diagnoses. \nThis may take a while"));
        auto* bar = dialog.findChild<QProgressBar*>(QStringLiteral("1042"));
        QVERIFY(bar);
        QVERIFY(!bar->isTextVisible());
        // A bar without a known total shows empty, not busy.
        QVERIFY(bar->maximum() > bar->minimum());
        QCOMPARE(bar->value(), bar->minimum());

        dialog.ShowAndPaint();
        QVERIFY(dialog.isVisible());
    }

    void fullCatalogueStepsExactlyWithFewRepaints()
    {
        CLoadingDlg dialog;
        dialog.ShowAndPaint();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* bar = dialog.findChild<QProgressBar*>(QStringLiteral("1042"));
        PaintCounter counter;
        bar->installEventFilter(&counter);

        const int total = 95524;
        dialog.SetTotal(total);
        QCOMPARE(dialog.total(), total);
        QCOMPARE(dialog.position(), 0);
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), total);
        for (int i = 0; i < total; ++i) {
            dialog.Step();
            if (i == 4999) {
                QCOMPARE(dialog.position(), 5000);
                // Within a pixel of the true position.
                QVERIFY(5000 - dialog.shownPosition() <= total / bar->width() + 1);
            }
        }
        QCOMPARE(dialog.position(), total);
        QCOMPARE(dialog.shownPosition(), total);
        QVERIFY2(counter.paints <= bar->width() + 2,
                 qPrintable(QStringLiteral("%1 repaints for a bar %2 pixels wide").arg(counter.paints).arg(bar->width())));
        QVERIFY(counter.paints >= 10);
    }

    void smallTotalShowsEveryStep()
    {
        CLoadingDlg dialog;
        dialog.ShowAndPaint();
        dialog.setRange(0, 3);
        for (int expected = 1; expected <= 3; ++expected) {
            dialog.advance(1);
            QCOMPARE(dialog.position(), expected);
            QCOMPARE(dialog.shownPosition(), expected);
        }
    }

    void emptyTableLeavesTheBarAtZero()
    {
        CLoadingDlg dialog;
        dialog.ShowAndPaint();
        dialog.SetTotal(0);
        QCOMPARE(dialog.total(), 0);
        QCOMPARE(dialog.position(), 0);
        QCOMPARE(dialog.shownPosition(), 0);
    }
};

QTEST_MAIN(TestLoadingDlg)
#include "tst_LoadingDlg.moc"
