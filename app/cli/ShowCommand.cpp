#include "CArchiveReader.h"
#include "CArchiveWriter.h"
#include "CCommandLine.h"
#include "CStderrSink.h"
#include "CVesmarDoc.h"
#include "CliSupport.h"
#include "Codepage.h"
#include "Commands.h"
#include "JsonText.h"

namespace {

std::string jsonList(const CStringList& list)
{
    std::string text = "[";
    for (const std::string& entry : list) {
        if (text.size() > 1)
            text += ',';
        text += JsonString(codepage::Utf8FromCp1252(entry));
    }
    return text + "]";
}

std::string jsonDate(const DateValue& date)
{
    return "{\"status\":" + std::to_string(date.m_status) + ",\"days\":" + JsonNumber(date.m_dt) + "}";
}

} // namespace

int RunShow(const CCommandLine& line, std::ostream& out, std::ostream& err)
{
    CStderrSink sink(err);
    CVesmarDoc doc;
    if (!OpenCaseFile(doc, line.operands()[0], sink))
        return kExitFailed;

    // The reserved value and the sex as stored have no accessors: take them
    // from the first two fields of the document's own file image.
    std::string image;
    CArchiveWriter writer(image);
    doc.WriteCase(writer);
    writer.Flush();
    CArchiveReader reader(image);
    const std::int32_t reserved = reader.ReadLong();
    const std::int32_t sex = reader.ReadLong();

    out << "{\"reserved\":" << reserved << ",\"sex\":" << sex << ",\"chosen\":" << jsonList(doc.GetChosenList())
        << ",\"bi\":" << jsonList(doc.GetBiList()) << ",\"birth\":" << jsonDate(doc.GetBirthDate())
        << ",\"admission\":" << jsonDate(doc.GetAdmissionDate()) << ",\"birthSet\":" << doc.IsBirthDateSet()
        << "}\n";
    return kExitOk;
}
