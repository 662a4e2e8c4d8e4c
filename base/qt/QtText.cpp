#include "QtText.h"

#include "Codepage.h"

QString ToQString(std::string_view cp1252)
{
    const std::u16string wide = codepage::Utf16FromCp1252(cp1252);
    return QString::fromUtf16(wide.data(), qsizetype(wide.size()));
}

std::string FromQString(const QString& text)
{
    return codepage::Cp1252FromUtf16(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), std::size_t(text.size())));
}
