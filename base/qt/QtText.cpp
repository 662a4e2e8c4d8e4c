#include "QtText.h"

#include "Codepage.h"

QString toQString(std::string_view cp1252)
{
    const std::u16string wide = codepage::utf16FromCp1252(cp1252);
    return QString::fromUtf16(wide.data(), qsizetype(wide.size()));
}

std::string fromQString(const QString& text)
{
    return codepage::cp1252FromUtf16(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), std::size_t(text.size())));
}
