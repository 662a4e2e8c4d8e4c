#include "CVesmarDoc.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <optional>
#include <string_view>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "CArchiveException.h"
#include "CArchiveReader.h"
#include "CArchiveWriter.h"
#include "CFile.h"
#include "CFileException.h"
#include "CReplaceFile.h"
#include "Codepage.h"
#include "MessageSink.h"
#include "StringTable.h"

namespace {

// The list objects are stored as the framework's object archive stores them:
// a class tag, for the first object the class's description, then the body.
constexpr std::uint16_t kNewClassTag = 0xFFFF;
constexpr std::uint16_t kListClassReference = 0x8001; // class index 1: the description read first
constexpr std::string_view kListClassName = "CStringList";
constexpr std::size_t kMaxClassNameLength = 64;

void writeList(CArchiveWriter& ar, const CStringList& list)
{
    ar.WriteCount(list.GetCount());
    for (const std::string& entry : list)
        ar.WriteString(entry);
}

void readClassDescription(CArchiveReader& ar)
{
    std::uint16_t schema = ar.ReadWord();
    std::uint16_t length = ar.ReadWord();
    if (length >= kMaxClassNameLength)
        throw CArchiveException(CArchiveException::badClass, "class name too long");
    char name[kMaxClassNameLength];
    ar.ReadBytes(name, length);
    if (std::string_view(name, length) != kListClassName)
        throw CArchiveException(CArchiveException::badClass, "not a string list");
    if (schema != 0)
        throw CArchiveException(CArchiveException::badSchema, "unknown string list schema");
}

// The header of a list object. The first must describe the class; the second
// may refer to that description or repeat it. A missing list (tag 0), a
// reference to the first list object (tag 2) or any other reference is
// refused: the document needs two lists of its own.
void readListHeader(CArchiveReader& ar, bool first)
{
    std::uint16_t tag = ar.ReadWord();
    if (tag == kNewClassTag)
        readClassDescription(ar);
    else if (first || tag != kListClassReference)
        throw CArchiveException(CArchiveException::badIndex, "list header refers to nothing read");
}

// A list as it is read: the entries' bytes end to end and where each ends.
// Until the whole file has been read, an entry costs four bytes besides its
// text, so a file claiming millions of entries costs a few times its size
// before it is refused.
struct ReadList {
    std::string bytes;
    std::vector<std::uint32_t> ends;

    CStringList take()
    {
        CStringList list;
        list.Reserve(ends.size());
        std::size_t start = 0;
        for (std::uint32_t end : ends) {
            list.AddTail(bytes.substr(start, end - start));
            start = end;
        }
        *this = ReadList();
        return list;
    }
};

ReadList readList(CArchiveReader& ar, bool first)
{
    readListHeader(ar, first);
    ReadList list;
    const std::uint32_t count = ar.ReadCount();
    // Each entry takes at least its one-byte length, so neither the count
    // nor the text can be larger than what is left of the file.
    const std::uint64_t left = ar.Remaining();
    list.ends.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(count, left)));
    list.bytes.reserve(static_cast<std::size_t>(left - std::min<std::uint64_t>(count, left)));
    for (std::uint32_t n = count; n > 0; --n) {
        ar.AppendString(list.bytes);
        if (list.bytes.size() > std::numeric_limits<std::uint32_t>::max())
            throw std::length_error("case file list larger than 4 GiB");
        list.ends.push_back(static_cast<std::uint32_t>(list.bytes.size()));
    }
    return list;
}

DateValue readDate(CArchiveReader& ar)
{
    DateValue date;
    date.m_status = ar.ReadLong();
    date.m_dt = ar.ReadDouble();
    return date;
}

void writeDate(CArchiveWriter& ar, const DateValue& date)
{
    ar.WriteLong(date.m_status);
    ar.WriteDouble(date.m_dt);
}

std::string fullPath(const std::string& path)
{
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}

} // namespace

std::string CVesmarDoc::GetDocString(DocStringIndex index)
{
    std::string_view rest = LoadString(IDR_MAINFRAME);
    for (int i = 0; i < index && !rest.empty(); ++i) {
        std::size_t nl = rest.find('\n');
        rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
    }
    return std::string(rest.substr(0, rest.find('\n')));
}

CVesmarDoc::CVesmarDoc() : m_strTitle(GetDocString(docName))
{
}

void CVesmarDoc::AddChosenDiagnosis(const std::string& entry)
{
    m_chosenList.AddTail(entry);
    m_bModified = true;
}

void CVesmarDoc::RemoveChosenDiagnosis(const std::string& entry)
{
    m_chosenList.RemoveFirst(entry);
    m_bModified = true;
}

void CVesmarDoc::AddBiDiagnosis(const std::string& entry)
{
    m_biList.AddTail(entry);
    m_bModified = true;
}

void CVesmarDoc::RemoveBiDiagnosis(const std::string& entry)
{
    m_biList.RemoveFirst(entry);
    m_bModified = true;
}

template <typename T>
void CVesmarDoc::SetField(T& field, const T& value, ChangeSource source)
{
    if (source == ChangeSource::User && !(field == value))
        m_bModified = true;
    field = value;
}

void CVesmarDoc::SetMale(bool male, ChangeSource source)
{
    SetField(m_bMale, male, source);
    SetField(m_nSex, std::int32_t(male ? 1 : 0), source);
}

void CVesmarDoc::SetBirthDate(const DateValue& date, ChangeSource source)
{
    SetField(m_birthDate, date, source);
}

void CVesmarDoc::SetAdmissionDate(const DateValue& date, ChangeSource source)
{
    SetField(m_admissionDate, date, source);
}

void CVesmarDoc::SetBirthDateSet(std::int32_t set, ChangeSource source)
{
    SetField(m_bBirthDateSet, set, source);
}

void CVesmarDoc::SetAdmissionDateSet(std::int32_t set, ChangeSource source)
{
    SetField(m_bAdmissionDateSet, set, source);
}

void CVesmarDoc::ResetCase()
{
    SetMale(true);
    m_nReserved = -1;
    m_chosenList.RemoveAll();
    m_biList.RemoveAll();
    m_bBirthDateSet = 0;
    m_bAdmissionDateSet = 0;
}

void CVesmarDoc::WriteCase(CArchiveWriter& ar) const
{
    ar.WriteLong(m_nReserved);
    ar.WriteLong(m_nSex);
    ar.WriteWord(kNewClassTag);
    ar.WriteWord(0); // schema
    ar.WriteWord(static_cast<std::uint16_t>(kListClassName.size()));
    ar.WriteBytes(kListClassName.data(), kListClassName.size());
    writeList(ar, m_chosenList);
    ar.WriteWord(kListClassReference);
    writeList(ar, m_biList);
    writeDate(ar, m_birthDate);
    writeDate(ar, m_admissionDate);
    ar.WriteLong(m_bBirthDateSet);
}

void CVesmarDoc::ReadCase(CArchiveReader& ar)
{
    // Everything is read before anything is taken over, so a failure leaves
    // the case whole.
    std::int32_t reserved = ar.ReadLong();
    std::int32_t sex = ar.ReadLong();
    ReadList chosen = readList(ar, true);
    ReadList bi = readList(ar, false);
    DateValue birthDate = readDate(ar);
    DateValue admissionDate = readDate(ar);
    std::int32_t birthDateSet = ar.ReadLong();

    m_nReserved = reserved;
    m_nSex = sex;
    m_bMale = sex == 1;
    m_chosenList = chosen.take();
    m_biList = bi.take();
    m_birthDate = birthDate;
    m_admissionDate = admissionDate;
    m_bBirthDateSet = birthDateSet;
    // The admission flag is not stored; without this the form would replace
    // the file's admission date by today's whenever the flag happened to be 0.
    if (admissionDate.m_status == DateValue::valid)
        m_bAdmissionDateSet = 1;
}

void CVesmarDoc::SetPathName(const std::string& fullPath)
{
    m_strPathName = fullPath;
    m_strTitle = TitleFromPath(fullPath);
}

std::string CVesmarDoc::TitleFromPath(const std::string& fullPath)
{
    return codepage::Cp1252FromUtf8(std::filesystem::path(fullPath).filename().string());
}

void CVesmarDoc::OnNewDocument()
{
    m_strTitle = GetDocString(docName);
    m_strPathName.clear();
    ResetCase();
    m_bModified = false;
}

CVesmarDoc::OpenResult CVesmarDoc::OnOpenDocument(const std::string& path, IMessageSink& sink)
{
    const std::string full = fullPath(path);
    std::optional<CFile> file;
    std::uint64_t size = 0;
    try {
        file.emplace(CFile::OpenForReading(full));
        size = file->GetLength();
    } catch (const CFileException& e) {
        sink.showMessage(e.UserMessage());
        return OpenResult::FailedBeforeReading;
    }

    // An empty file reads nothing and the case keeps its contents.
    if (size > 0) {
        m_bModified = true;
        std::string message;
        try {
            CArchiveReader ar(*file, size);
            ReadCase(ar);
        } catch (const CArchiveException&) {
            message = LoadString(AFX_IDP_ARCH_BADFORMAT);
        } catch (const CFileException& e) {
            message = e.UserMessage();
        } catch (const std::exception&) {
            message = LoadString(AFX_IDP_FAILED_TO_OPEN_DOC);
        }
        if (!message.empty()) {
            OnNewDocument();
            sink.showMessage(message);
            return OpenResult::FailedWhileReading;
        }
    }
    SetPathName(full);
    m_bModified = false;
    return OpenResult::Opened;
}

bool CVesmarDoc::OnSaveDocument(const std::string& path, IMessageSink& sink)
{
    const std::string full = fullPath(path);
    const bool saved = SaveReplacing(full, [this](CFile& file) {
        CArchiveWriter ar(file);
        WriteCase(ar);
        ar.Flush();
    }, sink);
    if (!saved)
        return false;
    SetPathName(full);
    m_bModified = false;
    return true;
}
