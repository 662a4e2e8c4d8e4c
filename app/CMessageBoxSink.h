#pragma once

#include <QPointer>
#include <QWidget>

#include "MessageSink.h"

// Shows each message in a modal message box with an OK button. Until the
// main window exists the boxes have no owner window; afterwards the main
// window owns them.
class CMessageBoxSink : public IMessageSink {
public:
    void showMessage(const std::string& text, MessageIcon icon = MessageIcon::Warning,
                     const std::string& caption = kAppTitle) override;

    void setOwner(QWidget* owner) { m_owner = owner; }

private:
    QPointer<QWidget> m_owner;
};
