#include "CDocumentPromptsQt.h"

#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

#include "DialogRunner.h"
#include "QtText.h"
#include "StringTable.h"

namespace {

QString filterText(const std::vector<std::string>& filters)
{
    QStringList list;
    for (const std::string& filter : filters)
        list << ToQString(filter);
    return list.join(QStringLiteral(";;"));
}

} // namespace

CDocumentPromptsQt::CDocumentPromptsQt(IDialogRunner& runner)
    : m_runner(runner)
{
}

std::optional<std::string> CDocumentPromptsQt::askPath(const FileDialogRequest& request, bool save)
{
    QFileDialog dialog(m_owner);
    dialog.setObjectName(save ? QStringLiteral("saveAs") : QStringLiteral("open"));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(filterText(request.filters));
    if (!request.proposedPath.empty())
        dialog.selectFile(QFile::decodeName(request.proposedPath.c_str()));
    if (m_runner.run(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return std::string(QFile::encodeName(dialog.selectedFiles().constFirst()).constData());
}

std::optional<std::string> CDocumentPromptsQt::askOpenPath(const FileDialogRequest& request)
{
    return askPath(request, false);
}

std::optional<std::string> CDocumentPromptsQt::askSavePath(const FileDialogRequest& request)
{
    return askPath(request, true);
}

SaveAnswer CDocumentPromptsQt::askSaveChanges(const std::string& question)
{
    QMessageBox box(QMessageBox::Warning, ToQString(LoadString(AFX_IDS_APP_TITLE)), ToQString(question),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, m_owner);
    box.setObjectName(QStringLiteral("saveQuestion"));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (m_runner.run(box)) {
    case QMessageBox::Yes:
        return SaveAnswer::Yes;
    case QMessageBox::No:
        return SaveAnswer::No;
    default:
        return SaveAnswer::Cancel;
    }
}
