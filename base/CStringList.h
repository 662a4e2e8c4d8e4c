#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Ordered list of 8-bit (Windows-1252) strings: the catalogue, the case's two
// diagnosis lists and the engine's code lists. Entries keep the order in which
// they were appended; duplicates are allowed.
class CStringList {
public:
    using const_iterator = std::vector<std::string>::const_iterator;

    void AddTail(std::string value) { m_items.push_back(std::move(value)); }
    void RemoveAll() { m_items.clear(); }
    void Reserve(std::size_t n) { m_items.reserve(n); }

    // Removes the first entry (from the head) equal byte for byte to value.
    // Returns false, leaving the list as it was, when no entry is equal.
    bool RemoveFirst(const std::string& value)
    {
        for (auto it = m_items.begin(); it != m_items.end(); ++it) {
            if (*it == value) {
                m_items.erase(it);
                return true;
            }
        }
        return false;
    }

    bool IsEmpty() const { return m_items.empty(); }
    std::size_t GetCount() const { return m_items.size(); }
    const std::string& GetAt(std::size_t index) const { return m_items.at(index); }
    const std::string& GetHead() const { return m_items.at(0); }

    const_iterator begin() const { return m_items.begin(); }
    const_iterator end() const { return m_items.end(); }

    bool operator==(const CStringList&) const = default;

private:
    std::vector<std::string> m_items;
};
