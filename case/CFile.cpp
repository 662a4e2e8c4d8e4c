#include "CFile.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "CFileException.h"

namespace {

[[noreturn]] void throwErrno(const std::string& path)
{
    throw CFileException::FromErrno(errno, path);
}

// A write beyond the process's file-size limit (ulimit -f) then fails with
// EFBIG, a file error like a full disk, instead of ending the process with
// its temporary file left behind. A handler someone else installed stays.
void failWritesPastTheSizeLimit()
{
    [[maybe_unused]] static const bool done = [] {
        struct sigaction current {};
        if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL &&
            !(current.sa_flags & SA_SIGINFO))
            ::signal(SIGXFSZ, SIG_IGN);
        return true;
    }();
}

} // namespace

CFile CFile::OpenForReading(const std::string& path)
{
    // Non-blocking, so that a named pipe given as a case file cannot hang the
    // program before it is refused below.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throwErrno(path);
    CFile file(fd, path);
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        throwErrno(path);
    if (!S_ISREG(st.st_mode))
        throw CFileException(CFileException::accessDenied, S_ISDIR(st.st_mode) ? EISDIR : 0, path);
    return file;
}

CFile CFile::CreateNew(const std::string& path, unsigned mode)
{
    failWritesPastTheSizeLimit();
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0)
        throwErrno(path);
    return CFile(fd, path);
}

CFile::CFile(CFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_strPath(std::move(other.m_strPath))
{
}

CFile& CFile::operator=(CFile&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
        m_strPath = std::move(other.m_strPath);
    }
    return *this;
}

CFile::~CFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::uint64_t CFile::GetLength() const
{
    struct stat st {};
    if (::fstat(m_fd, &st) != 0)
        throwErrno(m_strPath);
    return static_cast<std::uint64_t>(st.st_size);
}

std::size_t CFile::Read(void* buffer, std::size_t size)
{
    for (;;) {
        ssize_t n = ::read(m_fd, buffer, size);
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR)
            throwErrno(m_strPath);
    }
}

void CFile::Write(const void* buffer, std::size_t size)
{
    const char* p = static_cast<const char*>(buffer);
    while (size > 0) {
        ssize_t n = ::write(m_fd, p, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throwErrno(m_strPath);
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
}

void CFile::Flush()
{
    if (::fsync(m_fd) != 0)
        throwErrno(m_strPath);
}

void CFile::SetMode(unsigned mode)
{
    if (::fchmod(m_fd, mode) != 0)
        throwErrno(m_strPath);
}

void CFile::TrySetOwner(unsigned uid, unsigned gid)
{
    if (::fchown(m_fd, uid, gid) != 0) {
        // The file stays the saver's.
    }
}

void CFile::Close()
{
    int fd = std::exchange(m_fd, -1);
    if (fd >= 0 && ::close(fd) != 0 && errno != EINTR)
        throwErrno(m_strPath);
}
