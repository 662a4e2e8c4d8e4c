#include "CReplaceFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <system_error>
#include <sys/stat.h>
#include <unistd.h>

#include "CFileException.h"
#include "MessageSink.h"
#include "StringTable.h"

namespace {

// The file that a save replaces: the target itself, or the file its symbolic
// link points to (the link stays a link). Only a regular file, or a name that
// does not exist yet, may be replaced: renaming over a named pipe, a device or
// a folder would put a regular file in its place, and a link that points
// nowhere would be replaced by one. Such a target is refused as access denied.
std::string replaceableTarget(const std::string& target)
{
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0) {
        if (errno == ENOENT)
            return target;
        throw CFileException::FromErrno(errno, target);
    }
    std::string resolved = target;
    if (S_ISLNK(st.st_mode)) {
        std::error_code ec;
        resolved = std::filesystem::canonical(target, ec).string();
        if (ec || ::stat(resolved.c_str(), &st) != 0)
            throw CFileException(CFileException::accessDenied, ec ? ec.value() : errno, target);
    }
    if (!S_ISREG(st.st_mode))
        throw CFileException(CFileException::accessDenied, S_ISDIR(st.st_mode) ? EISDIR : 0, target);
    // Renaming would replace a file that its owner protected from writing.
    if (::access(resolved.c_str(), W_OK) != 0)
        throw CFileException::FromErrno(errno, target);
    return resolved;
}

// A new, empty file beside target with a name no one else uses; its path goes
// to tempPath. Permissions are those of a newly created file. Failures to
// create it name the temporary file; the caller tells the user the target's
// name.
CFile createTemporary(const std::string& target, std::string& tempPath)
{
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

} // namespace

CReplaceFile::CReplaceFile(const std::string& targetPath)
    : m_strTarget(replaceableTarget(targetPath)), m_file(createTemporary(m_strTarget, m_strTemp))
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
        CReplaceFile out(fullPath);
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
