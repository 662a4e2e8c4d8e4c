#pragma once

#include <string>
#include <string_view>

// A date pattern in Qt's letters (d, M, y; text in single quotes kept as it
// is) with every year field written with yearDigits letters and, when
// looseDayMonth, every two-letter day or month field written with one
// letter, which reads one or two digits.
std::u16string RewriteDatePattern(std::u16string_view pattern, int yearDigits, bool looseDayMonth);
