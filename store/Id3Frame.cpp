#include "store/Id3Frame.h"

#include <limits>

namespace sonvelle {

std::int32_t AsciiToInt(const QByteArray& text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > std::numeric_limits<std::int32_t>::max())
            return negative ? std::numeric_limits<std::int32_t>::min() : std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

void CId3Frame::SetText(const QString& text)
{
    const qsizetype zero = text.indexOf(QChar(0));
    m_text = zero < 0 ? text : text.left(zero);
    m_hasText = true;
}

std::int32_t CId3Frame::GetNumber() const
{
    return m_hasText ? AsciiToInt(m_text.toLatin1()) : 0;
}

COleDateTime CId3Frame::GetTime() const
{
    COleDateTime out;
    if (!m_hasText || m_text.isEmpty()) {
        out.SetStatus(COleDateTime::null);
        return out;
    }
    if ((m_identifier != "TIME" && m_identifier != "TLEN") || m_text.size() < 5) {
        out.SetStatus(COleDateTime::invalid);
        return out;
    }
    const int hours = AsciiToInt(m_text.left(2).toLatin1());
    const int minutes = AsciiToInt(m_text.mid(3, 2).toLatin1());
    const int seconds = AsciiToInt(m_text.right(2).toLatin1());
    out.SetTime(hours, minutes, seconds);
    return out;
}

bool CId3Frame::IsProtected() const
{
    return m_identifier == "TXXX" && m_hasText && m_text == "Protetta";
}

void CId3Frame::CopyFrom(const CId3Frame& other)
{
    m_identifier = other.m_identifier;
    m_text = other.m_text;
    m_hasText = other.m_hasText;
}

}  // namespace sonvelle
