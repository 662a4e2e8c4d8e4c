#pragma once

#include <QStyledItemDelegate>

// Gives every row of a list a fixed width, so that the list's horizontal
// scroll range is that width whatever its lines hold: the list boxes' 900
// pixel scroll width. With uniform item sizes the list asks only once.
class CWideItemDelegate : public QStyledItemDelegate {
public:
    CWideItemDelegate(int width, QObject* parent = nullptr);

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    int m_nWidth;
};
