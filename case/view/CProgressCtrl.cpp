#include "CProgressCtrl.h"

#include <QStyleOptionProgressBar>
#include <QStylePainter>

void CProgressCtrl::paintEvent(QPaintEvent* event)
{
    if (minimum() != maximum()) {
        QProgressBar::paintEvent(event);
        return;
    }
    QStylePainter painter(this);
    QStyleOptionProgressBar option;
    initStyleOption(&option);
    option.maximum = option.minimum + 1;
    option.progress = option.minimum;
    painter.drawControl(QStyle::CE_ProgressBar, option);
}
