#include "CKeyIndex.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

std::uint64_t CKeyIndex::Hash(std::string_view key)
{
    // Codes and categories are a few bytes: eight at a time, each word mixed
    // in with a multiply, and the whole finished as splitmix64 does.
    std::uint64_t h = 0x9E3779B97F4A7C15ull ^ key.size();
    std::size_t i = 0;
    for (; i + 8 <= key.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, key.data() + i, 8);
        h = (h ^ word) * 0xBF58476D1CE4E5B9ull;
        h ^= h >> 31;
    }
    if (i < key.size()) {
        std::uint64_t word = 0;
        std::memcpy(&word, key.data() + i, key.size() - i);
        h = (h ^ word) * 0xBF58476D1CE4E5B9ull;
    }
    h ^= h >> 30;
    h *= 0x94D049BB133111EBull;
    h ^= h >> 31;
    return h;
}

std::uint64_t CKeyIndex::headOf(std::string_view key)
{
    std::uint64_t head = 0;
    if (!key.empty())
        std::memcpy(&head, key.data(), std::min<std::size_t>(key.size(), 8));
    return head;
}

// The slot that holds key, or the empty one where it would go.
std::size_t CKeyIndex::slotOf(std::string_view key, std::uint64_t hash, std::uint64_t head) const
{
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t s = std::size_t(hash) & mask;; s = (s + 1) & mask) {
        const Slot& slot = m_slots[s];
        if (slot.id == kNone)
            return s;
        if (slot.head == head && slot.length == key.size() &&
            (key.size() <= 8 || Key(slot.id).substr(8) == key.substr(8)))
            return s;
    }
}

std::uint32_t CKeyIndex::Find(std::string_view key) const
{
    if (m_slots.empty())
        return kNone;
    return m_slots[slotOf(key, Hash(key), headOf(key))].id;
}

std::uint32_t CKeyIndex::Add(std::string_view key)
{
    if (2 * (m_ends.size() + 1) > m_slots.size())
        grow();
    const std::uint64_t head = headOf(key);
    Slot& slot = m_slots[slotOf(key, Hash(key), head)];
    if (slot.id != kNone)
        return slot.id;
    if (m_text.size() + key.size() >= kNone || m_ends.size() + 1 >= kNone)
        throw std::length_error("CKeyIndex: more keys than 32-bit numbers can hold");
    m_text.append(key);
    slot = {head, std::uint32_t(m_ends.size()), std::uint32_t(key.size())};
    m_ends.push_back(std::uint32_t(m_text.size()));
    return slot.id;
}

void CKeyIndex::Reserve(std::size_t keys, std::size_t bytes)
{
    m_text.reserve(bytes);
    m_ends.reserve(keys);
    std::size_t slots = 64;
    while (slots < 2 * keys)
        slots *= 2;
    if (slots > m_slots.size())
        rehash(slots);
}

void CKeyIndex::grow() { rehash(m_slots.empty() ? 64 : 2 * m_slots.size()); }

void CKeyIndex::rehash(std::size_t size)
{
    std::vector<Slot> slots(size);
    m_slots.swap(slots);
    const std::size_t mask = m_slots.size() - 1;
    for (std::uint32_t id = 0; id < m_ends.size(); ++id) {
        const std::string_view key = Key(id);
        std::size_t s = std::size_t(Hash(key)) & mask;
        while (m_slots[s].id != kNone)
            s = (s + 1) & mask;
        m_slots[s] = {headOf(key), id, std::uint32_t(key.size())};
    }
}

void CKeyIndex::RemoveAll()
{
    m_text.clear();
    m_ends.clear();
    m_slots.clear();
}
