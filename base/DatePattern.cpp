#include "DatePattern.h"

std::u16string RewriteDatePattern(std::u16string_view pattern, int yearDigits, bool looseDayMonth)
{
    std::u16string out;
    for (std::size_t i = 0; i < pattern.size();) {
        const char16_t c = pattern[i];
        if (c == u'\'') {
            const std::size_t close = pattern.find(u'\'', i + 1);
            const std::size_t end = close == std::u16string_view::npos ? pattern.size() : close + 1;
            out += pattern.substr(i, end - i);
            i = end;
            continue;
        }
        if (c != u'y' && c != u'd' && c != u'M') {
            out += c;
            ++i;
            continue;
        }
        std::size_t run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c)
            ++run;
        if (c == u'y')
            out.append(std::size_t(yearDigits), c);
        else if (looseDayMonth && run == 2)
            out += c;
        else
            out.append(run, c);
        i += run;
    }
    return out;
}
