#include "CReplaceFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "CFileException.h"
#include "MessageSink.h"
#include "StringTable.h"

namespace {

// A new, empty file beside target with a name no one else uses; its path goes
// to tempPath. Permissions are those of a newly created file. Failures to
// create it name the temporary file; the caller tells the user the target's
// name.
CFile createTemporary(const std::string& target, std::string& tempPath)
{
    // Renaming would replace a file that its owner protected from writing.
    if (::access(target.c_str(), F_OK) == 0 && ::access(target.c_str(), W_OK) != 0)
        throw CFileException::FromErrno(errno, target);
    std::filesystem::path folder = std::filesystem::path(target).parent_path();
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0;; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, ".vesmar-%08x.tmp", static_cast<unsigned>(random()));
        tempPath = (folder / name).string();
        try {
            return CFile::CreateNew(tempPath, 0666);
        } catch (const CFileException& e) {
            if (e.m_lOsError != EEXIST || attempt == 100)
                throw;
        }
    }
}

// Saving through a symbolic link replaces the file it points to, not the link.
std::string resolvedTarget(const std::string& path)
{
    std::error_code ec;
    if (!std::filesystem::is_symlink(path, ec))
        return path;
    std::filesystem::path target = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : target.string();
}

} // namespace

CReplaceFile::CReplaceFile(const std::string& targetPath)
    : m_strTarget(targetPath), m_file(createTemporary(targetPath, m_strTemp))
{
    // The destructor does not run when the constructor throws.
    try {
        struct stat st {};
        if (::stat(m_strTarget.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            // A replaced file keeps its permissions, and its owner where the
            // saver may give the file away (root); otherwise it becomes the
            // saver's.
            m_file.TrySetOwner(st.st_uid, st.st_gid);
            m_file.SetMode(st.st_mode & 07777);
        }
    } catch (...) {
        ::unlink(m_strTemp.c_str());
        throw;
    }
}

CReplaceFile::~CReplaceFile()
{
    if (!m_bCommitted)
        ::unlink(m_strTemp.c_str());
}

void CReplaceFile::Commit()
{
    m_file.Flush();
    m_file.Close();
    if (::rename(m_strTemp.c_str(), m_strTarget.c_str()) != 0)
        throw CFileException::FromErrno(errno, m_strTarget);
    m_bCommitted = true;
    // The new name must survive a crash as well as the bytes. A folder that
    // cannot be synced still holds the complete file, so this is best effort.
    std::string folder = std::filesystem::path(m_strTarget).parent_path().string();
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool SaveReplacing(const std::string& fullPath, const std::function<void(CFile&)>& write, IMessageSink& sink)
{
    try {
        CReplaceFile out(resolvedTarget(fullPath));
        write(out.GetFile());
        out.Commit();
    } catch (const CFileException& e) {
        // The failing step may have named the temporary file; the user knows
        // the file being saved.
        sink.showMessage(CFileException(e.m_cause, e.m_lOsError, fullPath).UserMessage());
        return false;
    } catch (const std::exception&) {
        sink.showMessage(LoadString(AFX_IDP_FAILED_TO_SAVE_DOC));
        return false;
    }
    return true;
}
