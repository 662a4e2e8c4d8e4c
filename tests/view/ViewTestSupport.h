#pragma once

#include <QListView>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "CDatabase.h"
#include "CStringList.h"
#include "CVesmarDoc.h"
#include "CVesmarView.h"
#include "TestDb.h"

class QLineEdit;

namespace viewtest {

// The control with template id `id`; the test binary stops with a failure
// when the form has no such control of that type.
template <typename T>
T* Control(const QWidget* view, const char* id)
{
    T* control = view->findChild<T*>(QLatin1String(id));
    if (!control)
        qFatal("control %s missing or of another type", id);
    return control;
}

// The texts of a list in the order shown.
QStringList ListTexts(const QListView* list);
// The selected row of a list, -1 for none.
int SelectedRow(const QListView* list);
// Scrolls the row into view and double-clicks (clicks) it with the mouse.
void DoubleClickRow(QListView* list, int row);
void ClickRow(QListView* list, int row);
// Replaces an edit's text by typing: select all, delete, then the keys.
void TypeInto(QLineEdit* edit, const QString& text);

// One case as a coder enters it. Dates are typed as given; a discharge of
// -1 leaves the combo without a selection.
struct CaseInput {
    QString birth;
    QString admission;
    bool male = true;
    int discharge = -1;
    QString duration;
    std::vector<QString> chosen; // codes as displayed, e.g. "J18.9"
    std::vector<QString> bi;
};

// Enters the case on view through its controls: dates, sex, each chosen and
// bi diagnosis searched by code and double-clicked from the catalogue, the
// bi-diagnoses moved with "->", then discharge and duration.
void EnterCase(CVesmarView& view, const CaseInput& input);

// A document, a connection (open only when a connect string is given), a
// catalogue, a recording sink and the form on them, filled as after New
// and shown off screen.
class CFormFixture {
public:
    explicit CFormFixture(CStringList catalogue, const std::string& connectString = {});
    ~CFormFixture();

    CVesmarView& View() { return *m_pView; }
    // File > New: a fresh case, then the refill.
    void NewCase();
    // Enters the case through the controls: dates, sex, each chosen and bi
    // diagnosis searched by code and double-clicked from the catalogue, the
    // bi-diagnoses moved with "->", then discharge and duration.
    void EnterCase(const CaseInput& input);
    // The text of the result box 1011.
    QString ResultText() const;

    CVesmarDoc doc;
    CDatabase db;
    CStringList catalogue;
    CRecordingSink sink;

private:
    std::unique_ptr<CVesmarView> m_pView;
};

// The catalogue of a reference database's icd table.
CStringList LoadCatalogueOf(CDatabase& db);

} // namespace viewtest
