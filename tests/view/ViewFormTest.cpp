#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QFocusFrame>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <climits>
#include <cstdio>

#include "CatalogueLoader.h"
#include "CDateText.h"
#include "CDialogUnits.h"
#include "CRegistry.h"
#include "QtText.h"
#include "StringTable.h"
#include "ViewTestSupport.h"

using namespace viewtest;

namespace {

constexpr double kMarch1st2004 = 38047.0;

// A small catalogue, deliberately out of order and with entries in both
// letter cases, so that the lists' own ordering shows.
CStringList FixtureCatalogue()
{
    CStringList list;
    for (const auto& [code, text] : std::initializer_list<std::pair<const char*, const char*>>{
             {"J18.9", "Pneumonia, unspecified organism"},
             {"A00", "Cholera"},
             {"J18.0", "Bronchopneumonia, unspecified organism"},
             {"b01", "lower-case entry"},
             {"J10.1", "Influenza with other respiratory manifestations"},
             {"I10", "Essential (primary) hypertension"},
             {"B00", "Herpesviral infections"},
             {"K35.8", "Other acute appendicitis, caf\xe9"},
             {"E11.9", "Type 2 diabetes mellitus without complications"},
         })
        list.AddTail(CatalogueEntry(code, text));
    return list;
}

QString Entry(const char* code, const char* text)
{
    return ToQString(CatalogueEntry(code, text));
}

double DayOf(const QDate& date)
{
    return double(date.toJulianDay() - QDate(1899, 12, 30).toJulianDay());
}

// Spellings of 1 March 2004 in the locale the test runs under, and how the
// form shows that day.
struct LocaleDates {
    QStringList spellings;
    QString shown;
    QString pattern;
};

LocaleDates DatesOfThisLocale()
{
    const QString name = QLocale::system().name();
    if (name == QLatin1String("en_US"))
        return {{"3/1/2004", "03/01/04", "3/1/04", "Monday, March 1, 2004", "2004-03-01"}, "3/1/2004", "M/d/yyyy"};
    if (name == QLatin1String("de_DE"))
        return {{"01.03.2004", "1.3.04", "1.3.2004", QString::fromUtf8("Montag, 1. März 2004"), "2004-03-01"},
                "01.03.2004",
                "dd.MM.yyyy"};
    qFatal("run under LANG=en_US.UTF-8 or de_DE.UTF-8, not %s", qPrintable(name));
}

} // namespace

class ViewFormTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void freshStartShowsAnEmptyCase();
    void everyControlHasItsIdTextAndPlace();
    void tabWalksTheTemplateOrder();
    void formScrollsInASmallWindow();
    void listsAreSortedIgnoringCaseAndScrollWide();

    void searchJumpsToTheFirstEntryBeginningWithTheText();
    void searchMissesAndEmptyTextLeaveNoSelection();

    void doubleClickAddsAndRemovesDuplicates();
    void withoutSelectionListMovesDoNothing();
    void arrowsMoveExactlyTheSelectedEntry();

    void datesInTheLocalesSpellings();
    void nonDateKeepsTheLastAcceptedDate();
    void twoDigitYearsBothSidesOfTheWindow();
    void userEditsOfSexAndDatesMarkTheCaseModified();

    void durationReadsLikeAtoi_data();
    void durationReadsLikeAtoi();

    void refillAfterNewKeepsSearchAndDischarge();
    void refillShowsSetDatesAndPromptsForUnsetOnes();
    void refillAfterOpenOfAFile();
    void refillRejectsAStoredInvalidDateMarkedSet();

    void listKeysChooseAndRemoveLikeDoubleClicks();
    void enterInAFieldPressesProcess();
    void tabGoesRoundTheControlsAndNothingElse();
    void focusIsVisibleOnEveryControl();
    void newCaseStartsInTheSearchField();
    void listsAndReportGrowWithTheWindow();
    void searchHitHeadsTheList();
    void listsAndReportInAFixedPitch();

private:
    // Makes the form's window the active one, so that the keyboard focus is real.
    void activate();
    std::unique_ptr<CFormFixture> m_f;
    CVesmarView* view() { return &m_f->View(); }
};

void ViewFormTest::init()
{
    m_f = std::make_unique<CFormFixture>(FixtureCatalogue());
}

void ViewFormTest::cleanup()
{
    m_f.reset();
}

void ViewFormTest::freshStartShowsAnEmptyCase()
{
    const LocaleDates dates = DatesOfThisLocale();
    std::string pattern;
    QVERIFY(CRegistry().GetShortDateFormat(pattern));
    QCOMPARE(ToQString(pattern), dates.pattern);
    QCOMPARE(view()->GetDateFormat(), pattern);

    QCOMPARE(Control<QLineEdit>(view(), "1035")->text(), dates.pattern);
    QCOMPARE(Control<QLabel>(view(), "1040")->text(), QStringLiteral("Date of birth"));
    QVERIFY(!view()->IsBirthdateOk());
    QCOMPARE(m_f->doc.IsBirthDateSet(), 0);

    const QString today = QLocale::system().toString(QDate::currentDate(), dates.pattern);
    QCOMPARE(Control<QLineEdit>(view(), "1039")->text(), today);
    QCOMPARE(Control<QLabel>(view(), "1041")->text(), QStringLiteral("Admissiondate set to today"));
    QVERIFY(view()->IsAdmissionOk());
    QCOMPARE(m_f->doc.IsAdmissionDateSet(), 1);
    QCOMPARE(m_f->doc.GetAdmissionDate(), (DateValue{DayOf(QDate::currentDate()), DateValue::valid}));

    QVERIFY(Control<QRadioButton>(view(), "1012")->isChecked());
    QVERIFY(!Control<QRadioButton>(view(), "1013")->isChecked());
    QVERIFY(ListTexts(Control<QListView>(view(), "1006")).isEmpty());
    QVERIFY(ListTexts(Control<QListView>(view(), "1007")).isEmpty());
    QCOMPARE(ListTexts(Control<QListView>(view(), "1001")).size(), 9);
    QCOMPARE(SelectedRow(Control<QListView>(view(), "1001")), -1);

    auto* combo = Control<QComboBox>(view(), "1019");
    QVERIFY(combo->isEditable());
    QCOMPARE(combo->currentIndex(), -1);
    QCOMPARE(combo->currentText(), QString());
    QCOMPARE(combo->count(), 4);
    QCOMPARE(combo->itemText(0), QStringLiteral(" Not Discharged?"));
    QCOMPARE(combo->itemText(1), QStringLiteral("E - Exitus"));
    QCOMPARE(combo->itemText(2), QStringLiteral("R - Remission"));
    QCOMPARE(combo->itemText(3), QStringLiteral("L - Left against medical advice"));

    QCOMPARE(Control<QLineEdit>(view(), "1000")->text(), QString());
    QCOMPARE(Control<QLineEdit>(view(), "1023")->text(), QString());
    QCOMPARE(view()->GetDuration(), 0);
    QCOMPARE(Control<QPlainTextEdit>(view(), "1011")->toPlainText(), QString());
    QVERIFY(Control<QPushButton>(view(), "1010")->isEnabled());
    QVERIFY(!m_f->doc.IsModified());
}

void ViewFormTest::everyControlHasItsIdTextAndPlace()
{
    QWidget* form = view()->widget();
    QVERIFY(form);
    const CDialogUnits units(form->font());
    // The template's look, in a window of the template's size.
    view()->resize(units.size(510, 315));
    QCoreApplication::processEvents();
    QCOMPARE(form->size(), units.size(510, 315));

    struct Placed {
        const char* id;
        int x, y, w, h;
    };
    // The closed combo's height is its font's, not the template's 60.
    for (const Placed& c : {Placed{"1000", 13, 68, 62, 14}, Placed{"1001", 88, 68, 395, 65},
                            Placed{"1006", 13, 151, 217, 65}, Placed{"1007", 266, 151, 217, 65},
                            Placed{"1008", 240, 162, 18, 14}, Placed{"1009", 240, 186, 18, 14},
                            Placed{"1010", 188, 230, 50, 14}, Placed{"1011", 13, 249, 476, 59},
                            Placed{"1012", 279, 26, 31, 10}, Placed{"1013", 279, 38, 39, 10},
                            Placed{"1017", 257, 230, 80, 14}, Placed{"1023", 393, 35, 50, 12},
                            Placed{"1035", 67, 17, 63, 12}, Placed{"1039", 67, 35, 63, 12}}) {
        auto* control = Control<QWidget>(view(), c.id);
        QCOMPARE(control->parentWidget(), form);
        QCOMPARE(control->geometry(), units.rect(c.x, c.y, c.w, c.h));
    }
    // A static text has its template place, widened only as far as the
    // machine's font needs for the texts it shows.
    const QString latest = CDateText().Format(CDateText::FromDate(QDate(2029, 12, 28)));
    const QStringList birthTexts{"Date of birth", latest};
    const QStringList admissionTexts{"Admissiondate", "Admissiondate set to today", latest};
    for (const Placed& c : {Placed{"1037", 14, 20, 31, 8}, Placed{"1038", 14, 38, 34, 8},
                            Placed{"1040", 140, 17, 82, 12}, Placed{"1041", 140, 35, 84, 12}}) {
        auto* label = Control<QLabel>(view(), c.id);
        QCOMPARE(label->parentWidget(), form);
        QSize needed = label->fontMetrics().size(0, label->text());
        const QByteArray id(c.id);
        for (const QString& text : id == "1040" ? birthTexts : id == "1041" ? admissionTexts : QStringList())
            needed = needed.expandedTo(label->fontMetrics().size(0, text));
        const QRect placed = units.rect(c.x, c.y, c.w, c.h);
        QCOMPARE(label->geometry(), QRect(placed.topLeft(), placed.size().expandedTo(needed)));
    }
    QCOMPARE(Control<QComboBox>(view(), "1019")->geometry().topLeft(), units.rect(374, 16, 114, 60).topLeft());
    QCOMPARE(Control<QComboBox>(view(), "1019")->width(), units.x(114));

    QCOMPARE(Control<QPushButton>(view(), "1008")->text(), QStringLiteral("->"));
    QCOMPARE(Control<QPushButton>(view(), "1009")->text(), QStringLiteral("<-"));
    QCOMPARE(Control<QPushButton>(view(), "1010")->text(), QStringLiteral("Process"));
    QVERIFY(Control<QPushButton>(view(), "1010")->isDefault());
    QCOMPARE(Control<QRadioButton>(view(), "1012")->text(), QStringLiteral("Male"));
    QCOMPARE(Control<QRadioButton>(view(), "1013")->text(), QStringLiteral("Female"));
    QCOMPARE(Control<QLabel>(view(), "1037")->text(), QStringLiteral("Birthdate:"));
    QCOMPARE(Control<QLabel>(view(), "1038")->text(), QStringLiteral("Admission:"));
    QVERIFY(Control<QPlainTextEdit>(view(), "1011")->isReadOnly());
    QCOMPARE(Control<QPlainTextEdit>(view(), "1011")->lineWrapMode(), QPlainTextEdit::NoWrap);
    QCOMPARE(Control<QProgressBar>(view(), "1017")->value(), 0);

    // The labels without an id, in their places.
    QStringList labels;
    for (const QLabel* label : form->findChildren<QLabel*>())
        if (label->objectName().isEmpty())
            labels << label->text();
    labels.sort();
    QCOMPARE(labels, (QStringList{"Chosen diagnoses", "Diagnoses that can only be bidiagnoses", "Discharge:",
                                  "Duration in days:", "Gender:", "ICD-10", "Result", "Search"}));
}

void ViewFormTest::tabWalksTheTemplateOrder()
{
    const QStringList expected{"1000", "1001", "1006", "1007", "1008", "1009",
                               "1010", "1011", "1019", "1023", "1035", "1039"};
    QStringList walked;
    QWidget* start = Control<QWidget>(view(), "1000");
    QWidget* w = start;
    do {
        const bool tabbable = (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisible();
        if (tabbable && !w->objectName().isEmpty() && w->objectName().front().isDigit())
            walked << w->objectName();
        w = w->nextInFocusChain();
    } while (w != start && walked.size() < 20);
    QCOMPARE(walked, expected);
}

void ViewFormTest::formScrollsInASmallWindow()
{
    view()->resize(300, 200);
    QCoreApplication::processEvents();
    QVERIFY(view()->horizontalScrollBar()->maximum() > 0);
    QVERIFY(view()->verticalScrollBar()->maximum() > 0);
    view()->resize(view()->widget()->width() + 50, view()->widget()->height() + 50);
    QCoreApplication::processEvents();
    QCOMPARE(view()->horizontalScrollBar()->maximum(), 0);
    QCOMPARE(view()->verticalScrollBar()->maximum(), 0);
}

void ViewFormTest::listsAreSortedIgnoringCaseAndScrollWide()
{
    auto* catalogue = Control<QListView>(view(), "1001");
    QCOMPARE(ListTexts(catalogue),
             (QStringList{Entry("A00", "Cholera"), Entry("B00", "Herpesviral infections"),
                          Entry("b01", "lower-case entry"),
                          Entry("E11.9", "Type 2 diabetes mellitus without complications"),
                          Entry("I10", "Essential (primary) hypertension"),
                          Entry("J10.1", "Influenza with other respiratory manifestations"),
                          Entry("J18.0", "Bronchopneumonia, unspecified organism"),
                          Entry("J18.9", "Pneumonia, unspecified organism"),
                          Entry("K35.8", "Other acute appendicitis, caf\xe9")}));
    QVERIFY(ListTexts(catalogue).last().endsWith(QString::fromUtf8("café")));

    for (const char* id : {"1001", "1006", "1007"}) {
        auto* list = Control<QListView>(view(), id);
        QCOMPARE(list->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QVERIFY(list->uniformItemSizes());
    }
    catalogue->doItemsLayout();
    QCoreApplication::processEvents();
    QCOMPARE(catalogue->horizontalScrollBar()->maximum() + catalogue->viewport()->width(), 900);
}

void ViewFormTest::searchJumpsToTheFirstEntryBeginningWithTheText()
{
    auto* search = Control<QLineEdit>(view(), "1000");
    auto* catalogue = Control<QListView>(view(), "1001");
    const QStringList before = ListTexts(catalogue);

    QTest::keyClicks(search, "j1");
    QCOMPARE(SelectedRow(catalogue), before.indexOf(Entry("J10.1", "Influenza with other respiratory manifestations")));
    QTest::keyClicks(search, "8");
    QCOMPARE(SelectedRow(catalogue), before.indexOf(Entry("J18.0", "Bronchopneumonia, unspecified organism")));
    TypeInto(search, "J18.9");
    QCOMPARE(SelectedRow(catalogue), before.indexOf(Entry("J18.9", "Pneumonia, unspecified organism")));
    // Case ignored both ways: a lower-case entry found by upper case.
    TypeInto(search, "B01");
    QCOMPARE(SelectedRow(catalogue), before.indexOf(Entry("b01", "lower-case entry")));
    // A jump, not a filter.
    QCOMPARE(ListTexts(catalogue), before);
}

void ViewFormTest::searchMissesAndEmptyTextLeaveNoSelection()
{
    auto* search = Control<QLineEdit>(view(), "1000");
    auto* catalogue = Control<QListView>(view(), "1001");
    TypeInto(search, "J18");
    QVERIFY(SelectedRow(catalogue) >= 0);
    QTest::keyClicks(search, "x");
    QCOMPARE(SelectedRow(catalogue), -1);

    TypeInto(search, "I10");
    QVERIFY(SelectedRow(catalogue) >= 0);
    // A word of a diagnosis text that is not at the start of an entry.
    TypeInto(search, "Pneumonia");
    QCOMPARE(SelectedRow(catalogue), -1);

    TypeInto(search, "A");
    QVERIFY(SelectedRow(catalogue) >= 0);
    QTest::keyClick(search, Qt::Key_Backspace);
    QCOMPARE(search->text(), QString());
    QCOMPARE(SelectedRow(catalogue), -1);
    QCOMPARE(ListTexts(catalogue).size(), 9);
}

void ViewFormTest::doubleClickAddsAndRemovesDuplicates()
{
    auto* catalogue = Control<QListView>(view(), "1001");
    auto* chosen = Control<QListView>(view(), "1006");
    TypeInto(Control<QLineEdit>(view(), "1000"), "J18.9");
    const int row = SelectedRow(catalogue);
    DoubleClickRow(catalogue, row);
    QVERIFY(m_f->doc.IsModified());
    DoubleClickRow(catalogue, row);
    const std::string entry = CatalogueEntry("J18.9", "Pneumonia, unspecified organism");
    QCOMPARE(ListTexts(chosen), (QStringList{ToQString(entry), ToQString(entry)}));
    QCOMPARE(m_f->doc.GetChosenList().GetCount(), std::size_t(2));
    QCOMPARE(m_f->doc.GetChosenList().GetAt(1), entry);
    QCOMPARE(ListTexts(catalogue).size(), 9);

    m_f->doc.SetModifiedFlag(false);
    DoubleClickRow(chosen, 1);
    QCOMPARE(ListTexts(chosen), QStringList{ToQString(entry)});
    QCOMPARE(m_f->doc.GetChosenList().GetCount(), std::size_t(1));
    QVERIFY(m_f->doc.IsModified());
    QCOMPARE(SelectedRow(chosen), -1);
}

void ViewFormTest::withoutSelectionListMovesDoNothing()
{
    TypeInto(Control<QLineEdit>(view(), "1000"), "I10");
    view()->OnDblclkCatalogue();
    TypeInto(Control<QLineEdit>(view(), "1000"), "zzz");
    m_f->doc.SetModifiedFlag(false);

    view()->OnDblclkCatalogue();
    QTest::mouseClick(Control<QPushButton>(view(), "1008"), Qt::LeftButton);
    QTest::mouseClick(Control<QPushButton>(view(), "1009"), Qt::LeftButton);
    view()->OnDblclkChosen();
    view()->OnDblclkBi();

    QCOMPARE(ListTexts(Control<QListView>(view(), "1006")).size(), 1);
    QVERIFY(ListTexts(Control<QListView>(view(), "1007")).isEmpty());
    QCOMPARE(m_f->doc.GetChosenList().GetCount(), std::size_t(1));
    QVERIFY(m_f->doc.GetBiList().IsEmpty());
    QVERIFY(!m_f->doc.IsModified());
}

void ViewFormTest::arrowsMoveExactlyTheSelectedEntry()
{
    auto* search = Control<QLineEdit>(view(), "1000");
    auto* catalogue = Control<QListView>(view(), "1001");
    auto* chosen = Control<QListView>(view(), "1006");
    auto* bi = Control<QListView>(view(), "1007");
    for (const char* code : {"K35.8", "A00", "J18.9", "E11.9"}) {
        TypeInto(search, code);
        DoubleClickRow(catalogue, SelectedRow(catalogue));
    }
    const QString a00 = Entry("A00", "Cholera");
    const QString e119 = Entry("E11.9", "Type 2 diabetes mellitus without complications");
    const QString j189 = Entry("J18.9", "Pneumonia, unspecified organism");
    const QString k358 = Entry("K35.8", "Other acute appendicitis, caf\xe9");
    QCOMPARE(ListTexts(chosen), (QStringList{a00, e119, j189, k358}));

    ClickRow(chosen, 2);
    QTest::mouseClick(Control<QPushButton>(view(), "1008"), Qt::LeftButton);
    ClickRow(chosen, 0);
    QTest::mouseClick(Control<QPushButton>(view(), "1008"), Qt::LeftButton);
    QCOMPARE(ListTexts(chosen), (QStringList{e119, k358}));
    QCOMPARE(ListTexts(bi), (QStringList{a00, j189}));
    QCOMPARE(SelectedRow(chosen), -1);
    // The document keeps the order of adding, the lists their sorted order.
    QCOMPARE(ToQString(m_f->doc.GetChosenList().GetAt(0)), k358);
    QCOMPARE(ToQString(m_f->doc.GetChosenList().GetAt(1)), e119);
    QCOMPARE(ToQString(m_f->doc.GetBiList().GetAt(0)), j189);
    QCOMPARE(ToQString(m_f->doc.GetBiList().GetAt(1)), a00);

    // Back with "<-", and the same text may stand in both lists.
    ClickRow(bi, 1);
    QTest::mouseClick(Control<QPushButton>(view(), "1009"), Qt::LeftButton);
    QCOMPARE(ListTexts(chosen), (QStringList{e119, j189, k358}));
    QCOMPARE(ListTexts(bi), QStringList{a00});
    TypeInto(search, "A00");
    DoubleClickRow(catalogue, SelectedRow(catalogue));
    QCOMPARE(ListTexts(chosen), (QStringList{a00, e119, j189, k358}));
    QCOMPARE(ListTexts(bi), QStringList{a00});
    DoubleClickRow(bi, 0);
    QVERIFY(ListTexts(bi).isEmpty());
    QVERIFY(m_f->doc.GetBiList().IsEmpty());
    QCOMPARE(m_f->doc.GetChosenList().GetCount(), std::size_t(4));
}

void ViewFormTest::datesInTheLocalesSpellings()
{
    const LocaleDates dates = DatesOfThisLocale();
    auto* birth = Control<QLineEdit>(view(), "1035");
    auto* admission = Control<QLineEdit>(view(), "1039");
    for (const QString& spelling : dates.spellings) {
        TypeInto(birth, spelling);
        QCOMPARE(Control<QLabel>(view(), "1040")->text(), dates.shown);
        QVERIFY(view()->IsBirthdateOk());
        QCOMPARE(m_f->doc.IsBirthDateSet(), 1);
        QCOMPARE(m_f->doc.GetBirthDate(), (DateValue{kMarch1st2004, DateValue::valid}));

        TypeInto(admission, spelling);
        QCOMPARE(Control<QLabel>(view(), "1041")->text(), dates.shown);
        QVERIFY(view()->IsAdmissionOk());
        QCOMPARE(m_f->doc.IsAdmissionDateSet(), 1);
        QCOMPARE(m_f->doc.GetAdmissionDate(), (DateValue{kMarch1st2004, DateValue::valid}));
    }
}

void ViewFormTest::nonDateKeepsTheLastAcceptedDate()
{
    const LocaleDates dates = DatesOfThisLocale();
    auto* birth = Control<QLineEdit>(view(), "1035");
    auto* admission = Control<QLineEdit>(view(), "1039");
    TypeInto(birth, "2004-03-01");
    TypeInto(admission, "2004-03-01");

    TypeInto(birth, "soon");
    QCOMPARE(Control<QLabel>(view(), "1040")->text(), QStringLiteral("Date of birth"));
    QVERIFY(!view()->IsBirthdateOk());
    QCOMPARE(m_f->doc.IsBirthDateSet(), 0);
    QCOMPARE(m_f->doc.GetBirthDate(), (DateValue{kMarch1st2004, DateValue::valid}));

    TypeInto(admission, "");
    QCOMPARE(Control<QLabel>(view(), "1041")->text(), QStringLiteral("Admissiondate"));
    QVERIFY(!view()->IsAdmissionOk());
    QCOMPARE(m_f->doc.IsAdmissionDateSet(), 0);
    QCOMPARE(m_f->doc.GetAdmissionDate(), (DateValue{kMarch1st2004, DateValue::valid}));

    // While typing, the label follows each partial text.
    birth->clear();
    QString typed;
    for (const QChar c : dates.shown) {
        QTest::sendKeyEvent(QTest::Click, birth, Qt::Key_unknown, QString(c), Qt::NoModifier);
        typed += c;
        const bool whole = typed == dates.shown;
        if (whole)
            QCOMPARE(Control<QLabel>(view(), "1040")->text(), dates.shown);
        else if (typed.size() < 4)
            QCOMPARE(Control<QLabel>(view(), "1040")->text(), QStringLiteral("Date of birth"));
    }
    QVERIFY(view()->IsBirthdateOk());
}

void ViewFormTest::twoDigitYearsBothSidesOfTheWindow()
{
    const bool us = QLocale::system().name() == QLatin1String("en_US");
    auto* birth = Control<QLineEdit>(view(), "1035");
    TypeInto(birth, us ? "12/31/29" : "31.12.29");
    QCOMPARE(m_f->doc.GetBirthDate().m_dt, DayOf(QDate(2029, 12, 31)));
    QCOMPARE(Control<QLabel>(view(), "1040")->text(), us ? QStringLiteral("12/31/2029") : QStringLiteral("31.12.2029"));
    TypeInto(birth, us ? "1/1/30" : "01.01.30");
    QCOMPARE(m_f->doc.GetBirthDate().m_dt, DayOf(QDate(1930, 1, 1)));
    QCOMPARE(Control<QLabel>(view(), "1040")->text(), us ? QStringLiteral("1/1/1930") : QStringLiteral("01.01.1930"));
}

void ViewFormTest::userEditsOfSexAndDatesMarkTheCaseModified()
{
    QVERIFY(!m_f->doc.IsModified());
    QTest::mouseClick(Control<QRadioButton>(view(), "1013"), Qt::LeftButton);
    QVERIFY(!m_f->doc.IsMale());
    QVERIFY(m_f->doc.IsModified());
    QTest::mouseClick(Control<QRadioButton>(view(), "1012"), Qt::LeftButton);
    QVERIFY(m_f->doc.IsMale());

    m_f->doc.SetModifiedFlag(false);
    TypeInto(Control<QLineEdit>(view(), "1035"), "1950-06-15");
    QVERIFY(m_f->doc.IsModified());

    m_f->doc.SetModifiedFlag(false);
    TypeInto(Control<QLineEdit>(view(), "1039"), "2024-02-01");
    QVERIFY(m_f->doc.IsModified());

    // The duration is not part of the case.
    m_f->doc.SetModifiedFlag(false);
    TypeInto(Control<QLineEdit>(view(), "1023"), "5");
    QVERIFY(!m_f->doc.IsModified());
}

void ViewFormTest::durationReadsLikeAtoi_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("duration");
    QTest::newRow("digits") << "12" << 12;
    QTest::newRow("digits then letters") << "12abc" << 12;
    QTest::newRow("letters") << "abc" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("minus") << "-3" << -3;
    QTest::newRow("plus") << "+4" << 4;
    QTest::newRow("leading blank") << " 7" << 7;
    QTest::newRow("blank inside") << "1 2" << 1;
    QTest::newRow("decimal") << "2.9" << 2;
    QTest::newRow("sign alone") << "-" << 0;
    QTest::newRow("two signs") << "--3" << 0;
    QTest::newRow("int min") << "-2147483648" << INT_MIN;
    QTest::newRow("int max") << "2147483647" << INT_MAX;
    QTest::newRow("just beyond") << "2147483648" << INT_MAX;
    QTest::newRow("too large") << "99999999999" << INT_MAX;
    QTest::newRow("too small") << "-99999999999" << INT_MIN;
}

void ViewFormTest::durationReadsLikeAtoi()
{
    QFETCH(QString, text);
    QFETCH(int, duration);
    TypeInto(Control<QLineEdit>(view(), "1023"), text);
    QCOMPARE(view()->GetDuration(), duration);
}

void ViewFormTest::refillAfterNewKeepsSearchAndDischarge()
{
    TypeInto(Control<QLineEdit>(view(), "1000"), "J18");
    Control<QComboBox>(view(), "1019")->setCurrentIndex(2);
    TypeInto(Control<QLineEdit>(view(), "1023"), "9");
    TypeInto(Control<QLineEdit>(view(), "1035"), "1950-06-15");
    QTest::mouseClick(Control<QRadioButton>(view(), "1013"), Qt::LeftButton);
    view()->OnDblclkCatalogue();
    Control<QPlainTextEdit>(view(), "1011")->setPlainText("old report");

    m_f->NewCase();
    QCOMPARE(Control<QLineEdit>(view(), "1000")->text(), QStringLiteral("J18"));
    QCOMPARE(Control<QComboBox>(view(), "1019")->currentIndex(), 2);
    QCOMPARE(Control<QLineEdit>(view(), "1023")->text(), QString());
    QCOMPARE(view()->GetDuration(), 0);
    QCOMPARE(Control<QPlainTextEdit>(view(), "1011")->toPlainText(), QString());
    QVERIFY(ListTexts(Control<QListView>(view(), "1006")).isEmpty());
    QVERIFY(Control<QRadioButton>(view(), "1012")->isChecked());
    QCOMPARE(Control<QLineEdit>(view(), "1035")->text(), DatesOfThisLocale().pattern);
    QVERIFY(!view()->IsBirthdateOk());
    QCOMPARE(Control<QLabel>(view(), "1041")->text(), QStringLiteral("Admissiondate set to today"));
    QVERIFY(!m_f->doc.IsModified());
}

void ViewFormTest::refillShowsSetDatesAndPromptsForUnsetOnes()
{
    const LocaleDates dates = DatesOfThisLocale();
    CVesmarDoc& doc = m_f->doc;
    doc.SetBirthDate({kMarch1st2004 + 0.5, DateValue::valid});
    doc.SetBirthDateSet(1);
    doc.SetAdmissionDate({kMarch1st2004 + 3, DateValue::valid});
    doc.SetAdmissionDateSet(1);
    doc.SetMale(false);
    doc.AddChosenDiagnosis(CatalogueEntry("J18.9", "Pneumonia, unspecified organism"));
    doc.AddChosenDiagnosis(CatalogueEntry("A00", "Cholera"));
    doc.AddBiDiagnosis(CatalogueEntry("I10", "Essential (primary) hypertension"));
    doc.SetModifiedFlag(false);

    view()->RefillFromCase();
    QCOMPARE(Control<QLineEdit>(view(), "1035")->text(), dates.shown);
    QCOMPARE(Control<QLabel>(view(), "1040")->text(), dates.shown);
    QVERIFY(view()->IsBirthdateOk());
    // Read back from the shown text: the time of day is gone.
    QCOMPARE(doc.GetBirthDate(), (DateValue{kMarch1st2004, DateValue::valid}));
    const QString admission = QLocale::system().toString(QDate(2004, 3, 4), dates.pattern);
    QCOMPARE(Control<QLineEdit>(view(), "1039")->text(), admission);
    QCOMPARE(Control<QLabel>(view(), "1041")->text(), admission);
    QVERIFY(view()->IsAdmissionOk());
    QVERIFY(Control<QRadioButton>(view(), "1013")->isChecked());
    QCOMPARE(ListTexts(Control<QListView>(view(), "1006")),
             (QStringList{Entry("A00", "Cholera"), Entry("J18.9", "Pneumonia, unspecified organism")}));
    QCOMPARE(ListTexts(Control<QListView>(view(), "1007")), QStringList{Entry("I10", "Essential (primary) hypertension")});
    QVERIFY(!doc.IsModified());

    // Flags 0: the pattern as a hint, and today for the admission.
    doc.SetBirthDateSet(0);
    doc.SetAdmissionDateSet(0);
    view()->RefillFromCase();
    QCOMPARE(Control<QLineEdit>(view(), "1035")->text(), dates.pattern);
    QCOMPARE(Control<QLabel>(view(), "1040")->text(), QStringLiteral("Date of birth"));
    QCOMPARE(doc.IsBirthDateSet(), 0);
    QCOMPARE(doc.GetBirthDate(), (DateValue{kMarch1st2004, DateValue::valid}));
    QCOMPARE(Control<QLabel>(view(), "1041")->text(), QStringLiteral("Admissiondate set to today"));
    QCOMPARE(doc.GetAdmissionDate().m_dt, DayOf(QDate::currentDate()));
    QCOMPARE(doc.IsAdmissionDateSet(), 1);
    QVERIFY(!doc.IsModified());

    // Twice in a row with the edit already showing today: the handler still
    // runs and accepts the date again.
    doc.SetAdmissionDate({kMarch1st2004, DateValue::valid});
    doc.SetAdmissionDateSet(0);
    view()->RefillFromCase();
    QCOMPARE(doc.GetAdmissionDate().m_dt, DayOf(QDate::currentDate()));
    QCOMPARE(doc.IsAdmissionDateSet(), 1);
}

void ViewFormTest::refillAfterOpenOfAFile()
{
    const LocaleDates dates = DatesOfThisLocale();
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::string withBirth = dir.filePath("withbirth.drg").toStdString();
    const std::string withoutBirth = dir.filePath("withoutbirth.drg").toStdString();
    {
        CVesmarDoc source;
        source.AddChosenDiagnosis(CatalogueEntry("E11.9", "Type 2 diabetes mellitus without complications"));
        source.SetMale(false);
        source.SetBirthDate({kMarch1st2004, DateValue::valid});
        source.SetAdmissionDate({kMarch1st2004 + 10, DateValue::valid});
        source.SetBirthDateSet(1);
        QVERIFY(source.OnSaveDocument(withBirth, m_f->sink));
        source.SetBirthDateSet(0);
        QVERIFY(source.OnSaveDocument(withoutBirth, m_f->sink));
    }
    TypeInto(Control<QLineEdit>(view(), "1023"), "4");

    QCOMPARE(m_f->doc.OnOpenDocument(withBirth, m_f->sink), CVesmarDoc::OpenResult::Opened);
    view()->RefillFromCase();
    QCOMPARE(Control<QLineEdit>(view(), "1035")->text(), dates.shown);
    QCOMPARE(Control<QLabel>(view(), "1040")->text(), dates.shown);
    QVERIFY(view()->IsBirthdateOk());
    QVERIFY(Control<QRadioButton>(view(), "1013")->isChecked());
    QCOMPARE(ListTexts(Control<QListView>(view(), "1006")),
             QStringList{Entry("E11.9", "Type 2 diabetes mellitus without complications")});
    QCOMPARE(Control<QLineEdit>(view(), "1023")->text(), QString());
    QCOMPARE(view()->GetDuration(), 0);
    QVERIFY(!m_f->doc.IsModified());

    QCOMPARE(m_f->doc.OnOpenDocument(withoutBirth, m_f->sink), CVesmarDoc::OpenResult::Opened);
    view()->RefillFromCase();
    QCOMPARE(Control<QLineEdit>(view(), "1035")->text(), dates.pattern);
    QCOMPARE(Control<QLabel>(view(), "1040")->text(), QStringLiteral("Date of birth"));
    QVERIFY(!view()->IsBirthdateOk());
    QVERIFY(m_f->sink.messages.empty());
}

void ViewFormTest::refillRejectsAStoredInvalidDateMarkedSet()
{
    m_f->doc.SetBirthDate({kMarch1st2004, DateValue::invalid});
    m_f->doc.SetBirthDateSet(1);
    view()->RefillFromCase();
    QCOMPARE(Control<QLineEdit>(view(), "1035")->text(), QString());
    QCOMPARE(Control<QLabel>(view(), "1040")->text(), QStringLiteral("Date of birth"));
    QVERIFY(!view()->IsBirthdateOk());
    QCOMPARE(m_f->doc.IsBirthDateSet(), 0);
}

namespace {

// The form's control that holds the keyboard focus (the combo for its own
// edit field); null when the focus is outside the form.
QWidget* FocusedControl(const CVesmarView* view)
{
    QWidget* focused = QApplication::focusWidget();
    while (focused && focused->parentWidget() != view->widget())
        focused = focused->parentWidget();
    return focused;
}

QString FocusedId(const CVesmarView* view)
{
    const QWidget* focused = FocusedControl(view);
    return focused ? focused->objectName() : QStringLiteral("<none>");
}

// A key pressed on whatever holds the focus, as the keyboard delivers it.
void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget* focused = QApplication::focusWidget();
    if (!focused)
        qFatal("no widget has the keyboard focus");
    QTest::keyClick(focused, key, modifiers);
}

// A catalogue long enough to scroll: A00.0 ... Z99.9-like codes in order.
CStringList LongCatalogue()
{
    CStringList list;
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        for (int n = 0; n < 40; ++n) {
            char code[8];
            std::snprintf(code, sizeof code, "%c%02d.%d", letter, n / 4, n % 4);
            list.AddTail(CatalogueEntry(code, "Entry of a long catalogue"));
        }
    return list;
}

} // namespace

void ViewFormTest::activate()
{
    view()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(view()));
}

void ViewFormTest::listKeysChooseAndRemoveLikeDoubleClicks()
{
    activate();
    auto* search = Control<QLineEdit>(view(), "1000");
    auto* chosen = Control<QListView>(view(), "1006");
    auto* bi = Control<QListView>(view(), "1007");
    const QString j180 = Entry("J18.0", "Bronchopneumonia, unspecified organism");
    const QString j189 = Entry("J18.9", "Pneumonia, unspecified organism");
    const QString k358 = Entry("K35.8", "Other acute appendicitis, caf\xe9");
    QTRY_COMPARE(FocusedId(view()), QStringLiteral("1000"));
    QTest::keyClicks(search, "j18");

    // Tab into the catalogue, where the search's hit has the focus.
    Press(Qt::Key_Tab);
    QCOMPARE(FocusedId(view()), QStringLiteral("1001"));
    Press(Qt::Key_Return);
    QCOMPARE(ListTexts(chosen), QStringList{j180});
    Press(Qt::Key_Down);
    Press(Qt::Key_Space);
    Press(Qt::Key_Down);
    Press(Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(ListTexts(chosen), (QStringList{j180, j189, k358}));
    QCOMPARE(m_f->doc.GetChosenList().GetCount(), std::size_t(3));
    QCOMPARE(ToQString(m_f->doc.GetChosenList().GetAt(2)), k358);
    QCOMPARE(ListTexts(Control<QListView>(view(), "1001")).size(), 9);
    QVERIFY(m_f->doc.IsModified());

    // In the chosen list: Down to the second entry, "->" by Tab and Space.
    Press(Qt::Key_Tab);
    QCOMPARE(FocusedId(view()), QStringLiteral("1006"));
    Press(Qt::Key_Home);
    Press(Qt::Key_Down);
    QCOMPARE(SelectedRow(chosen), 1);
    Press(Qt::Key_Tab);
    Press(Qt::Key_Tab);
    QCOMPARE(FocusedId(view()), QStringLiteral("1008"));
    Press(Qt::Key_Space);
    QCOMPARE(ListTexts(chosen), (QStringList{j180, k358}));
    QCOMPARE(ListTexts(bi), QStringList{j189});

    // Delete and Enter remove the entry under the focus.
    Press(Qt::Key_Backtab);
    Press(Qt::Key_Backtab);
    QCOMPARE(FocusedId(view()), QStringLiteral("1006"));
    Press(Qt::Key_Home);
    Press(Qt::Key_Delete);
    QCOMPARE(ListTexts(chosen), QStringList{k358});
    QCOMPARE(ToQString(m_f->doc.GetChosenList().GetAt(0)), k358);
    Press(Qt::Key_Return);
    QVERIFY(ListTexts(chosen).isEmpty());
    QVERIFY(m_f->doc.GetChosenList().IsEmpty());
    // On an empty list the keys do nothing.
    Press(Qt::Key_Delete);
    QVERIFY(ListTexts(chosen).isEmpty());

    Press(Qt::Key_Tab);
    QCOMPARE(FocusedId(view()), QStringLiteral("1007"));
    Press(Qt::Key_Delete);
    QVERIFY(ListTexts(bi).isEmpty());
    QVERIFY(m_f->doc.GetBiList().IsEmpty());

    // Space is no removal, Delete no choice.
    TypeInto(search, "A00");
    search->setFocus();
    Press(Qt::Key_Tab);
    Press(Qt::Key_Delete);
    QVERIFY(ListTexts(chosen).isEmpty());
    Press(Qt::Key_Space);
    QCOMPARE(ListTexts(chosen), QStringList{Entry("A00", "Cholera")});
    Press(Qt::Key_Tab);
    Press(Qt::Key_Space);
    QCOMPARE(ListTexts(chosen).size(), 1);
}

void ViewFormTest::enterInAFieldPressesProcess()
{
    activate();
    QVERIFY(Control<QPushButton>(view(), "1010")->isDefault());
    // Without a birth date Process answers with its message: each Enter in
    // a field that reaches it adds one.
    std::size_t expected = 0;
    for (const char* id : {"1000", "1023", "1035", "1039", "1019"}) {
        Control<QWidget>(view(), id)->setFocus();
        QTRY_COMPARE(FocusedId(view()), QString::fromLatin1(id));
        Press(Qt::Key_Return);
        ++expected;
        QCOMPARE(m_f->sink.messages.size(), expected);
        QCOMPARE(m_f->sink.messages.back().text, LoadString(IDS_VALIDATE_DATES));
        Press(Qt::Key_Enter, Qt::KeypadModifier);
        ++expected;
        QCOMPARE(m_f->sink.messages.size(), expected);
    }
    // Enter on the catalogue chooses; on the Process button it processes.
    Control<QWidget>(view(), "1001")->setFocus();
    Press(Qt::Key_Return);
    QCOMPARE(m_f->sink.messages.size(), expected);
    Control<QWidget>(view(), "1010")->setFocus();
    Press(Qt::Key_Return);
    QCOMPARE(m_f->sink.messages.size(), expected + 1);
}

void ViewFormTest::tabGoesRoundTheControlsAndNothingElse()
{
    activate();
    const QStringList order{"1000", "1001", "1006", "1007", "1008", "1009",
                            "1010", "1011", "1019", "1023", "1035", "1039"};
    Control<QWidget>(view(), "1000")->setFocus();
    QTRY_COMPARE(FocusedId(view()), QStringLiteral("1000"));
    QStringList walked;
    for (int i = 0; i < order.size(); ++i) {
        Press(Qt::Key_Tab);
        walked << FocusedId(view());
    }
    QCOMPARE(walked, order.mid(1) + QStringList{"1000"});
    walked.clear();
    for (int i = 0; i < order.size(); ++i) {
        Press(Qt::Key_Backtab);
        walked << FocusedId(view());
    }
    QStringList backwards = order;
    std::reverse(backwards.begin(), backwards.end());
    QCOMPARE(walked, backwards);
}

void ViewFormTest::focusIsVisibleOnEveryControl()
{
    activate();
    QWidget* form = view()->widget();
    const auto around = [form](QWidget* control) {
        return form->grab(control->geometry().adjusted(-4, -4, 4, 4)).toImage();
    };
    // Every control that can take the focus, each one drawn differently
    // while it has it, also when empty (the lists and the result box are).
    for (const char* id : {"1000", "1001", "1006", "1007", "1008", "1009", "1010", "1011", "1012", "1013",
                           "1019", "1023", "1035", "1039"}) {
        auto* control = Control<QWidget>(view(), id);
        // The other control's own text cursor is hidden from the picture.
        Control<QWidget>(view(), QByteArray(id) == "1010" ? "1008" : "1010")->setFocus();
        QTRY_VERIFY(FocusedControl(view()) != control);
        const QImage without = around(control);
        control->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(FocusedControl(view()), control);
        QVERIFY2(around(control) != without, id);
    }
}

void ViewFormTest::newCaseStartsInTheSearchField()
{
    activate();
    QTRY_COMPARE(FocusedId(view()), QStringLiteral("1000"));
    Control<QWidget>(view(), "1023")->setFocus();
    QTRY_COMPARE(FocusedId(view()), QStringLiteral("1023"));
    m_f->NewCase();
    QTRY_COMPARE(FocusedId(view()), QStringLiteral("1000"));
    // Typing goes straight into the search.
    QTest::keyClicks(QApplication::focusWidget(), "i1");
    QCOMPARE(Control<QLineEdit>(view(), "1000")->text(), QStringLiteral("i1"));
}

void ViewFormTest::listsAndReportGrowWithTheWindow()
{
    QWidget* form = view()->widget();
    const CDialogUnits units(form->font());
    const QSize templateSize = units.size(510, 315);
    view()->resize(templateSize);
    QCoreApplication::processEvents();
    QMap<QString, QRect> before;
    for (QWidget* control : form->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (!control->objectName().isEmpty())
            before[control->objectName()] = control->geometry();

    const int across = 400, down = 240;
    view()->resize(templateSize + QSize(across, down));
    QCoreApplication::processEvents();
    QCOMPARE(form->size(), templateSize + QSize(across, down));
    const auto grew = [&](const char* id) {
        const QRect now = Control<QWidget>(view(), id)->geometry();
        const QRect was = before[QLatin1String(id)];
        return QRect(now.x() - was.x(), now.y() - was.y(), now.width() - was.width(), now.height() - was.height());
    };
    QCOMPARE(grew("1001"), QRect(0, 0, across, down / 2));
    QCOMPARE(grew("1006"), QRect(0, down / 2, across / 2, down / 4));
    QCOMPARE(grew("1007"), QRect(across / 2, down / 2, across / 2, down / 4));
    QCOMPARE(grew("1011"), QRect(0, down * 3 / 4, across, down / 4));
    // The arrows stay between the lists, Process and the bar above the report.
    QCOMPARE(grew("1008"), QRect(across / 2, down * 5 / 8, 0, 0));
    QCOMPARE(grew("1010"), QRect(across / 2, down * 3 / 4, 0, 0));
    QCOMPARE(grew("1017"), QRect(across / 2, down * 3 / 4, 0, 0));
    // The fields at the top keep their template places.
    for (const char* id : {"1000", "1019", "1023", "1035", "1039", "1040", "1041", "1012", "1013"})
        QCOMPARE(grew(id), QRect());
    // The report reaches as far down as in the template, and no two
    // controls overlap.
    QCOMPARE(form->height() - Control<QWidget>(view(), "1011")->geometry().bottom(),
             templateSize.height() - before["1011"].bottom());
    const QList<QWidget*> controls = form->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget* a : controls)
        for (QWidget* b : controls)
            if (a != b && a->isVisible() && b->isVisible() && !qobject_cast<QFocusFrame*>(a)
                && !qobject_cast<QFocusFrame*>(b))
                QVERIFY2(!a->geometry().intersects(b->geometry()),
                         qPrintable(a->objectName() + u'/' + (a->property("text").toString()) + u' '
                                    + b->objectName() + u'/' + b->property("text").toString()));

    // Back to the template size: the template's places again.
    view()->resize(templateSize);
    QCoreApplication::processEvents();
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        QCOMPARE(Control<QWidget>(view(), qPrintable(it.key()))->geometry(), it.value());
}

void ViewFormTest::searchHitHeadsTheList()
{
    m_f = std::make_unique<CFormFixture>(LongCatalogue());
    auto* search = Control<QLineEdit>(view(), "1000");
    auto* catalogue = Control<QListView>(view(), "1001");
    for (const char* text : {"k0", "C03.2", "b", "m09"}) {
        TypeInto(search, text);
        const int row = SelectedRow(catalogue);
        QVERIFY(row >= 0);
        const QModelIndex hit = catalogue->model()->index(row, 0);
        QCOMPARE(catalogue->visualRect(hit).top(), 0);
        // The entries after it are in view below it.
        const QRect below = catalogue->visualRect(catalogue->model()->index(row + 2, 0));
        QVERIFY(below.top() > 0 && below.bottom() < catalogue->viewport()->height());
    }
    // The last entries cannot head the list: the hit is still in view.
    TypeInto(search, "Z09.3");
    const QModelIndex last = catalogue->model()->index(SelectedRow(catalogue), 0);
    QCOMPARE(last.row(), catalogue->model()->rowCount() - 1);
    QVERIFY(catalogue->visualRect(last).top() > 0);
    QVERIFY(catalogue->visualRect(last).bottom() < catalogue->viewport()->height());
}

void ViewFormTest::listsAndReportInAFixedPitch()
{
    const QFont formFont = view()->widget()->font();
    for (const char* id : {"1001", "1006", "1007", "1011"}) {
        auto* control = Control<QWidget>(view(), id);
        QVERIFY2(QFontInfo(control->font()).fixedPitch(), id);
        QCOMPARE(control->font().pointSize(), formFont.pointSize());
        // Codes of one length put their texts at one place.
        const QFontMetrics metrics(control->font());
        QCOMPARE(metrics.horizontalAdvance(Entry("J18.9", "x").chopped(1)),
                 metrics.horizontalAdvance(Entry("E11.9", "x").chopped(1)));
        QCOMPARE(metrics.horizontalAdvance(QStringLiteral("DRG: 0404    ")),
                 metrics.horizontalAdvance(QStringLiteral("DRG: 0513    ")));
    }
    // The other controls keep the form's font; the entries are unchanged.
    for (const char* id : {"1000", "1035", "1040", "1010"})
        QCOMPARE(Control<QWidget>(view(), id)->font(), formFont);
    QCOMPARE(ListTexts(Control<QListView>(view(), "1001")).first(), Entry("A00", "Cholera"));
}

QTEST_MAIN(ViewFormTest)
#include "ViewFormTest.moc"
