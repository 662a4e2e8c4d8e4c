#pragma once

#include <QAbstractListModel>

#include <string>
#include <vector>

class CStringList;

// The entries of one of the form's list boxes, kept in ascending order of
// their text with the letter case ignored: an added entry goes to its place,
// after the entries that compare equal to it. Entries are Windows-1252 and
// converted for display only when the list view asks for a row, so that
// filling the catalogue's 95,000 lines costs a copy and an order check.
class CSortedListModel : public QAbstractListModel {
public:
    explicit CSortedListModel(QObject* parent = nullptr);

    // Replaces every entry by the list's entries.
    void Assign(const CStringList& entries);
    void RemoveAll();
    // Returns the row the entry went to.
    int Add(const std::string& entry);
    void RemoveAt(int row);

    int GetCount() const { return int(m_entries.size()); }
    const std::string& GetAt(int row) const { return m_entries.at(std::size_t(row)); }

    // The first row, in the shown order, whose text begins with prefix (case
    // ignored); -1 when none does. The empty prefix matches no row.
    int FindPrefix(const std::string& prefix) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // The order of the lists: byte-wise on the letters folded to upper case
    // (ASCII and the Windows-1252 letters that have a case).
    static bool LessCaseless(const std::string& a, const std::string& b);

private:
    std::vector<std::string> m_entries;
};
