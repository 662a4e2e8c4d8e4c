#pragma once

#include "CRecordset.h"

#include <cstddef>

// The bulk cursor over the diagnosis catalogue: rowsets of Code and Text
// bound by position into fixed slots of Windows-1252 characters (9 and 299
// characters plus the terminator). Row i of the current rowset is slot i.
class CIcdSet : public CRecordset {
public:
    static constexpr std::size_t kCodeSlot = 10;
    static constexpr std::size_t kTextSlot = 300;
    static constexpr unsigned long kRowsetSize = 5000;
    static constexpr const char* kSql = "SELECT Code, Text From icd";

    explicit CIcdSet(CDatabase* database) : CRecordset(database) {}

    const char* Code(long row) const { return m_rgCode + row * kCodeSlot; }
    const char* Text(long row) const { return m_rgText + row * kTextSlot; }

    // Allocated by Open for the rowset size, freed by Close.
    char* m_rgCode = nullptr;
    char* m_rgText = nullptr;
    long* m_rgCodeLengths = nullptr;
    long* m_rgTextLengths = nullptr;

protected:
    void BindBulkColumns(CBulkBinder& binder, unsigned long rows) override;
};
