#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Byte strings numbered 0, 1, 2, ... in the order they were first added, and
// found again by open addressing. The keys lie one after another in a single
// text and the table is one flat array, so an index of a hundred thousand
// codes is built, searched and freed without a node or an allocation per key.
class CKeyIndex {
public:
    static constexpr std::uint32_t kNone = 0xFFFFFFFF;

    // The key's number; a new key gets the next one.
    std::uint32_t Add(std::string_view key);
    // The key's number, or kNone when it was never added.
    std::uint32_t Find(std::string_view key) const;
    // Starts bringing the slot where key would be into the cache, so that
    // the look-ups of several keys wait for memory together, not in turn.
    void Prefetch(std::string_view key) const
    {
        if (!m_slots.empty())
            __builtin_prefetch(&m_slots[std::size_t(Hash(key)) & (m_slots.size() - 1)]);
    }
    std::string_view Key(std::uint32_t id) const
    {
        const std::uint32_t begin = id == 0 ? 0 : m_ends[id - 1];
        return std::string_view(m_text).substr(begin, m_ends[id] - begin);
    }
    std::uint32_t GetCount() const { return std::uint32_t(m_ends.size()); }
    // Room for about keys keys of about bytes bytes in all, so that a table
    // whose size is known roughly is not rebuilt again and again as it grows.
    void Reserve(std::size_t keys, std::size_t bytes);
    void RemoveAll();

    // The hash the index places keys by; good in every bit.
    static std::uint64_t Hash(std::string_view key);

private:
    // A slot holds a key's first eight bytes and its length, so that a
    // look-up of a short key (codes, categories, DRGs) reads one slot and no
    // key text.
    struct Slot {
        std::uint64_t head = 0;
        std::uint32_t id = kNone;
        std::uint32_t length = 0;
    };
    static std::uint64_t headOf(std::string_view key);
    std::size_t slotOf(std::string_view key, std::uint64_t hash, std::uint64_t head) const;
    void grow();
    void rehash(std::size_t slots);

    std::string m_text;
    std::vector<std::uint32_t> m_ends; // by number: where the key ends in m_text
    std::vector<Slot> m_slots;         // a power of two, at most half full
};
