#pragma once

#include <QRect>
#include <QScrollArea>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "CDateText.h"
#include "CVesmarDoc.h"
#include "StringTable.h"

class CDatabase;
class CGroupingTrace;
class CRecordset;
class CSortedListModel;
class CStringList;
class IMessageSink;
class QComboBox;
class QFocusFrame;
class QKeyEvent;
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
// When the window is smaller than the form, the form scrolls; when it is
// larger, the lists and the result box take the room.
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
    // What the last Process of this case learnt, also when its report
    // failed; null before the first Process and after New or Open.
    const CGroupingTrace* LastTrace() const { return m_pLastTrace.get(); }
    // For the printed case: the discharge item the combo shows (empty for
    // none) and the result box's text (Windows-1252, lines ending in LF).
    std::string DischargeText() const;
    std::string ResultText() const;

signals:
    // After every Process that ran, and when New or Open dropped the trace.
    void TraceChanged();

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

protected:
    // The form's resizing and the lists' keys.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    // Places every control for the form's current size: the template's
    // rectangles, with the room beyond the template's size shared out.
    void LayOutControls();
    // Enter and Space on the catalogue, Enter and Delete on the chosen and
    // bi lists: the entry under the keyboard focus is selected and handled
    // as a double-click on it is. True when the key was taken.
    bool HandleListKey(QListView* list, const QKeyEvent& key);
    // Puts the focus frame around the form's control that holds the focus.
    void ShowFocus(QWidget* focused);
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

    // How a control follows the form's size: each edge moves by so many
    // eighths of the room gained across (left, right) and down (top, bottom).
    struct Anchored {
        QWidget* control;
        QRect base;
        int left, right, top, bottom;
    };
    QWidget* m_form = nullptr;
    QSize m_templateSize;
    std::vector<Anchored> m_anchored;
    QFocusFrame* m_focusFrame = nullptr;
    QMetaObject::Connection m_focusWatch;

    CSortedListModel* m_modelCatalogue = nullptr;
    CSortedListModel* m_modelChosen = nullptr;
    CSortedListModel* m_modelBi = nullptr;

    std::unique_ptr<CRecordset> m_pLookupSet;
    std::unique_ptr<CGroupingTrace> m_pLastTrace;
    std::string m_strDateFormat;
    std::int32_t m_nDuration = 0;
    bool m_bBirthdateOk = false;
    bool m_bAdmissionOk = false;
    // True while RefillFromCase runs: the changes it makes are the
    // program's, not the user's, and do not mark the case modified.
    bool m_bRefilling = false;
};
