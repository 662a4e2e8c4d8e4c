#include "CMessageBoxSink.h"

#include <QMessageBox>

#include "QtText.h"

namespace {

QMessageBox::Icon boxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Stop:
        return QMessageBox::Critical;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Warning:
        break;
    }
    return QMessageBox::Warning;
}

} // namespace

void CMessageBoxSink::showMessage(const std::string& text, MessageIcon icon, const std::string& caption)
{
    QMessageBox box(boxIcon(icon), ToQString(caption), ToQString(text), QMessageBox::Ok, m_owner);
    box.exec();
}
