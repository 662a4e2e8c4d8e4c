#include "CDocManager.h"

#include <algorithm>
#include <filesystem>

#include "CVesmarDoc.h"
#include "Codepage.h"
#include "IDocumentObserver.h"
#include "IDocumentPrompts.h"
#include "MessageSink.h"
#include "StringTable.h"

namespace {

FileDialogRequest dialogRequest(std::string proposedPath)
{
    return {std::move(proposedPath), CDocManager::FileFilters(), CVesmarDoc::GetDocString(CVesmarDoc::filterExt)};
}

} // namespace

CDocManager::CDocManager(CVesmarDoc& doc, IDocumentPrompts& prompts, IMessageSink& sink)
    : m_doc(doc), m_prompts(prompts), m_sink(sink)
{
}

bool CDocManager::OnFileNew()
{
    if (!SaveModified())
        return false;
    m_doc.OnNewDocument();
    NotifyReplaced();
    return true;
}

bool CDocManager::OnFileOpen()
{
    if (!SaveModified())
        return false;
    std::optional<std::string> path = m_prompts.askOpenPath(dialogRequest({}));
    return path && OpenDocumentFile(*path);
}

bool CDocManager::OpenDocumentFile(const std::string& path)
{
    switch (m_doc.OnOpenDocument(path, m_sink)) {
    case CVesmarDoc::OpenResult::Opened:
        NotifyReplaced();
        return true;
    case CVesmarDoc::OpenResult::FailedWhileReading:
        // The case was reset; the form must not go on showing the old one.
        NotifyReplaced();
        return false;
    case CVesmarDoc::OpenResult::FailedBeforeReading:
        break;
    }
    return false;
}

bool CDocManager::OnFileSave()
{
    return DoSave(m_doc.GetPathName());
}

bool CDocManager::OnFileSaveAs()
{
    return DoSave({});
}

bool CDocManager::DoSave(const std::string& path)
{
    std::string target = path;
    if (target.empty()) {
        std::optional<std::string> chosen = m_prompts.askSavePath(dialogRequest(ProposedSaveName(m_doc)));
        if (!chosen)
            return false;
        target = WithDefaultExtension(*chosen);
    }
    if (!m_doc.OnSaveDocument(target, m_sink))
        return false;
    if (m_pObserver)
        m_pObserver->titleChanged();
    return true;
}

bool CDocManager::SaveModified()
{
    if (!m_doc.IsModified())
        return true;
    const std::string& path = m_doc.GetPathName();
    const std::string name = path.empty() ? m_doc.GetTitle() : CVesmarDoc::TitleFromPath(path);
    switch (m_prompts.askSaveChanges(FormatString1(AFX_IDP_ASK_TO_SAVE, name))) {
    case SaveAnswer::Yes:
        return OnFileSave();
    case SaveAnswer::No:
        return true;
    case SaveAnswer::Cancel:
        break;
    }
    return false;
}

void CDocManager::NotifyReplaced()
{
    if (m_pObserver) {
        m_pObserver->caseReplaced();
        m_pObserver->titleChanged();
    }
}

std::string CDocManager::ProposedSaveName(const CVesmarDoc& doc)
{
    if (!doc.GetPathName().empty())
        return doc.GetPathName();
    std::string stem = doc.GetTitle();
    stem.resize(std::min(stem.size(), stem.find_first_of(" #%;/\\")));
    return codepage::Utf8FromCp1252(stem) + CVesmarDoc::GetDocString(CVesmarDoc::filterExt);
}

std::string CDocManager::WithDefaultExtension(const std::string& path)
{
    if (std::filesystem::path(path).has_extension())
        return path;
    return path + CVesmarDoc::GetDocString(CVesmarDoc::filterExt);
}

std::vector<std::string> CDocManager::FileFilters()
{
    return {CVesmarDoc::GetDocString(CVesmarDoc::filterName), "All Files (*.*)"};
}
