#include "CFileException.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "Codepage.h"
#include "StringTable.h"

CFileException::CFileException(Cause cause, int osError, std::string path)
    : std::runtime_error(path), m_cause(cause), m_lOsError(osError), m_strFileName(std::move(path))
{
}

CFileException CFileException::FromErrno(int err, const std::string& path)
{
    Cause cause = generic;
    switch (err) {
    case ENOENT: {
        // The system does not tell a missing file from a missing folder.
        std::error_code ec;
        std::filesystem::path parent = std::filesystem::path(path).parent_path();
        cause = parent.empty() || std::filesystem::is_directory(parent, ec) ? fileNotFound : badPath;
        break;
    }
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        cause = badPath;
        break;
    case EMFILE:
    case ENFILE:
        cause = tooManyOpenFiles;
        break;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        cause = accessDenied;
        break;
    case EBADF:
        cause = invalidFile;
        break;
    case EMLINK:
        cause = directoryFull;
        break;
    case ESPIPE:
    case EOVERFLOW:
        cause = badSeek;
        break;
    case EIO:
        cause = hardIO;
        break;
    case ETXTBSY:
    case EBUSY:
        cause = sharingViolation;
        break;
    case ENOLCK:
    case EDEADLK:
        cause = lockViolation;
        break;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        cause = diskFull;
        break;
    default:
        break;
    }
    return CFileException(cause, err, path);
}

int CFileException::MessageId() const
{
    switch (m_cause) {
    case fileNotFound: return AFX_IDP_FILE_NOT_FOUND;
    case badPath: return AFX_IDP_FILE_BAD_PATH;
    case tooManyOpenFiles: return AFX_IDP_FILE_TOO_MANY_OPEN;
    case accessDenied: return AFX_IDP_FILE_ACCESS_DENIED;
    case invalidFile: return AFX_IDP_FILE_INVALID_FILE;
    case directoryFull: return AFX_IDP_FILE_DIR_FULL;
    case badSeek: return AFX_IDP_FILE_BAD_SEEK;
    case hardIO: return AFX_IDP_FILE_HARD_IO;
    case sharingViolation: return AFX_IDP_FILE_SHARING;
    case lockViolation: return AFX_IDP_FILE_LOCKING;
    case diskFull: return AFX_IDP_FILE_DISKFULL;
    case endOfFile: return AFX_IDP_FILE_EOF;
    case generic: break;
    }
    return AFX_IDP_FILE_GENERIC;
}

std::string CFileException::UserMessage() const
{
    return FormatString1(MessageId(), codepage::Cp1252FromUtf8(m_strFileName));
}
