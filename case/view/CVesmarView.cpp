#include "CVesmarView.h"

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QFocusFrame>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QScopeGuard>
#include <QSignalBlocker>

#include <algorithm>
#include <cstdint>

#include "CBarProgress.h"
#include "CDBException.h"
#include "CDialogUnits.h"
#include "CGroupingTrace.h"
#include "CProgressCtrl.h"
#include "CRecordset.h"
#include "CRegistry.h"
#include "CSortedListModel.h"
#include "CVesmarDoc.h"
#include "CWideItemDelegate.h"
#include "MessageSink.h"
#include "NumberText.h"
#include "ProcessCommand.h"
#include "Report.h"
#include "QtText.h"
#include "ReferenceConnection.h"
#include "StringTable.h"

namespace {

// The form's size and font, in dialog units and points.
constexpr int kFormWidth = 510;
constexpr int kFormHeight = 315;
constexpr int kFontPoints = 8;

// Horizontal scroll width of the three lists, in pixels.
constexpr int kListScrollWidth = 900;
// The result box's tab stops, in dialog units (the edit control's default).
constexpr int kResultTabStop = 32;

const StringId kDischargeItems[] = {
    IDS_DISCHARGE_NONE,
    IDS_DISCHARGE_EXITUS,
    IDS_DISCHARGE_REMISSION,
    IDS_DISCHARGE_LEFT,
};

} // namespace

CVesmarView::CVesmarView(CVesmarDoc* doc, CDatabase* db, const CStringList* catalogue, IMessageSink* sink,
                         QWidget* parent)
    : QScrollArea(parent)
    , m_pDoc(doc)
    , m_pDB(db)
    , m_pCatalogue(catalogue)
    , m_pSink(sink)
    , m_pLookupSet(std::make_unique<CRecordset>(db))
{
    CRegistry registry;
    if (!registry.GetShortDateFormat(m_strDateFormat))
        m_strDateFormat.clear();
    CreateControls();
}

CVesmarView::~CVesmarView()
{
    // The controls lose the focus while the base class destroys them, when
    // this is no longer a form to ring it.
    disconnect(m_focusWatch);
}

void CVesmarView::CreateControls()
{
    auto* form = new QWidget;
    m_form = form;
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(kFontPoints);
    font.setStyleHint(QFont::SansSerif);
    form->setFont(font);
    const CDialogUnits units(font);
    m_templateSize = units.size(kFormWidth, kFormHeight);
    form->setMinimumSize(m_templateSize);
    form->resize(m_templateSize);
    // The lists and the report show codes, texts and the report's pieces in
    // columns: in a fixed pitch they line up.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(kFontPoints);

    const auto place = [&units](QWidget* control, const char* id, int x, int y, int w, int h) {
        if (id)
            control->setObjectName(QLatin1String(id));
        control->setGeometry(units.rect(x, y, w, h));
    };
    const auto label = [&](const char* id, StringId text, int x, int y, int w, int h) {
        auto* control = new QLabel(ToQString(LoadString(text)), form);
        place(control, id, x, y, w, h);
        FitStaticText(control);
        return control;
    };
    const auto edit = [&](const char* id, int x, int y, int w, int h) {
        auto* control = new QLineEdit(form);
        place(control, id, x, y, w, h);
        return control;
    };
    const auto button = [&](const char* id, StringId text, int x, int y, int w, int h) {
        auto* control = new QPushButton(ToQString(LoadString(text)), form);
        control->setAutoDefault(false);
        place(control, id, x, y, w, h);
        return control;
    };
    // Registers a placed control with the eighths its edges move by.
    const auto anchor = [this](QWidget* control, int left, int right, int top, int bottom) {
        m_anchored.push_back({control, control->geometry(), left, right, top, bottom});
    };

    // Created in template order, which is also the order Tab walks.
    m_editSearch = edit("1000", 13, 68, 62, 14);
    m_modelCatalogue = new CSortedListModel(this);
    m_listCatalogue = CreateList(form, "1001", m_modelCatalogue);
    place(m_listCatalogue, nullptr, 88, 68, 395, 65);
    m_modelChosen = new CSortedListModel(this);
    m_listChosen = CreateList(form, "1006", m_modelChosen);
    place(m_listChosen, nullptr, 13, 151, 217, 65);
    m_modelBi = new CSortedListModel(this);
    m_listBi = CreateList(form, "1007", m_modelBi);
    place(m_listBi, nullptr, 266, 151, 217, 65);
    m_buttonToBi = button("1008", IDS_FORM_TO_BI, 240, 162, 18, 14);
    m_buttonFromBi = button("1009", IDS_FORM_FROM_BI, 240, 186, 18, 14);
    m_buttonProcess = button("1010", IDS_FORM_PROCESS, 188, 230, 50, 14);
    m_buttonProcess->setDefault(true);

    m_editResult = new QPlainTextEdit(form);
    m_editResult->setReadOnly(true);
    // Read-only, but its text can be selected and copied by keyboard too,
    // with a visible caret.
    m_editResult->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_editResult->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_editResult->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_editResult->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_editResult->setFont(fixed);
    // The edit control's tab stops count in units of its own font.
    m_editResult->setTabStopDistance(CDialogUnits(fixed).x(kResultTabStop));
    place(m_editResult, "1011", 13, 249, 476, 59);

    // Not reached by Tab, as in the template; a click selects and focuses.
    m_radioMale = new QRadioButton(ToQString(LoadString(IDS_FORM_MALE)), form);
    m_radioMale->setFocusPolicy(Qt::ClickFocus);
    place(m_radioMale, "1012", 279, 26, 31, 10);
    m_radioFemale = new QRadioButton(ToQString(LoadString(IDS_FORM_FEMALE)), form);
    m_radioFemale->setFocusPolicy(Qt::ClickFocus);
    place(m_radioFemale, "1013", 279, 38, 39, 10);

    m_progress = new CProgressCtrl(form);
    m_progress->setTextVisible(false);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    place(m_progress, "1017", 257, 230, 80, 14);

    label(nullptr, IDS_FORM_DISCHARGE, 335, 16, 37, 12);
    m_comboDischarge = new QComboBox(form);
    m_comboDischarge->setEditable(true);
    m_comboDischarge->setInsertPolicy(QComboBox::NoInsert);
    for (StringId item : kDischargeItems)
        m_comboDischarge->addItem(ToQString(LoadString(item)));
    m_comboDischarge->setCurrentIndex(-1);
    // The template's height is that of the dropped-down list; the closed
    // combo is as high as its font makes it.
    place(m_comboDischarge, "1019", 374, 16, 114, 60);
    m_comboDischarge->resize(m_comboDischarge->width(), m_comboDischarge->sizeHint().height());

    QLabel* biHeading = label(nullptr, IDS_FORM_BI_ONLY, 266, 138, 130, 10);
    label(nullptr, IDS_FORM_DURATION, 335, 35, 54, 12);
    m_editDuration = edit("1023", 393, 35, 50, 12);
    m_editBirthdate = edit("1035", 67, 17, 63, 12);
    label("1037", IDS_FORM_BIRTHDATE, 14, 20, 31, 8);
    label("1038", IDS_FORM_ADMISSION, 14, 38, 34, 8);
    m_editAdmission = edit("1039", 67, 35, 63, 12);
    // The date labels show a prompt or a date, the longest of which is a
    // two-digit day and month.
    const QString longestDate = m_dates.Format(CDateText::FromDate(QDate(2029, 12, 28)));
    m_staticBirthdate = label("1040", IDS_FORM_BIRTH_SHOWN, 140, 17, 82, 12);
    m_staticBirthdate->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    FitStaticText(m_staticBirthdate, {ToQString(LoadString(IDS_FORM_BIRTH_PROMPT)), longestDate});
    m_staticAdmission = label("1041", IDS_FORM_ADMISSION_SHOWN, 140, 35, 84, 12);
    m_staticAdmission->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    FitStaticText(m_staticAdmission,
                  {ToQString(LoadString(IDS_FORM_ADMISSION_PROMPT)), ToQString(LoadString(IDS_FORM_ADMISSION_TODAY)),
                   longestDate});
    label(nullptr, IDS_FORM_GENDER, 279, 14, 26, 8);
    QLabel* chosenHeading = label(nullptr, IDS_FORM_CHOSEN, 13, 138, 84, 12);
    label(nullptr, IDS_FORM_ICD10, 88, 56, 52, 8);
    label(nullptr, IDS_FORM_SEARCH, 13, 55, 47, 8);
    QLabel* resultHeading = label(nullptr, IDS_FORM_RESULT, 13, 238, 61, 8);

    // Room beyond the template: across, the catalogue and the result box
    // take all of it and the two diagnosis lists half each, the arrows and
    // Process keeping their place between them; down, half goes to the
    // catalogue and a quarter each to the diagnosis lists and the report.
    anchor(m_listCatalogue, 0, 8, 0, 4);
    anchor(chosenHeading, 0, 0, 4, 4);
    anchor(biHeading, 4, 4, 4, 4);
    anchor(m_listChosen, 0, 4, 4, 6);
    anchor(m_listBi, 4, 8, 4, 6);
    anchor(m_buttonToBi, 4, 4, 5, 5);
    anchor(m_buttonFromBi, 4, 4, 5, 5);
    anchor(m_buttonProcess, 4, 4, 6, 6);
    anchor(m_progress, 4, 4, 6, 6);
    anchor(resultHeading, 0, 0, 6, 6);
    anchor(m_editResult, 0, 8, 6, 8);

    for (QListView* list : {m_listCatalogue, m_listChosen, m_listBi}) {
        list->setFont(fixed);
        list->installEventFilter(this);
    }

    QWidget* const tabOrder[] = {m_editSearch,   m_listCatalogue, m_listChosen,     m_listBi,
                                 m_buttonToBi,   m_buttonFromBi,  m_buttonProcess,  m_editResult,
                                 m_comboDischarge, m_editDuration, m_editBirthdate, m_editAdmission};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);

    // The focused control is ringed whatever the style draws for it: an
    // empty list or a read-only box shows no focus of its own.
    m_focusFrame = new QFocusFrame(form);
    QPalette ring = m_focusFrame->palette();
    ring.setColor(QPalette::WindowText, ring.color(QPalette::Highlight));
    m_focusFrame->setPalette(ring);
    m_focusWatch =
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { ShowFocus(now); });

    setWidget(form);
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    // The scroll area itself is no stop on the way round the controls.
    setFocusPolicy(Qt::NoFocus);
    form->installEventFilter(this);

    connect(m_editSearch, &QLineEdit::textChanged, this, &CVesmarView::OnChangeSearch);
    connect(m_listCatalogue, &QListView::doubleClicked, this, &CVesmarView::OnDblclkCatalogue);
    connect(m_listChosen, &QListView::doubleClicked, this, &CVesmarView::OnDblclkChosen);
    connect(m_listBi, &QListView::doubleClicked, this, &CVesmarView::OnDblclkBi);
    connect(m_buttonToBi, &QPushButton::clicked, this, &CVesmarView::OnToBi);
    connect(m_buttonFromBi, &QPushButton::clicked, this, &CVesmarView::OnFromBi);
    connect(m_buttonProcess, &QPushButton::clicked, this, &CVesmarView::OnProcess);
    connect(m_radioMale, &QRadioButton::clicked, this, &CVesmarView::OnMale);
    connect(m_radioFemale, &QRadioButton::clicked, this, &CVesmarView::OnFemale);
    connect(m_editDuration, &QLineEdit::textChanged, this, &CVesmarView::OnChangeDuration);
    connect(m_editBirthdate, &QLineEdit::textChanged, this, &CVesmarView::OnChangeBirthdate);
    connect(m_editAdmission, &QLineEdit::textChanged, this, &CVesmarView::OnChangeAdmission);
    // Process is the form's default button: Enter in a field presses it.
    for (QLineEdit* field :
         {m_editSearch, m_editDuration, m_editBirthdate, m_editAdmission, m_comboDischarge->lineEdit()})
        connect(field, &QLineEdit::returnPressed, m_buttonProcess, &QPushButton::click);
}

void CVesmarView::LayOutControls()
{
    const int across = std::max(0, m_form->width() - m_templateSize.width());
    const int down = std::max(0, m_form->height() - m_templateSize.height());
    for (const Anchored& a : m_anchored) {
        const int left = a.base.left() + across * a.left / 8;
        const int top = a.base.top() + down * a.top / 8;
        const int right = a.base.left() + a.base.width() + across * a.right / 8;
        const int bottom = a.base.top() + a.base.height() + down * a.bottom / 8;
        a.control->setGeometry(left, top, right - left, bottom - top);
    }
}

bool CVesmarView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_form && event->type() == QEvent::Resize)
        LayOutControls();
    else if (event->type() == QEvent::KeyPress)
        for (QListView* list : {m_listCatalogue, m_listChosen, m_listBi})
            if (watched == list && HandleListKey(list, *static_cast<QKeyEvent*>(event)))
                return true;
    return QScrollArea::eventFilter(watched, event);
}

bool CVesmarView::HandleListKey(QListView* list, const QKeyEvent& key)
{
    if (key.modifiers() & ~Qt::KeypadModifier)
        return false;
    const bool enter = key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
    void (CVesmarView::*handler)() = nullptr;
    if (list == m_listCatalogue && (enter || key.key() == Qt::Key_Space))
        handler = &CVesmarView::OnDblclkCatalogue;
    else if (list == m_listChosen && (enter || key.key() == Qt::Key_Delete))
        handler = &CVesmarView::OnDblclkChosen;
    else if (list == m_listBi && (enter || key.key() == Qt::Key_Delete))
        handler = &CVesmarView::OnDblclkBi;
    if (!handler)
        return false;
    const QModelIndex current = list->currentIndex();
    if (current.isValid())
        list->selectionModel()->select(current, QItemSelectionModel::ClearAndSelect);
    (this->*handler)();
    return true;
}

void CVesmarView::ShowFocus(QWidget* focused)
{
    while (focused && focused->parentWidget() != m_form)
        focused = focused->parentWidget();
    m_focusFrame->setWidget(focused);
}

QListView* CVesmarView::CreateList(QWidget* form, const char* id, CSortedListModel* model)
{
    auto* list = new QListView(form);
    list->setObjectName(QLatin1String(id));
    list->setModel(model);
    list->setUniformItemSizes(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    list->setTextElideMode(Qt::ElideNone);
    list->setWordWrap(false);
    list->setItemDelegate(new CWideItemDelegate(kListScrollWidth, list));
    return list;
}

void CVesmarView::RefillFromCase()
{
    const QScopedValueRollback<bool> refilling(m_bRefilling, true);

    // The lists' 900-pixel scroll width is fixed by their item delegate.
    m_editResult->clear();
    if (m_pLastTrace) {
        m_pLastTrace.reset();
        emit TraceChanged();
    }

    // Setting a date edit runs its handler, which decides the label and both
    // flags; a set date is shown as read back, a missing birth date as the
    // pattern the user is to type.
    if (m_pDoc->IsBirthDateSet() == 1) {
        const QString shown = m_dates.Format(m_pDoc->GetBirthDate());
        m_staticBirthdate->setText(shown);
        SetEditText(m_editBirthdate, shown, &CVesmarView::OnChangeBirthdate);
    } else {
        SetEditText(m_editBirthdate, ToQString(m_strDateFormat), &CVesmarView::OnChangeBirthdate);
    }
    if (m_pDoc->IsAdmissionDateSet() == 1) {
        const QString shown = m_dates.Format(m_pDoc->GetAdmissionDate());
        m_staticAdmission->setText(shown);
        SetEditText(m_editAdmission, shown, &CVesmarView::OnChangeAdmission);
    } else {
        SetEditText(m_editAdmission, m_dates.Today(), &CVesmarView::OnChangeAdmission);
        m_staticAdmission->setText(ToQString(LoadString(IDS_FORM_ADMISSION_TODAY)));
    }

    (m_pDoc->IsMale() ? m_radioMale : m_radioFemale)->setChecked(true);

    m_modelChosen->Assign(m_pDoc->GetChosenList());
    m_modelBi->Assign(m_pDoc->GetBiList());

    // The stay is not part of the case: a new case starts with none, and the
    // edit shows none rather than a number the form no longer uses.
    SetEditText(m_editDuration, QString(), &CVesmarView::OnChangeDuration);
    m_nDuration = 0;

    m_modelCatalogue->Assign(*m_pCatalogue);

    // Each new case starts where the coder types first.
    m_editSearch->setFocus(Qt::OtherFocusReason);
}

void CVesmarView::SetEditText(QLineEdit* edit, const QString& text, void (CVesmarView::*handler)())
{
    {
        const QSignalBlocker blocker(edit);
        edit->setText(text);
    }
    (this->*handler)();
}

int CVesmarView::SelectedRow(const QListView* list)
{
    const QModelIndexList rows = list->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void CVesmarView::OnChangeSearch()
{
    const int row = m_modelCatalogue->FindPrefix(FromQString(m_editSearch->text()));
    if (row < 0) {
        m_listCatalogue->clearSelection();
        return;
    }
    const QModelIndex index = m_modelCatalogue->index(row);
    m_listCatalogue->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    // The hit heads the list, with the entries that follow it below.
    m_listCatalogue->scrollTo(index, QAbstractItemView::PositionAtTop);
}

void CVesmarView::OnDblclkCatalogue()
{
    const int row = SelectedRow(m_listCatalogue);
    if (row < 0)
        return;
    const std::string entry = m_modelCatalogue->GetAt(row);
    m_pDoc->AddChosenDiagnosis(entry);
    m_modelChosen->Add(entry);
}

void CVesmarView::OnDblclkChosen()
{
    RemoveSelected(m_listChosen, m_modelChosen, &CVesmarDoc::RemoveChosenDiagnosis);
}

void CVesmarView::OnDblclkBi()
{
    RemoveSelected(m_listBi, m_modelBi, &CVesmarDoc::RemoveBiDiagnosis);
}

void CVesmarView::OnToBi()
{
    MoveSelected(m_listChosen, m_modelChosen, m_modelBi, &CVesmarDoc::AddBiDiagnosis, &CVesmarView::OnDblclkChosen);
}

void CVesmarView::OnFromBi()
{
    MoveSelected(m_listBi, m_modelBi, m_modelChosen, &CVesmarDoc::AddChosenDiagnosis, &CVesmarView::OnDblclkBi);
}

void CVesmarView::RemoveSelected(QListView* list, CSortedListModel* model, ListOperation remove)
{
    const int row = SelectedRow(list);
    if (row < 0)
        return;
    (m_pDoc->*remove)(model->GetAt(row));
    model->RemoveAt(row);
    // As a list box does, the list has no selected entry after the removal.
    list->clearSelection();
}

void CVesmarView::MoveSelected(QListView* from, CSortedListModel* fromModel, CSortedListModel* to, ListOperation add,
                               void (CVesmarView::*removeFromSource)())
{
    const int row = SelectedRow(from);
    if (row < 0)
        return;
    const std::string entry = fromModel->GetAt(row);
    to->Add(entry);
    (m_pDoc->*add)(entry);
    // The entry is still selected in its list: the removal takes it there.
    (this->*removeFromSource)();
}

void CVesmarView::OnMale()
{
    m_pDoc->SetMale(true, ChangeSource::User);
}

void CVesmarView::OnFemale()
{
    m_pDoc->SetMale(false, ChangeSource::User);
}

void CVesmarView::OnChangeDuration()
{
    m_nDuration = AtoiC(FromQString(m_editDuration->text()));
}

void CVesmarView::OnChangeBirthdate()
{
    ReadDateEdit(m_editBirthdate, m_staticBirthdate, IDS_FORM_BIRTH_PROMPT, m_bBirthdateOk, &CVesmarDoc::SetBirthDate,
                 &CVesmarDoc::SetBirthDateSet);
}

void CVesmarView::OnChangeAdmission()
{
    ReadDateEdit(m_editAdmission, m_staticAdmission, IDS_FORM_ADMISSION_PROMPT, m_bAdmissionOk,
                 &CVesmarDoc::SetAdmissionDate, &CVesmarDoc::SetAdmissionDateSet);
}

void CVesmarView::ReadDateEdit(QLineEdit* edit, QLabel* shown, StringId prompt, bool& accepted,
                               DateSetter setDate, FlagSetter setFlag)
{
    // Typing is the user's change; the refill's own setting of the text is not.
    const ChangeSource source = m_bRefilling ? ChangeSource::Program : ChangeSource::User;
    const DateValue date = m_dates.Parse(edit->text());
    if (date.m_status == DateValue::valid) {
        (m_pDoc->*setDate)(date, source);
        shown->setText(m_dates.Format(date));
        accepted = true;
        (m_pDoc->*setFlag)(1, source);
    } else {
        // The document keeps its last accepted date; the flags say it is
        // not the edit's.
        accepted = false;
        (m_pDoc->*setFlag)(0, source);
        shown->setText(ToQString(LoadString(prompt)));
    }
}

int CVesmarView::DischargeSelection() const
{
    return m_comboDischarge->findText(m_comboDischarge->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
}

std::string CVesmarView::DischargeText() const
{
    const int selected = DischargeSelection();
    return selected < 0 ? std::string() : FromQString(m_comboDischarge->itemText(selected));
}

std::string CVesmarView::ResultText() const
{
    return FromQString(m_editResult->toPlainText());
}

void CVesmarView::SetResultText(const std::string& report)
{
    m_editResult->setPlainText(ToQString(ReportWithLineFeeds(report)));
}

void CVesmarView::OnProcess()
{
    CProcessInput input = ProcessInputFrom(*m_pDoc);
    input.birthDateOk = m_bBirthdateOk;
    input.admissionDateOk = m_bAdmissionOk;
    input.duration = m_nDuration;

    int ageDays = 0;
    if (!CheckDates(input, ageDays)) {
        m_pSink->showMessage(LoadString(IDS_VALIDATE_DATES), MessageIcon::Warning);
        return;
    }
    if (!EnsureConnected(*m_pDB, *m_pSink))
        return;

    bool failed = false;
    std::string error;
    auto trace = std::make_unique<CGroupingTrace>(*input.chosen);
    {
        m_buttonProcess->setEnabled(false);
        const auto enableAgain = qScopeGuard([this] { m_buttonProcess->setEnabled(true); });
        input.discharge = DischargeCode(DischargeSelection(), DischargeText());
        CBarProgress progress(m_progress);
        // Runs to its end on this thread without turning the event loop: no
        // other input is taken meanwhile. A database error ends the command
        // with the result box as it was.
        try {
            SetResultText(GroupCase(input, ageDays, *m_pDB, *m_pLookupSet, progress, *m_pSink, trace.get()));
        } catch (const CDBException& e) {
            failed = true;
            error = e.m_strError;
            trace->runFailed(error);
        }
    }
    m_pLastTrace = std::move(trace);
    emit TraceChanged();
    if (failed)
        m_pSink->showMessage(error, MessageIcon::Stop);
}
