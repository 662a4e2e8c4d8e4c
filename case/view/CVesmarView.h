#pragma once

#include <QScrollArea>

#include <cstdint>
#include <memory>
#include <string>

#include "CDateText.h"
#include "CVesmarDoc.h"
#include "StringTable.h"

class CDatabase;
class CRecordset;
class CSortedListModel;
class CStringList;
class IMessageSink;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

// The case entry form (template 101): the one view of the main window. It
// shows the document's case and writes every change straight into it; the
// length of stay and the discharge status live on the form only. Every
// control carries its template id as its objectName ("1000" ... "1041").
// When the window is smaller than the form, the form scrolls.
class CVesmarView : public QScrollArea {
    Q_OBJECT

public:
    // doc, db, catalogue and sink are borrowed and outlive the view. db must
    // exist, open or not (the form's look-up cursor is created on it); the
    // catalogue is complete and no longer changes. The short-date pattern is
    // read here. The controls show nothing of the case until RefillFromCase.
    CVesmarView(CVesmarDoc* doc, CDatabase* db, const CStringList* catalogue, IMessageSink* sink,
                QWidget* parent = nullptr);
    ~CVesmarView() override;

    // Fills the form from the document: after New, after a successful Open
    // and after an Open that failed once reading had started. Does not mark
    // the case modified; the search text and the discharge selection stay.
    void RefillFromCase();

    // What the Process command reads from the form.
    std::int32_t GetDuration() const { return m_nDuration; }
    bool IsBirthdateOk() const { return m_bBirthdateOk; }
    bool IsAdmissionOk() const { return m_bAdmissionOk; }
    // The user's short-date pattern (empty when it could not be read).
    const std::string& GetDateFormat() const { return m_strDateFormat; }

public slots:
    void OnChangeSearch();
    void OnDblclkCatalogue();
    void OnDblclkChosen();
    void OnDblclkBi();
    void OnToBi();
    void OnFromBi();
    void OnProcess();
    void OnMale();
    void OnFemale();
    void OnChangeDuration();
    void OnChangeBirthdate();
    void OnChangeAdmission();

private:
    void CreateControls();
    QListView* CreateList(QWidget* form, const char* id, CSortedListModel* model);
    // Sets an edit's text and runs its change handler, also when the text
    // was already the same (the handler then still decides label and flags).
    void SetEditText(QLineEdit* edit, const QString& text, void (CVesmarView::*handler)());
    using ListOperation = void (CVesmarDoc::*)(const std::string&);
    // A double-click on the chosen or bi list: the selected entry leaves the
    // list and the document. Nothing happens without a selection.
    void RemoveSelected(QListView* list, CSortedListModel* model, ListOperation remove);
    // An arrow: the selected entry of one list is added to the other list
    // and the document, then removed from its own by that list's handler.
    void MoveSelected(QListView* from, CSortedListModel* fromModel, CSortedListModel* to, ListOperation add,
                      void (CVesmarView::*removeFromSource)());
    // The entry selected in list; -1 for none.
    static int SelectedRow(const QListView* list);
    // The discharge combo's selection: the item whose text the combo's field
    // holds, or -1 when it holds no item's text.
    int DischargeSelection() const;
    void SetResultText(const std::string& report);
    using DateSetter = void (CVesmarDoc::*)(const DateValue&, ChangeSource);
    using FlagSetter = void (CVesmarDoc::*)(std::int32_t, ChangeSource);
    // A date edit's change: the document's date, the label beside the edit
    // and both flags follow the edit's text.
    void ReadDateEdit(QLineEdit* edit, QLabel* shown, StringId prompt, bool& accepted, DateSetter setDate,
                      FlagSetter setFlag);

    CVesmarDoc* m_pDoc;
    CDatabase* m_pDB;
    const CStringList* m_pCatalogue;
    IMessageSink* m_pSink;
    CDateText m_dates;

    QLineEdit* m_editSearch = nullptr;
    QListView* m_listCatalogue = nullptr;
    QListView* m_listChosen = nullptr;
    QListView* m_listBi = nullptr;
    QPushButton* m_buttonToBi = nullptr;
    QPushButton* m_buttonFromBi = nullptr;
    QPushButton* m_buttonProcess = nullptr;
    QPlainTextEdit* m_editResult = nullptr;
    QRadioButton* m_radioMale = nullptr;
    QRadioButton* m_radioFemale = nullptr;
    QProgressBar* m_progress = nullptr;
    QComboBox* m_comboDischarge = nullptr;
    QLineEdit* m_editDuration = nullptr;
    QLineEdit* m_editBirthdate = nullptr;
    QLineEdit* m_editAdmission = nullptr;
    QLabel* m_staticBirthdate = nullptr;
    QLabel* m_staticAdmission = nullptr;

    CSortedListModel* m_modelCatalogue = nullptr;
    CSortedListModel* m_modelChosen = nullptr;
    CSortedListModel* m_modelBi = nullptr;

    std::unique_ptr<CRecordset> m_pLookupSet;
    std::string m_strDateFormat;
    std::int32_t m_nDuration = 0;
    bool m_bBirthdateOk = false;
    bool m_bAdmissionOk = false;
    // True while RefillFromCase runs: the changes it makes are the
    // program's, not the user's, and do not mark the case modified.
    bool m_bRefilling = false;
};
