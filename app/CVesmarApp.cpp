#include "CVesmarApp.h"

#include <algorithm>
#include <filesystem>

#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include "CAboutDlg.h"
#include "CCommandLineInfo.h"
#include "CConfigDlg.h"
#include "CDatabase.h"
#include "CDocManager.h"
#include "CGroupingDetailsDlg.h"
#include "IDocumentPrompts.h"
#include "ProcessCommand.h"
#include "CLoadingDlg.h"
#include "CMainFrame.h"
#include "CVesmarDoc.h"
#include "CVesmarView.h"
#include "CatalogueLoader.h"
#include "Codepage.h"
#include "DialogRunner.h"
#include "MessageSink.h"
#include "QtText.h"
#include "ReferenceConnection.h"
#include "StringTable.h"

CVesmarApp::CVesmarApp(IMessageSink& sink, IDialogRunner& runner, IDocumentPrompts& prompts)
    : m_sink(sink)
    , m_runner(runner)
    , m_pDoc(std::make_unique<CVesmarDoc>())
    , m_pDocManager(std::make_unique<CDocManager>(*m_pDoc, prompts, sink))
    , m_prompts(prompts)
{
}

CVesmarApp::~CVesmarApp()
{
    // The form borrows the document and the connection: it goes first.
    m_pDocManager->SetObserver(nullptr);
    m_pMainWnd.reset();
}

bool CVesmarApp::InitInstance(const std::vector<std::string>& args)
{
    OpenReferenceData();

    CCommandLineInfo cmdInfo;
    cmdInfo.ParseCommandLine(args);
    if (!ProcessShellCommand(cmdInfo))
        return false;

    m_pMainWnd->show();
    m_pMainWnd->repaint();
    return true;
}

void CVesmarApp::OpenReferenceData()
{
    m_pDB = std::make_unique<CDatabase>();
    if (!OpenReferenceDatabase(*m_pDB, m_sink))
        return;
    LoadCatalogue(*m_pDB, m_icdList, m_sink, [] {
        auto dialog = std::make_unique<CLoadingDlg>();
        dialog->ShowAndPaint();
        return std::unique_ptr<IProgress>(std::move(dialog));
    });
}

bool CVesmarApp::ProcessShellCommand(const CCommandLineInfo& cmdInfo)
{
    switch (cmdInfo.m_nShellCommand) {
    case CCommandLineInfo::AppUnregister:
        // The document type was never registered with the desktop, so there
        // is nothing left to remove.
        m_sink.showMessage(LoadString(AFX_IDP_UNREG_DONE));
        m_nExitCode = 0;
        return false;
    case CCommandLineInfo::FileNew:
        if (!CreateMainWindow() || !m_pDocManager->OnFileNew()) {
            m_nExitCode = 1;
            return false;
        }
        return true;
    case CCommandLineInfo::FileOpen:
    case CCommandLineInfo::FilePrint:
    case CCommandLineInfo::FilePrintTo:
        if (!CreateMainWindow() || !m_pDocManager->OpenDocumentFile(cmdInfo.m_strFileName)) {
            m_nExitCode = 1;
            return false;
        }
        if (cmdInfo.m_nShellCommand == CCommandLineInfo::FileOpen)
            return true;
        PrintDirect(cmdInfo.m_nShellCommand == CCommandLineInfo::FilePrintTo ? cmdInfo.m_strPrinterName
                                                                              : std::string());
        return false;
    }
    return false;
}

bool CVesmarApp::CreateMainWindow()
{
    m_pMainWnd = std::make_unique<CMainFrame>();
    if (!m_pMainWnd->Create())
        return false;
    m_pView = new CVesmarView(m_pDoc.get(), m_pDB.get(), &m_icdList, &m_sink);
    m_pView->setObjectName(QStringLiteral("59648"));
    m_pMainWnd->setCentralWidget(m_pView);
    m_pMainWnd->SetCloseQuery([this] { return m_pDocManager->SaveModified(); });
    m_pDocManager->SetObserver(this);

    auto bind = [this](int id, auto handler) {
        QObject::connect(m_pMainWnd->CommandAction(id), &QAction::triggered, m_pMainWnd.get(), handler);
    };
    bind(ID_FILE_NEW, [this] { m_pDocManager->OnFileNew(); });
    bind(ID_FILE_OPEN, [this] { m_pDocManager->OnFileOpen(); });
    bind(ID_FILE_SAVE, [this] { m_pDocManager->OnFileSave(); });
    bind(ID_FILE_SAVE_AS, [this] { m_pDocManager->OnFileSaveAs(); });
    bind(ID_FILE_PRINT, [this] { OnFilePrint(); });
    bind(ID_FILE_EXPORT_PDF, [this] { OnFileExportPdf(); });
    bind(ID_VIEW_GROUPING_DETAILS, [this] { OnViewGroupingDetails(); });
    QObject::connect(m_pView, &CVesmarView::TraceChanged, m_pMainWnd.get(), [this] {
        if (m_pDetails)
            m_pDetails->ShowTrace(m_pView->LastTrace());
    });
    bind(ID_CONFIGURATION, [this] { OnConfiguration(); });
    bind(ID_APP_ABOUT, [this] { OnAppAbout(); });
    return true;
}

void CVesmarApp::caseReplaced()
{
    if (m_pView)
        m_pView->RefillFromCase();
}

void CVesmarApp::titleChanged()
{
    if (m_pMainWnd)
        m_pMainWnd->SetDocumentTitle(m_pDoc->GetTitle());
}

void CVesmarApp::OnAppAbout()
{
    CAboutDlg dialog(m_pMainWnd.get());
    m_runner.run(dialog);
}

void CVesmarApp::OnConfiguration()
{
    CConfigDlg dialog(m_sink, m_pMainWnd.get());
    m_runner.run(dialog);
}

void CVesmarApp::OnFilePrint()
{
    QPrinter printer;
    QPrintDialog dialog(&printer, m_pMainWnd.get());
    if (m_runner.run(dialog) == QDialog::Accepted && !PrintPage(printer))
        m_sink.showMessage(FormatString1(IDS_PRINT_FAILED, m_pDoc->GetTitle()));
}

void CVesmarApp::PrintDirect(const std::string& printerName)
{
    const std::string path = codepage::Cp1252FromUtf8(m_pDoc->GetPathName());
    const QPrinterInfo target = printerName.empty() ? QPrinterInfo::defaultPrinter()
                                                    : QPrinterInfo::printerInfo(QString::fromLocal8Bit(printerName));
    if (target.isNull()) {
        m_sink.showMessage(FormatString1(IDS_NO_PRINTER, path));
        m_nExitCode = 1;
        return;
    }
    QPrinter printer(target);
    if (!PrintPage(printer)) {
        m_sink.showMessage(FormatString1(IDS_PRINT_FAILED, path));
        m_nExitCode = 1;
    }
}

bool CVesmarApp::PrintPage(QPrinter& printer)
{
    printer.setDocName(ToQString(m_pDoc->GetTitle()));
    return PrintCasePages(PageContent(), printer);
}

CCasePageContent CVesmarApp::PageContent() const
{
    CCasePageContent content;
    content.title = m_pDoc->GetTitle();
    content.birthDate = m_pDoc->GetBirthDate();
    content.admissionDate = m_pDoc->GetAdmissionDate();
    content.male = m_pDoc->IsMale();
    content.chosen.assign(m_pDoc->GetChosenList().begin(), m_pDoc->GetChosenList().end());
    content.bi.assign(m_pDoc->GetBiList().begin(), m_pDoc->GetBiList().end());
    if (m_pView) {
        CProcessInput dates;
        dates.birthDate = content.birthDate;
        dates.admissionDate = content.admissionDate;
        dates.birthDateOk = m_pView->IsBirthdateOk();
        dates.admissionDateOk = m_pView->IsAdmissionOk();
        int age = 0;
        if (CheckDates(dates, age))
            content.ageDays = age;
        content.discharge = m_pView->DischargeText();
        content.duration = m_pView->GetDuration();
        const std::string result = m_pView->ResultText();
        for (std::size_t start = 0; start < result.size();) {
            const std::size_t end = std::min(result.find('\n', start), result.size());
            content.resultLines.push_back(result.substr(start, end - start));
            start = end + 1;
        }
        content.trace = m_pView->LastTrace();
    }
    return content;
}

void CVesmarApp::OnFileExportPdf()
{
    FileDialogRequest request;
    request.proposedPath = std::filesystem::path(CDocManager::ProposedSaveName(*m_pDoc)).replace_extension(".pdf");
    request.filters = {"PDF Files (*.pdf)", "All Files (*.*)"};
    request.defaultExtension = ".pdf";
    const std::optional<std::string> chosen = m_prompts.askSavePath(request);
    if (!chosen)
        return;
    std::string path = *chosen;
    if (!std::filesystem::path(path).has_extension())
        path += request.defaultExtension;
    WriteCasePdf(PageContent(), path, m_sink);
}

void CVesmarApp::OnViewGroupingDetails()
{
    if (!m_pDetails)
        m_pDetails = new CGroupingDetailsDlg(m_pMainWnd.get());
    m_pDetails->ShowTrace(m_pView->LastTrace());
    m_pDetails->show();
    m_pDetails->raise();
    m_pDetails->activateWindow();
}
