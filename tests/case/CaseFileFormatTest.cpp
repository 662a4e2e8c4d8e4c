// The case file byte for byte, read and written in memory.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "CArchiveException.h"
#include "CaseBytes.h"
#include "CVesmarDoc.h"

using namespace casebytes;

namespace {
std::atomic<std::size_t> g_largestAllocation{0};
}

// Every allocation of this test program is measured, so that a crafted length
// that made the reader allocate would be seen.
void* operator new(std::size_t size)
{
    std::size_t largest = g_largestAllocation.load();
    while (size > largest && !g_largestAllocation.compare_exchange_weak(largest, size)) {
    }
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

// GCC pairs the library's new-expressions with these deletes once they are
// inlined and warns, although both sides are replaced by malloc and free here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
#pragma GCC diagnostic pop

namespace {

std::string hex(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty())
            out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string repeated(std::size_t n)
{
    std::string s(n, 'x');
    s.front() = 'A';
    s.back() = 'Z';
    return s;
}

CArchiveException::Cause readFailure(CVesmarDoc& doc, const std::string& bytes)
{
    try {
        read(doc, bytes);
    } catch (const CArchiveException& e) {
        return e.m_cause;
    }
    ADD_FAILURE() << "the bytes were read as a case";
    return CArchiveException::tooLarge;
}

TEST(CaseFileFormat, NewCaseSavedOnFirstOfMarch2004IsTheKnown59Bytes)
{
    CVesmarDoc doc;
    doc.OnNewDocument();
    doc.SetAdmissionDate({38047.0, DateValue::valid});
    doc.SetAdmissionDateSet(1);

    std::string bytes = written(doc);
    EXPECT_EQ(hex(bytes),
              "ff ff ff ff 01 00 00 00 ff ff 00 00 0b 00 43 53 "
              "74 72 69 6e 67 4c 69 73 74 00 00 01 80 00 00 00 "
              "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
              "00 00 00 e0 93 e2 40 00 00 00 00");

    CVesmarDoc back;
    read(back, bytes);
    EXPECT_TRUE(back.GetChosenList().IsEmpty());
    EXPECT_TRUE(back.GetBiList().IsEmpty());
    EXPECT_TRUE(back.IsMale());
    EXPECT_EQ(back.GetAdmissionDate(), (DateValue{38047.0, DateValue::valid}));
    EXPECT_EQ(back.IsBirthDateSet(), 0);
}

TEST(CaseFileFormat, EntriesAreWrittenInOrderWithTheirCount)
{
    CVesmarDoc doc;
    doc.AddChosenDiagnosis("abc");
    doc.AddChosenDiagnosis("abc");
    doc.AddBiDiagnosis("I10");
    std::string bytes = written(doc);
    EXPECT_EQ(hex(bytes.substr(25, 14)), "02 00 03 61 62 63 03 61 62 63 01 80 01 00");
    EXPECT_EQ(bytes.substr(39, 4), "\x03I10");
}

struct PrefixCase {
    std::size_t length;
    const char* prefix;
};

class StringPrefix : public testing::TestWithParam<PrefixCase> {};

TEST_P(StringPrefix, HasItsLengthFormAndReadsBack)
{
    const PrefixCase& p = GetParam();
    CVesmarDoc doc;
    doc.AddChosenDiagnosis(repeated(p.length));
    std::string bytes = written(doc);
    std::string prefix = hex(bytes.substr(27, std::string(p.prefix).size() / 3 + 1));
    EXPECT_EQ(prefix, p.prefix);

    CVesmarDoc back;
    read(back, bytes);
    ASSERT_EQ(back.GetChosenList().GetCount(), 1u);
    EXPECT_TRUE(back.GetChosenList().GetHead() == repeated(p.length));
    EXPECT_TRUE(written(back) == bytes);
}

INSTANTIATE_TEST_SUITE_P(CaseFileFormat, StringPrefix,
                         testing::Values(PrefixCase{254, "fe"}, PrefixCase{255, "ff ff 00"},
                                         PrefixCase{65533, "ff fd ff"},
                                         PrefixCase{65534, "ff ff ff fe ff 00 00"}));

TEST(CaseFileFormat, CountsFrom65535OnAreWrittenIn32Bits)
{
    CVesmarDoc doc;
    for (int i = 0; i < 65534; ++i)
        doc.AddBiDiagnosis("A");
    std::string bytes = written(doc);
    EXPECT_EQ(hex(bytes.substr(29, 2)), "fe ff");

    doc.AddChosenDiagnosis("B");
    for (int i = 0; i < 65534; ++i)
        doc.AddChosenDiagnosis("C");
    bytes = written(doc);
    EXPECT_EQ(hex(bytes.substr(25, 6)), "ff ff ff ff 00 00");

    CVesmarDoc back;
    read(back, bytes);
    EXPECT_EQ(back.GetChosenList().GetCount(), 65535u);
    EXPECT_EQ(back.GetChosenList().GetHead(), "B");
    EXPECT_EQ(back.GetBiList().GetCount(), 65534u);
}

TEST(CaseFileFormat, ReadThenWriteGivesTheSameBytes)
{
    CaseFields f;
    f.reserved = 0x12345678;
    f.sex = 7;
    f.chosenBody = le16(3) + shortString("A01.2    Typhoid") + shortString("") + shortString("A01.2    Typhoid");
    f.biBody = le16(1) + shortString("Z99    \xE9t\xE9");
    f.birth = {-1234.75, DateValue::invalid};
    f.admission = {38047.5, DateValue::null};
    f.birthSet = 1;
    std::string bytes = caseFile(f);

    CVesmarDoc doc;
    read(doc, bytes);
    EXPECT_FALSE(doc.IsMale()) << "a stored sex other than 1 reads as female";
    EXPECT_EQ(doc.GetBirthDate(), (DateValue{-1234.75, DateValue::invalid}));
    EXPECT_EQ(doc.GetChosenList().GetCount(), 3u);
    EXPECT_EQ(written(doc), bytes);

    doc.SetMale(true);
    EXPECT_EQ(written(doc).substr(4, 4), le32(1));
    doc.SetMale(false);
    EXPECT_EQ(written(doc).substr(4, 4), le32(0));
}

TEST(CaseFileFormat, SixteenBitStringsAreReadIntoTheEightBitSet)
{
    // "A", euro sign, a CJK character, a surrogate pair: A 0x80 ? ?
    std::string wide = "\xFF\xFE\xFF" + std::string(1, '\x05') + le16(u'A') + le16(0x20AC) + le16(0x4E2D)
        + le16(0xD83D) + le16(0xDE00);
    // A 256-character string behind the 16-bit form of the inner length.
    std::string longWide = "\xFF\xFE\xFF\xFF" + le16(256);
    for (int i = 0; i < 256; ++i)
        longWide += le16(u'\xE4');
    CaseFields f;
    f.chosenBody = le16(2) + wide + longWide;
    CVesmarDoc doc;
    read(doc, caseFile(f));
    ASSERT_EQ(doc.GetChosenList().GetCount(), 2u);
    EXPECT_EQ(doc.GetChosenList().GetAt(0), "A\x80??");
    EXPECT_EQ(doc.GetChosenList().GetAt(1), std::string(256, '\xE4'));
    // Written back in 8-bit characters.
    EXPECT_EQ(written(doc).substr(27, 5), "\x04" "A\x80??");
}

TEST(CaseFileFormat, TheFirstListMustDescribeTheStringListClass)
{
    CVesmarDoc doc;
    doc.AddChosenDiagnosis("kept");
    const std::string before = written(doc);
    const std::string good = caseFile({});
    const std::size_t header = 8;

    std::string otherName = good;
    otherName.replace(header + 6, 11, "CStringLisT");
    EXPECT_EQ(readFailure(doc, otherName), CArchiveException::badClass);

    std::string otherClass = good.substr(0, header) + "\xFF\xFF" + le16(0) + le16(7) + "CObList" + good.substr(25);
    EXPECT_EQ(readFailure(doc, otherClass), CArchiveException::badClass);

    std::string schema1 = good;
    schema1.replace(header + 2, 2, le16(1));
    EXPECT_EQ(readFailure(doc, schema1), CArchiveException::badSchema);

    std::string longName = good.substr(0, header) + "\xFF\xFF" + le16(0) + le16(64) + std::string(64, 'C') + good.substr(25);
    EXPECT_EQ(readFailure(doc, longName), CArchiveException::badClass);

    std::string reference = good.substr(0, header) + "\x01\x80" + good.substr(25);
    EXPECT_EQ(readFailure(doc, reference), CArchiveException::badIndex);

    EXPECT_EQ(written(doc), before) << "a failed read leaves the case as it was";
}

TEST(CaseFileFormat, TheSecondListMayRepeatTheClassDescription)
{
    CaseFields f;
    f.chosenBody = le16(1) + shortString("one");
    f.biHeader = listClassDescription();
    f.biBody = le16(1) + shortString("two");
    CVesmarDoc doc;
    read(doc, caseFile(f));
    EXPECT_EQ(doc.GetChosenList().GetHead(), "one");
    EXPECT_EQ(doc.GetBiList().GetHead(), "two");

    f.biHeader = "\xFF\xFF" + le16(1) + le16(11) + "CStringList";
    EXPECT_EQ(readFailure(doc, caseFile(f)), CArchiveException::badSchema);
}

TEST(CaseFileFormat, ASecondListThatIsAbsentOrTheFirstListIsRefused)
{
    CaseFields f;
    f.chosenBody = le16(1) + shortString("one");
    for (std::string header : {std::string("\0\0", 2), std::string("\x02\x00", 2), std::string("\x02\x80", 2),
                               "\xFF\x7F" + le32(1)}) {
        f.biHeader = header;
        CVesmarDoc doc;
        EXPECT_EQ(readFailure(doc, caseFile(f)), CArchiveException::badIndex) << hex(header);
        // The document still has two lists of its own.
        doc.AddChosenDiagnosis("c");
        EXPECT_TRUE(doc.GetBiList().IsEmpty());
    }
}

TEST(CaseFileFormat, ClaimedLengthsBeyondTheDataFailWithoutAllocating)
{
    const std::string start = le32(0) + le32(1) + listClassDescription();
    const std::string claims[] = {
        start + le16(1) + "\xFF\xFF\xFF" + le32(0xFFFFFFF0u) + "abc",           // a 4 GiB string
        start + le16(0xFFFF) + le32(0xFFFFFFFFu) + "\x01z",                     // 4 billion entries
        start + le16(1) + "\xFF\xFE\xFF\xFF\xFF\xFF" + le32(0x7FFFFFFFu) + "ab", // 2 G 16-bit characters
    };
    for (const std::string& bytes : claims) {
        CVesmarDoc doc;
        g_largestAllocation = 0;
        EXPECT_EQ(readFailure(doc, bytes), CArchiveException::endOfFile);
        EXPECT_LT(g_largestAllocation.load(), 4096u) << hex(bytes);
    }
}

TEST(CaseFileFormat, BytesAfterTheLastFieldAreIgnored)
{
    std::string bytes = caseFile({}) + "trailing";
    CVesmarDoc doc;
    read(doc, bytes);
    EXPECT_EQ(written(doc), caseFile({}));
}

TEST(CaseFileFormat, ReadingAValidAdmissionDateAcceptsIt)
{
    CaseFields f;
    f.admission = {40000.0, DateValue::valid};
    CVesmarDoc doc;
    ASSERT_EQ(doc.IsAdmissionDateSet(), 0);
    read(doc, caseFile(f));
    EXPECT_EQ(doc.IsAdmissionDateSet(), 1);

    f.admission.m_status = DateValue::null;
    CVesmarDoc unset;
    read(unset, caseFile(f));
    EXPECT_EQ(unset.IsAdmissionDateSet(), 0) << "an invalid stored date does not set the flag";
    EXPECT_EQ(unset.GetAdmissionDate(), (DateValue{40000.0, DateValue::null}));
}

TEST(CaseFileFormat, ResetKeepsTheDatesAndClearsTheRest)
{
    CaseFields f;
    f.reserved = 5;
    f.sex = 0;
    f.chosenBody = le16(1) + shortString("one");
    f.biBody = le16(1) + shortString("two");
    f.birth = {100.0, DateValue::valid};
    f.admission = {200.0, DateValue::valid};
    f.birthSet = 1;
    CVesmarDoc doc;
    read(doc, caseFile(f));
    doc.ResetCase();

    CaseFields expected;
    expected.birth = f.birth;
    expected.admission = f.admission;
    EXPECT_EQ(written(doc), caseFile(expected));
    EXPECT_TRUE(doc.IsMale());
    EXPECT_EQ(doc.IsAdmissionDateSet(), 0);
}

TEST(CaseFileFormat, OnlyUserChangesOfSexAndDatesMarkTheCaseModified)
{
    CVesmarDoc doc;
    doc.SetMale(false);
    doc.SetBirthDate({1.0, DateValue::valid});
    doc.SetBirthDateSet(1);
    doc.SetAdmissionDate({2.0, DateValue::valid});
    doc.SetAdmissionDateSet(1);
    EXPECT_FALSE(doc.IsModified());

    // The same values again are no change.
    doc.SetMale(false, ChangeSource::User);
    doc.SetBirthDate({1.0, DateValue::valid}, ChangeSource::User);
    doc.SetAdmissionDateSet(1, ChangeSource::User);
    EXPECT_FALSE(doc.IsModified());

    doc.SetBirthDate({3.0, DateValue::valid}, ChangeSource::User);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetBirthDate().m_dt, 3.0);

    doc.SetModifiedFlag(false);
    doc.RemoveChosenDiagnosis("not there");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(doc.GetChosenList().IsEmpty());
}

TEST(CaseFileFormat, RemovalTakesTheFirstEqualEntryOnly)
{
    CVesmarDoc doc;
    doc.AddChosenDiagnosis("a");
    doc.AddChosenDiagnosis("A");
    doc.AddChosenDiagnosis("a");
    doc.AddBiDiagnosis("a");
    doc.RemoveChosenDiagnosis("a");
    ASSERT_EQ(doc.GetChosenList().GetCount(), 2u);
    EXPECT_EQ(doc.GetChosenList().GetAt(0), "A");
    EXPECT_EQ(doc.GetBiList().GetCount(), 1u);
}

} // namespace
