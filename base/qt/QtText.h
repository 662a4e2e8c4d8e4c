#pragma once

#include <string>
#include <string_view>

#include <QString>

// The program's Windows-1252 strings at the Qt boundary.
QString ToQString(std::string_view cp1252);
std::string FromQString(const QString& text);
