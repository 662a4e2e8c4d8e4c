#include "CWideItemDelegate.h"

CWideItemDelegate::CWideItemDelegate(int width, QObject* parent)
    : QStyledItemDelegate(parent)
    , m_nWidth(width)
{
}

QSize CWideItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    return {m_nWidth, QStyledItemDelegate::sizeHint(option, index).height()};
}
