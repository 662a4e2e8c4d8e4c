#include "CRegistry.h"

#include "Codepage.h"
#include "DatePattern.h"
#include "QtText.h"

#include <QLocale>
#include <QSettings>
#include <QStringList>

namespace {

constexpr std::size_t kSettingsBufferBytes = 1000;

// The settings file only, without the organisation-wide fallback file.
class Settings : public QSettings {
public:
    Settings() : QSettings(QSettings::SystemScope, QStringLiteral("Orbel"), QStringLiteral("Vesmar"))
    {
        setFallbacksEnabled(false);
    }
};

} // namespace

bool CRegistry::ReadSettings(std::string& host, std::string& user, std::string& password)
{
    Settings settings;
    if (settings.status() != QSettings::NoError)
        return false;
    std::string values[3];
    const QString keys[3] = {QStringLiteral("Host"), QStringLiteral("User"), QStringLiteral("Password")};
    std::size_t bytes = 0;
    for (int i = 0; i < 3; ++i) {
        if (!settings.contains(keys[i]))
            return false;
        QVariant value = settings.value(keys[i]);
        // An unquoted value with commas in a hand-edited file reads as a list.
        values[i] = FromQString(value.typeId() == QMetaType::QStringList ? value.toStringList().join(u',')
                                                                    : value.toString());
        bytes += values[i].size() + 1;
    }
    if (bytes > kSettingsBufferBytes)
        return false;
    host = std::move(values[0]);
    user = std::move(values[1]);
    password = std::move(values[2]);
    return true;
}

bool CRegistry::WriteSettings(const std::string& host, const std::string& user, const std::string& password)
{
    Settings settings;
    if (settings.status() != QSettings::NoError || !settings.isWritable())
        return false;
    settings.setValue(QStringLiteral("Host"), ToQString(host));
    settings.setValue(QStringLiteral("User"), ToQString(user));
    settings.setValue(QStringLiteral("Password"), ToQString(password));
    settings.sync();
    return settings.status() == QSettings::NoError;
}

bool CRegistry::GetShortDateFormat(std::string& format)
{
    QString pattern = QLocale::system().dateFormat(QLocale::ShortFormat);
    if (pattern.isEmpty())
        return false;
    format = WidenTwoDigitYear(FromQString(pattern));
    return true;
}

std::string CRegistry::WidenTwoDigitYear(const std::string& pattern)
{
    return codepage::Cp1252FromUtf16(RewriteDatePattern(codepage::Utf16FromCp1252(pattern), 4, false));
}
