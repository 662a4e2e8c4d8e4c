#include "ViewTestSupport.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "CatalogueLoader.h"
#include "Progress.h"

namespace viewtest {

QStringList ListTexts(const QListView* list)
{
    QStringList texts;
    const QAbstractItemModel* model = list->model();
    for (int row = 0; row < model->rowCount(); ++row)
        texts << model->index(row, 0).data().toString();
    return texts;
}

int SelectedRow(const QListView* list)
{
    const QModelIndexList rows = list->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

namespace {

QPoint RowCentre(QListView* list, int row)
{
    const QModelIndex index = list->model()->index(row, 0);
    list->scrollTo(index);
    return list->visualRect(index).center();
}

} // namespace

void DoubleClickRow(QListView* list, int row)
{
    // The sequence a real double-click delivers: press, release, double-click, release.
    const QPoint centre = RowCentre(list, row);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
}

void ClickRow(QListView* list, int row)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, RowCentre(list, row));
}

void TypeInto(QLineEdit* edit, const QString& text)
{
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Backspace);
    // One key event per character, carrying the character as its text
    // (QTest's own key mapping knows only ASCII).
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

CFormFixture::CFormFixture(CStringList list, const std::string& connectString)
    : catalogue(std::move(list))
{
    if (!connectString.empty())
        db.OpenEx(connectString, CDatabase::openReadOnly);
    m_pView = std::make_unique<CVesmarView>(&doc, &db, &catalogue, &sink);
    m_pView->resize(1000, 700);
    m_pView->show();
    if (!QTest::qWaitForWindowExposed(m_pView.get()))
        qWarning("the form was not exposed");
    NewCase();
}

CFormFixture::~CFormFixture() = default;

void CFormFixture::NewCase()
{
    doc.OnNewDocument();
    m_pView->RefillFromCase();
}

void CFormFixture::EnterCase(const CaseInput& input)
{
    viewtest::EnterCase(*m_pView, input);
}

void EnterCase(CVesmarView& view, const CaseInput& input)
{
    TypeInto(Control<QLineEdit>(&view, "1035"), input.birth);
    TypeInto(Control<QLineEdit>(&view, "1039"), input.admission);
    QTest::mouseClick(Control<QRadioButton>(&view, input.male ? "1012" : "1013"), Qt::LeftButton);

    auto* search = Control<QLineEdit>(&view, "1000");
    auto* catalogueList = Control<QListView>(&view, "1001");
    auto* chosenList = Control<QListView>(&view, "1006");
    const auto choose = [&](const QString& code) {
        // A code followed by a blank begins exactly the entries of that code.
        TypeInto(search, code + u' ');
        const int row = SelectedRow(catalogueList);
        if (row < 0)
            qFatal("%s is not in the catalogue", qPrintable(code));
        DoubleClickRow(catalogueList, row);
    };
    for (const QString& code : input.chosen)
        choose(code);
    for (const QString& code : input.bi) {
        choose(code);
        const QStringList shown = ListTexts(chosenList);
        const auto found = std::find_if(shown.begin(), shown.end(),
                                        [&](const QString& entry) { return entry.startsWith(code + u' '); });
        if (found == shown.end())
            qFatal("%s did not reach the chosen list", qPrintable(code));
        ClickRow(chosenList, int(found - shown.begin()));
        QTest::mouseClick(Control<QPushButton>(&view, "1008"), Qt::LeftButton);
    }

    Control<QComboBox>(&view, "1019")->setCurrentIndex(input.discharge);
    TypeInto(Control<QLineEdit>(&view, "1023"), input.duration);
}

QString CFormFixture::ResultText() const
{
    return Control<QPlainTextEdit>(m_pView.get(), "1011")->toPlainText();
}

CStringList LoadCatalogueOf(CDatabase& db)
{
    CStringList list;
    CRecordingSink sink;
    LoadCatalogue(db, list, sink, [] { return std::make_unique<CSilentProgress>(); });
    if (!sink.messages.empty())
        qFatal("the catalogue could not be loaded: %s", sink.messages.back().text.c_str());
    return list;
}

} // namespace viewtest
