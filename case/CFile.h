#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// An open file descriptor, closed by the destructor. Every failure throws
// CFileException carrying the path given at opening.
class CFile {
public:
    // Opens an existing regular file for reading. A folder or a device is
    // refused as access denied.
    static CFile OpenForReading(const std::string& path);

    // Creates path, which must not exist yet, for writing, with the given
    // permission bits less the umask. m_lOsError is EEXIST when it exists.
    // From the first call on, writing past the file-size limit fails as a
    // disk-full error rather than raising SIGXFSZ.
    static CFile CreateNew(const std::string& path, unsigned mode);

    CFile(CFile&& other) noexcept;
    CFile& operator=(CFile&& other) noexcept;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    ~CFile();

    std::uint64_t GetLength() const;
    // Reads up to size bytes; returns the number read, 0 at the end.
    std::size_t Read(void* buffer, std::size_t size);
    void Write(const void* buffer, std::size_t size);
    // Forces the written bytes onto the disk.
    void Flush();
    void SetMode(unsigned mode);
    // Best effort: only root may give a file away, others keep it.
    void TrySetOwner(unsigned uid, unsigned gid);
    // Closes now, so that an error of the last write is reported.
    void Close();

    const std::string& GetFilePath() const { return m_strPath; }

private:
    CFile(int fd, std::string path) : m_fd(fd), m_strPath(std::move(path)) {}

    int m_fd = -1;
    std::string m_strPath;
};
