#include "CSortedListModel.h"

#include <algorithm>
#include <array>

#include "CStringList.h"
#include "QtText.h"

namespace {

// Windows-1252 upper-case folding: a-z, the accented small letters
// 0xE0-0xFE (except the division sign 0xF7), s and z with caron, the oe
// ligature and y with diaeresis. The sharp s (0xDF) has no capital.
constexpr std::array<unsigned char, 256> MakeFoldTable()
{
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[std::size_t(c)] = static_cast<unsigned char>(c);
    for (int c = 'a'; c <= 'z'; ++c)
        table[std::size_t(c)] = static_cast<unsigned char>(c - 0x20);
    for (int c = 0xE0; c <= 0xFE; ++c)
        if (c != 0xF7)
            table[std::size_t(c)] = static_cast<unsigned char>(c - 0x20);
    table[0x9A] = 0x8A;
    table[0x9C] = 0x8C;
    table[0x9E] = 0x8E;
    table[0xFF] = 0x9F;
    return table;
}

constexpr std::array<unsigned char, 256> kFold = MakeFoldTable();

unsigned char Fold(char c)
{
    return kFold[static_cast<unsigned char>(c)];
}

} // namespace

CSortedListModel::CSortedListModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

bool CSortedListModel::LessCaseless(const std::string& a, const std::string& b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char ca = Fold(a[i]);
        const unsigned char cb = Fold(b[i]);
        if (ca != cb)
            return ca < cb;
    }
    return a.size() < b.size();
}

void CSortedListModel::Assign(const CStringList& entries)
{
    beginResetModel();
    m_entries.assign(entries.begin(), entries.end());
    // The catalogue arrives ordered by code; checking costs one comparison
    // per entry, a sort many.
    if (!std::is_sorted(m_entries.begin(), m_entries.end(), LessCaseless))
        std::stable_sort(m_entries.begin(), m_entries.end(), LessCaseless);
    endResetModel();
}

void CSortedListModel::RemoveAll()
{
    beginResetModel();
    m_entries.clear();
    endResetModel();
}

int CSortedListModel::Add(const std::string& entry)
{
    const auto place = std::upper_bound(m_entries.begin(), m_entries.end(), entry, LessCaseless);
    const int row = int(place - m_entries.begin());
    beginInsertRows(QModelIndex(), row, row);
    m_entries.insert(place, entry);
    endInsertRows();
    return row;
}

void CSortedListModel::RemoveAt(int row)
{
    beginRemoveRows(QModelIndex(), row, row);
    m_entries.erase(m_entries.begin() + row);
    endRemoveRows();
}

int CSortedListModel::FindPrefix(const std::string& prefix) const
{
    if (prefix.empty())
        return -1;
    const auto begins = [&prefix](const std::string& entry) {
        return entry.size() >= prefix.size()
            && std::equal(prefix.begin(), prefix.end(), entry.begin(),
                          [](char a, char b) { return Fold(a) == Fold(b); });
    };
    const auto found = std::find_if(m_entries.begin(), m_entries.end(), begins);
    return found == m_entries.end() ? -1 : int(found - m_entries.begin());
}

int CSortedListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant CSortedListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= int(m_entries.size()))
        return {};
    return ToQString(m_entries[std::size_t(index.row())]);
}
