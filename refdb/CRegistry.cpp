#include "CRegistry.h"

#include "Codepage.h"

#include <QLocale>
#include <QSettings>
#include <QStringList>

namespace {

constexpr std::size_t kSettingsBufferBytes = 1000;

QString toQt(const std::string& text)
{
    std::u16string wide = codepage::utf16FromCp1252(text);
    return QString::fromUtf16(wide.data(), qsizetype(wide.size()));
}

std::string fromQt(const QString& text)
{
    return codepage::cp1252FromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                                         std::size_t(text.size())));
}

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
        values[i] = fromQt(value.typeId() == QMetaType::QStringList ? value.toStringList().join(u',')
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
    settings.setValue(QStringLiteral("Host"), toQt(host));
    settings.setValue(QStringLiteral("User"), toQt(user));
    settings.setValue(QStringLiteral("Password"), toQt(password));
    settings.sync();
    return settings.status() == QSettings::NoError;
}

bool CRegistry::GetShortDateFormat(std::string& format)
{
    QString pattern = QLocale::system().dateFormat(QLocale::ShortFormat);
    if (pattern.isEmpty())
        return false;
    format = WidenTwoDigitYear(fromQt(pattern));
    return true;
}

std::string CRegistry::WidenTwoDigitYear(const std::string& pattern)
{
    std::string out;
    bool quoted = false;
    for (std::size_t i = 0; i < pattern.size();) {
        char c = pattern[i];
        if (c == '\'') {
            quoted = !quoted;
            out += c;
            ++i;
            continue;
        }
        if (quoted || c != 'y') {
            out += c;
            ++i;
            continue;
        }
        std::size_t run = pattern.find_first_not_of('y', i);
        if (run == std::string::npos)
            run = pattern.size();
        std::size_t length = run - i;
        out.append(length == 2 ? 4 : length, 'y');
        i = run;
    }
    return out;
}
