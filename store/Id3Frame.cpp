#include "store/Id3Frame.h"

#include "platform/LeadingInt.h"

namespace sonvelle {

void CId3Frame::SetText(const QString& text)
{
    const qsizetype zero = text.indexOf(QChar(0));
    m_text = zero < 0 ? text : text.left(zero);
    m_hasText = true;
}

std::int32_t CId3Frame::GetNumber() const
{
    return m_hasText ? LeadingInt(m_text) : 0;
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
    const int hours = LeadingInt(QStringView(m_text).left(2));
    const int minutes = LeadingInt(QStringView(m_text).mid(3, 2));
    const int seconds = LeadingInt(QStringView(m_text).right(2));
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
