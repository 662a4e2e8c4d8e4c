#pragma once

#include <functional>
#include <string>

#include "CFile.h"

class IMessageSink;

// Replacing a file without ever losing it: the new bytes go to a temporary
// file in the target's folder, which Commit puts on the disk and renames over
// the target. Until then the target is untouched; a replace that is not
// committed deletes its temporary file.
class CReplaceFile {
public:
    // targetPath: full path of the file to create or replace; a symbolic
    // link is followed and the file it points to replaced. Anything but a
    // regular file or a name not yet taken is refused as access denied.
    // Every step throws CFileException on failure.
    explicit CReplaceFile(const std::string& targetPath);
    CReplaceFile(const CReplaceFile&) = delete;
    CReplaceFile& operator=(const CReplaceFile&) = delete;
    ~CReplaceFile();

    CFile& GetFile() { return m_file; }
    void Commit();

private:
    std::string m_strTarget;
    std::string m_strTemp;
    CFile m_file;
    bool m_bCommitted = false;
};

// Saves fullPath through a CReplaceFile (a symbolic link: the file it points
// to) with the bytes write puts into the file. A failure is told through sink
// (the file error's text naming fullPath, or "Failed to save document.") and
// gives false; the target is then untouched.
bool SaveReplacing(const std::string& fullPath, const std::function<void(CFile&)>& write, IMessageSink& sink);
