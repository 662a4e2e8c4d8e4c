#include <QtTest>

#include "CSortedListModel.h"
#include "CStringList.h"

namespace {

QStringList Shown(const CSortedListModel& model)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts << model.index(row).data().toString();
    return texts;
}

CStringList ListOf(std::initializer_list<const char*> entries)
{
    CStringList list;
    for (const char* entry : entries)
        list.AddTail(entry);
    return list;
}

} // namespace

// The order and the prefix search of the form's lists on Windows-1252 text.
class SortedListModelTest : public QObject {
    Q_OBJECT

private slots:
    void sortsAscendingWithTheLetterCaseIgnored();
    void equalEntriesKeepTheirOrderAndNewOnesGoAfterThem();
    void prefixSearchIgnoresCaseOfAccentedLettersToo();
    void removesByRow();
};

void SortedListModelTest::sortsAscendingWithTheLetterCaseIgnored()
{
    CSortedListModel model;
    model.Assign(ListOf({"b2", "A1", "a3", "B1", "C"}));
    QCOMPARE(Shown(model), (QStringList{"A1", "a3", "B1", "b2", "C"}));
    // Accented capitals and small letters fold together, after Z.
    model.Assign(ListOf({"\xe9tude", "Zebra", "\xc9" "cole", "apple"}));
    QCOMPARE(Shown(model), (QStringList{"apple", "Zebra", QString::fromUtf8("École"), QString::fromUtf8("étude")}));
    // A shorter entry comes before the longer one it begins.
    model.Assign(ListOf({"A00.1", "A00", "A00       Cholera"}));
    QCOMPARE(Shown(model), (QStringList{"A00", "A00       Cholera", "A00.1"}));
}

void SortedListModelTest::equalEntriesKeepTheirOrderAndNewOnesGoAfterThem()
{
    CSortedListModel model;
    model.Assign(ListOf({"x", "ABC", "abc", "Abc"}));
    QCOMPARE(Shown(model), (QStringList{"ABC", "abc", "Abc", "x"}));
    QCOMPARE(model.Add("aBc"), 3);
    QCOMPARE(model.Add("0"), 0);
    QCOMPARE(model.Add("zz"), 6);
    QCOMPARE(Shown(model), (QStringList{"0", "ABC", "abc", "Abc", "aBc", "x", "zz"}));
}

void SortedListModelTest::prefixSearchIgnoresCaseOfAccentedLettersToo()
{
    CSortedListModel model;
    model.Assign(ListOf({"J18.9    Pneumonia", "J10.1    Influenza", "\xc9" "123    accented", "K35"}));
    QCOMPARE(model.FindPrefix("j1"), 0);
    QCOMPARE(model.GetAt(model.FindPrefix("j18")), std::string("J18.9    Pneumonia"));
    QCOMPARE(model.GetAt(model.FindPrefix("\xe9" "12")), std::string("\xc9" "123    accented"));
    QCOMPARE(model.FindPrefix("Pneumonia"), -1);
    QCOMPARE(model.FindPrefix("K35 "), -1);
    QCOMPARE(model.FindPrefix(""), -1);
}

void SortedListModelTest::removesByRow()
{
    CSortedListModel model;
    model.Assign(ListOf({"c", "a", "b"}));
    model.RemoveAt(1);
    QCOMPARE(Shown(model), (QStringList{"a", "c"}));
    model.RemoveAll();
    QCOMPARE(model.GetCount(), 0);
}

QTEST_GUILESS_MAIN(SortedListModelTest)
#include "SortedListModelTest.moc"
