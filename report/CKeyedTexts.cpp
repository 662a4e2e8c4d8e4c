#include "CKeyedTexts.h"

void CKeyedTexts::Reserve(std::size_t keys, std::size_t rows)
{
    // Keys are codes and DRGs: a few bytes each.
    m_keys.Reserve(keys, 8 * keys);
    m_pending.reserve(rows);
}

void CKeyedTexts::Add(std::string_view key, unsigned kind, std::string_view value)
{
    if (m_nLastKey == CKeyIndex::kNone || m_keys.Key(m_nLastKey) != key)
        m_nLastKey = m_keys.Add(key);
    m_pending.emplace_back(m_nLastKey * m_nKinds + kind, m_texts.Add(value));
}

void CKeyedTexts::Seal()
{
    // A counting sort by list, which keeps each list's delivery order.
    const std::size_t lists = std::size_t(m_keys.GetCount()) * m_nKinds;
    m_starts.assign(lists + 1, 0);
    for (const auto& [list, value] : m_pending)
        ++m_starts[list + 1];
    for (std::size_t l = 0; l < lists; ++l)
        m_starts[l + 1] += m_starts[l];
    m_values.resize(m_pending.size());
    std::vector<std::uint32_t> next(m_starts.begin(), m_starts.end() - 1);
    for (const auto& [list, value] : m_pending)
        m_values[next[list]++] = value;
    m_pending.clear();
    m_pending.shrink_to_fit();
}

void CKeyedTexts::RemoveAll()
{
    m_keys.RemoveAll();
    m_texts.RemoveAll();
    m_nLastKey = CKeyIndex::kNone;
    m_pending.clear();
    m_starts.clear();
    m_values.clear();
}
