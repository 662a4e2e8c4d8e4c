// Every static text of the program's windows shows whole in the fonts this
// machine has: each label's text, in the label's own font, fits the label's
// rectangle, and the rectangle lies inside its window. The date labels of
// the form are checked with every kind of text they show.
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QtTest>

#include "CAboutDlg.h"
#include "CConfigDlg.h"
#include "CDatabase.h"
#include "CDateText.h"
#include "CLoadingDlg.h"
#include "CStringList.h"
#include "CVesmarDoc.h"
#include "CVesmarView.h"
#include "TestDb.h"

namespace {

// The labels of window that would clip their text, as "text: needs w x h,
// has w x h" lines; empty when every text shows whole.
QStringList ClippedTexts(QWidget* window)
{
    QStringList clipped;
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        if (label->text().isEmpty() || !label->isVisibleTo(window))
            continue;
        const QSize needed = label->fontMetrics().size(0, label->text());
        const QRect room = label->contentsRect();
        const QRect inWindow(label->mapTo(window, QPoint()), label->size());
        if (needed.width() > room.width() || needed.height() > room.height() || !window->rect().contains(inWindow))
            clipped << QStringLiteral("%1: needs %2 x %3, has %4 x %5 at %6,%7 in %8 x %9")
                           .arg(label->text())
                           .arg(needed.width())
                           .arg(needed.height())
                           .arg(room.width())
                           .arg(room.height())
                           .arg(inWindow.x())
                           .arg(inWindow.y())
                           .arg(window->width())
                           .arg(window->height());
    }
    return clipped;
}

// The form on an empty catalogue and no connection, shown.
struct ShownForm {
    ShownForm() { view.show(); }

    CVesmarDoc doc;
    CDatabase db;
    CStringList catalogue;
    CRecordingSink sink;
    CVesmarView view{&doc, &db, &catalogue, &sink};
};

void TypeInto(QLineEdit* edit, const QString& text)
{
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

} // namespace

class TestStaticTexts : public QObject {
    Q_OBJECT

private slots:
    void formTextsShowWholeInEveryState()
    {
        ShownForm shown;
        CVesmarView& view = shown.view;
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        shown.doc.OnNewDocument();
        view.RefillFromCase();
        QWidget* form = view.widget();
        auto* admissionShown = view.findChild<QLabel*>(QStringLiteral("1041"));
        auto* birthShown = view.findChild<QLabel*>(QStringLiteral("1040"));
        QCOMPARE(admissionShown->text(), QStringLiteral("Admissiondate set to today"));
        QCOMPARE(birthShown->text(), QStringLiteral("Date of birth"));
        QVERIFY2(ClippedTexts(form).isEmpty(), qPrintable(ClippedTexts(form).join(QStringLiteral("; "))));

        // The widest dates: two-digit days and months.
        const QString latest = CDateText().Format(CDateText::FromDate(QDate(2029, 12, 28)));
        TypeInto(view.findChild<QLineEdit*>(QStringLiteral("1035")), latest);
        TypeInto(view.findChild<QLineEdit*>(QStringLiteral("1039")), latest);
        QCOMPARE(birthShown->text(), latest);
        QCOMPARE(admissionShown->text(), latest);
        QVERIFY2(ClippedTexts(form).isEmpty(), qPrintable(ClippedTexts(form).join(QStringLiteral("; "))));

        TypeInto(view.findChild<QLineEdit*>(QStringLiteral("1039")), QStringLiteral("later"));
        QCOMPARE(admissionShown->text(), QStringLiteral("Admissiondate"));
        QVERIFY2(ClippedTexts(form).isEmpty(), qPrintable(ClippedTexts(form).join(QStringLiteral("; "))));
    }

    void radioButtonTextsShowWhole()
    {
        ShownForm shown;
        QVERIFY(QTest::qWaitForWindowExposed(&shown.view));
        const QList<QRadioButton*> radios = shown.view.widget()->findChildren<QRadioButton*>();
        QCOMPARE(radios.size(), 2);
        for (const QRadioButton* radio : radios) {
            // The room beside the round indicator, where the style writes the text.
            QStyleOptionButton option;
            option.initFrom(radio);
            option.text = radio->text();
            const QRect room = radio->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, radio);
            const QSize needed = radio->fontMetrics().size(Qt::TextShowMnemonic, radio->text());
            QVERIFY2(needed.width() <= room.width() && needed.height() <= room.height(),
                     qPrintable(QStringLiteral("%1: needs %2, has %3").arg(radio->text()).arg(needed.width()).arg(room.width())));
        }
    }

    void loadingDialogTextShowsWhole()
    {
        CLoadingDlg dialog;
        dialog.ShowAndPaint();
        QVERIFY(dialog.findChild<QLabel*>(QStringLiteral("1043")));
        QVERIFY2(ClippedTexts(&dialog).isEmpty(), qPrintable(ClippedTexts(&dialog).join(QStringLiteral("; "))));
    }

    void aboutAndConfigurationTextsShowWhole()
    {
        CAboutDlg about;
        about.show();
        QVERIFY2(ClippedTexts(&about).isEmpty(), qPrintable(ClippedTexts(&about).join(QStringLiteral("; "))));
        CRecordingSink sink;
        CConfigDlg configuration(sink);
        configuration.show();
        QVERIFY2(ClippedTexts(&configuration).isEmpty(), qPrintable(ClippedTexts(&configuration).join(QStringLiteral("; "))));
    }
};

QTEST_MAIN(TestStaticTexts)
#include "tst_StaticTexts.moc"
