#pragma once

#include <string>

// The machine-wide connection settings and the user's short date pattern.
// The settings live in QSettings' system scope, organisation "Orbel",
// application "Vesmar": on Linux the INI file Orbel/Vesmar.conf under the
// first folder of XDG_CONFIG_DIRS (default /etc/xdg), keys Host, User and
// Password in [General]. Texts are Windows-1252. Created on the stack around
// each use; it holds no data.
class CRegistry {
public:
    CRegistry() = default;
    virtual ~CRegistry() = default;

    // All three values or none: false (outputs untouched) when one is missing
    // or when the three, each with a terminating NUL, need more than 1000 bytes.
    bool ReadSettings(std::string& host, std::string& user, std::string& password);

    // Stores Host, User and Password in this order and flushes them to disk;
    // false when the file cannot be written.
    bool WriteSettings(const std::string& host, const std::string& user, const std::string& password);

    // The user's short date pattern in Qt's pattern letters, a two-digit year
    // widened to four digits. False (output untouched) when there is none.
    bool GetShortDateFormat(std::string& format);

    // Every year field (outside quotes) written with four digits: a date
    // shown with a two-digit year would read back in another century.
    static std::string WidenTwoDigitYear(const std::string& pattern);
};
