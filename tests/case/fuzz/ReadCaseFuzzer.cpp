// libFuzzer target: any bytes given to ReadCase either fail with
// CArchiveException or give a case that writes and reads back unchanged.
// Anything else (another exception, a crash, a leak, undefined behaviour, an
// allocation beyond the fuzzer's malloc limit) is a finding.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "CArchiveException.h"
#include "CArchiveReader.h"
#include "CArchiveWriter.h"
#include "CVesmarDoc.h"

namespace {

std::string written(const CVesmarDoc& doc)
{
    std::string out;
    CArchiveWriter ar(out);
    doc.WriteCase(ar);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CVesmarDoc doc;
    try {
        CArchiveReader ar(std::string_view(reinterpret_cast<const char*>(data), size));
        doc.ReadCase(ar);
    } catch (const CArchiveException&) {
        return 0;
    }
    const std::string once = written(doc);
    CVesmarDoc again;
    CArchiveReader ar(once);
    again.ReadCase(ar);
    if (written(again) != once)
        __builtin_trap();
    return 0;
}
