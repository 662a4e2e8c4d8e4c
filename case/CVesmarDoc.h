#pragma once

#include <cstdint>
#include <string>

#include "CStringList.h"
#include "DateValue.h"

class CArchiveReader;
class CArchiveWriter;
class IMessageSink;

// Who sets the sex, a date or a date's flag. Program: the form's refill (which
// puts today's date into the admission date of a new case), reading a file,
// any code that builds a case; the case is not marked modified. User: the user
// changed it on the form (the Male/Female buttons, typing in a date edit); the
// case is marked modified when the value actually differs, so that closing
// asks to save it.
enum class ChangeSource { Program, User };

// The one case the program works on, and its file. Texts (list entries, the
// title) are Windows-1252; paths are file-system bytes (UTF-8).
//
// Reading and writing go through ReadCase/WriteCase on an archive; the On...
// operations below do a whole New, Open or Save with the failure messages,
// and are what the document commands and the command-line tool call.
class CVesmarDoc {
public:
    enum class OpenResult {
        Opened,              // read (or the file was empty); path and title from the file
        FailedBeforeReading, // could not be opened: nothing changed
        FailedWhileReading,  // reading started and failed: the case was reset as by New
    };

    CVesmarDoc();

    // The pieces of the document string (string 128): "Vesmar", "patient",
    // "Vesmar-document", "Vesmar-Files (*.drg)", ".drg", ...
    enum DocStringIndex { windowTitle, docName, fileNewName, filterName, filterExt, regFileTypeId, regFileTypeName };
    static std::string GetDocString(DocStringIndex index);
    CVesmarDoc(const CVesmarDoc&) = delete;
    CVesmarDoc& operator=(const CVesmarDoc&) = delete;

    // The list operations mark the case modified. A removal takes the first
    // entry equal byte for byte; a text the list does not hold changes nothing.
    void AddChosenDiagnosis(const std::string& entry);
    void RemoveChosenDiagnosis(const std::string& entry);
    void AddBiDiagnosis(const std::string& entry);
    void RemoveBiDiagnosis(const std::string& entry);
    const CStringList& GetChosenList() const { return m_chosenList; }
    const CStringList& GetBiList() const { return m_biList; }

    // The sex as the form and the Process command read it. SetMale sets the
    // stored sex too (1 male, 0 female); a file's other values read as female
    // and are written back unchanged until SetMale is called.
    bool IsMale() const { return m_bMale; }
    void SetMale(bool male, ChangeSource source = ChangeSource::Program);

    DateValue GetBirthDate() const { return m_birthDate; }
    void SetBirthDate(const DateValue& date, ChangeSource source = ChangeSource::Program);
    DateValue GetAdmissionDate() const { return m_admissionDate; }
    void SetAdmissionDate(const DateValue& date, ChangeSource source = ChangeSource::Program);

    // 1 while the form's edit holds an accepted date, else 0. The birth flag
    // is stored in the file, the admission flag is not.
    std::int32_t IsBirthDateSet() const { return m_bBirthDateSet; }
    void SetBirthDateSet(std::int32_t set, ChangeSource source = ChangeSource::Program);
    std::int32_t IsAdmissionDateSet() const { return m_bAdmissionDateSet; }
    void SetAdmissionDateSet(std::int32_t set, ChangeSource source = ChangeSource::Program);

    // The case of File > New: male, reserved value -1, both lists empty, both
    // date flags 0. The dates keep their values.
    void ResetCase();

    // The case file, byte for byte. ReadCase throws CArchiveException for
    // bytes that are no case and CFileException when the file fails; either
    // way the case is left as it was. After a successful read the admission
    // flag is 1 when the file's admission date is valid, so that the form
    // shows the file's date.
    void WriteCase(CArchiveWriter& ar) const;
    void ReadCase(CArchiveReader& ar);

    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true) { m_bModified = modified; }
    // "patient" for a case without a file, else the file's name with its extension.
    const std::string& GetTitle() const { return m_strTitle; }
    // The file's full path; empty for a case without a file.
    const std::string& GetPathName() const { return m_strPathName; }
    // The title a file's path gives: its file name (Windows-1252).
    static std::string TitleFromPath(const std::string& fullPath);

    // New: title "patient", no path, ResetCase, not modified.
    void OnNewDocument();
    // Opens path (made absolute) and reads it; an empty file reads nothing
    // and keeps the case. Failures are told to sink.
    OpenResult OnOpenDocument(const std::string& path, IMessageSink& sink);
    // Writes the case to path (made absolute) through a temporary file in the
    // same folder that replaces the target only when complete and on disk; a
    // failure is told to sink and leaves both the target and the case as they
    // were. On success path and title are taken from the file, not modified.
    bool OnSaveDocument(const std::string& path, IMessageSink& sink);

private:
    void SetPathName(const std::string& fullPath);
    template <typename T>
    void SetField(T& field, const T& value, ChangeSource source);

    CStringList m_chosenList;
    CStringList m_biList;
    std::int32_t m_nReserved = -1;
    bool m_bMale = true;
    DateValue m_birthDate;
    DateValue m_admissionDate;
    std::int32_t m_nSex = 1;
    std::int32_t m_bBirthDateSet = 0;
    std::int32_t m_bAdmissionDateSet = 0;

    bool m_bModified = false;
    std::string m_strTitle;
    std::string m_strPathName;
};
