#include "LeadingInt.h"

#include <limits>

namespace sonvelle {

namespace {

char32_t Code(QChar c)
{
    return c.unicode();
}

char32_t Code(char c)
{
    return static_cast<unsigned char>(c);
}

template <typename Text>
int Parse(const Text& text)
{
    auto at = [&text](qsizetype i) { return Code(text[i]); };
    qsizetype i = 0;
    while (i < text.size() && (at(i) == U' ' || (at(i) >= U'\t' && at(i) <= U'\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (at(i) == U'+' || at(i) == U'-'))
        negative = at(i++) == U'-';
    long long value = 0;
    for (; i < text.size() && at(i) >= U'0' && at(i) <= U'9'; ++i) {
        value = value * 10 + (at(i) - U'0');
        if (value > std::numeric_limits<int>::max())
            return negative ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    }
    return static_cast<int>(negative ? -value : value);
}

}  // namespace

int LeadingInt(QStringView text)
{
    return Parse(text);
}

int LeadingInt(QByteArrayView text)
{
    return Parse(text);
}

}  // namespace sonvelle
