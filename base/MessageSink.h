#pragma once

#include <string>

// How non-window code tells the user something. The window program shows a
// modal message box; tests record the calls; the command-line tool prints to
// standard error. Texts are Windows-1252.
enum class MessageIcon { Warning, Stop, Information, Question };

inline constexpr const char* kAppTitle = "Vesmar";

class IMessageSink {
public:
    virtual ~IMessageSink() = default;
    virtual void showMessage(const std::string& text, MessageIcon icon = MessageIcon::Warning,
                             const std::string& caption = kAppTitle) = 0;
};
