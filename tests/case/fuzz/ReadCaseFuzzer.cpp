// libFuzzer target: any bytes given to ReadCase either fail with
// CArchiveException or give a case that writes and reads back unchanged, and
// reading them never takes more heap than a small multiple of their size.
// Anything else (another exception, a crash, a leak, undefined behaviour, an
// allocation beyond the fuzzer's malloc limit) is a finding.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <sanitizer/allocator_interface.h>
#include <string>
#include <string_view>

#include "CArchiveException.h"
#include "CArchiveReader.h"
#include "CArchiveWriter.h"
#include "CVesmarDoc.h"

namespace {

// Heap taken by this thread while counting: now and at the most.
thread_local bool t_counting = false;
thread_local std::size_t t_live = 0;
thread_local std::size_t t_peak = 0;

void onMalloc(const volatile void*, std::size_t size)
{
    if (t_counting) {
        t_live += size;
        t_peak = std::max(t_peak, t_live);
    }
}

void onFree(const volatile void* pointer)
{
    if (t_counting) {
        const std::size_t size = __sanitizer_get_allocated_size(const_cast<const void*>(pointer));
        t_live -= std::min(size, t_live);
    }
}

// What the README promises: a refused file costs a few times its size, a case
// that opens at most one 32-byte string per byte of the file besides.
constexpr std::size_t kRefusedFactor = 8;
constexpr std::size_t kOpenedFactor = 40;
constexpr std::size_t kSlack = 64 * 1024;

std::string written(const CVesmarDoc& doc)
{
    std::string out;
    CArchiveWriter ar(out);
    doc.WriteCase(ar);
    return out;
}

void checkPeak(std::size_t size, std::size_t factor)
{
    if (t_peak > factor * size + kSlack) {
        std::fprintf(stderr, "reading %zu bytes took %zu bytes of heap\n", size, t_peak);
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CVesmarDoc doc;
    t_live = t_peak = 0;
    t_counting = true;
    try {
        CArchiveReader ar(std::string_view(reinterpret_cast<const char*>(data), size));
        doc.ReadCase(ar);
    } catch (const CArchiveException&) {
        t_counting = false;
        checkPeak(size, kRefusedFactor);
        return 0;
    }
    t_counting = false;
    checkPeak(size, kOpenedFactor);
    const std::string once = written(doc);
    CVesmarDoc again;
    CArchiveReader ar(once);
    again.ReadCase(ar);
    if (written(again) != once)
        __builtin_trap();
    return 0;
}
