#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "CKeyIndex.h"

// The values of a table read by key (and by kind, for a table of several
// kinds of row), each key's in the order the rows came. Values are held as
// numbers of distinct texts, so two values are equal exactly when their
// numbers are, and the many repeated ones are stored once.
class CKeyedTexts {
public:
    explicit CKeyedTexts(unsigned kinds = 1) : m_nKinds(kinds) {}

    // Room for about rows rows of about keys keys.
    void Reserve(std::size_t keys, std::size_t rows);
    // One row, while the table is read.
    void Add(std::string_view key, unsigned kind, std::string_view value);
    // After the last row: the values grouped by key and kind.
    void Seal();
    void RemoveAll();

    // The key's number, or CKeyIndex::kNone when no row has it.
    std::uint32_t FindKey(std::string_view key) const { return m_keys.Find(key); }
    // Keys are numbered 0 .. KeyCount()-1.
    std::uint32_t KeyCount() const { return m_keys.GetCount(); }
    void PrefetchKey(std::string_view key) const { m_keys.Prefetch(key); }
    void PrefetchValues(std::uint32_t key, unsigned kind) const
    {
        __builtin_prefetch(&m_starts[std::size_t(key) * m_nKinds + kind]);
    }
    std::span<const std::uint32_t> Values(std::uint32_t key, unsigned kind) const
    {
        const std::size_t list = std::size_t(key) * m_nKinds + kind;
        return std::span<const std::uint32_t>(m_values).subspan(m_starts[list], m_starts[list + 1] - m_starts[list]);
    }
    std::string_view Text(std::uint32_t value) const { return m_texts.Key(value); }
    // Values are numbered 0 .. TextCount()-1.
    std::uint32_t TextCount() const { return m_texts.GetCount(); }

private:
    unsigned m_nKinds;
    CKeyIndex m_keys, m_texts;
    std::uint32_t m_nLastKey = CKeyIndex::kNone; // rows of one key mostly come together
    std::vector<std::pair<std::uint32_t, std::uint32_t>> m_pending; // (list, value) in delivery order
    std::vector<std::uint32_t> m_starts; // by list = key * kinds + kind, and one past the last
    std::vector<std::uint32_t> m_values;
};
