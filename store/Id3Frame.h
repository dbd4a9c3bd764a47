#pragma once
// One text frame of a recording's tag.

#include <QByteArray>
#include <QString>

#include <cstdint>

#include "store/OleDateTime.h"

namespace sonvelle {

class CId3Frame {
public:
    CId3Frame() = default;
    explicit CId3Frame(const QByteArray& identifier) : m_identifier(identifier) {}
    virtual ~CId3Frame() = default;

    const QByteArray& Identifier() const { return m_identifier; }
    void SetIdentifier(const QByteArray& identifier) { m_identifier = identifier; }

    // The text up to its first zero character, if any.
    void SetText(const QString& text);
    bool HasText() const { return m_hasText; }
    QString GetText() const { return m_text; }

    // Leading decimal digits, as atoi reads them; 0 without text.
    std::int32_t GetNumber() const;
    // "HH:MM:SS" of a "TIME" or "TLEN" frame as a time of day: null without
    // text, invalid for another frame or a text shorter than 5 characters.
    COleDateTime GetTime() const;
    // "TXXX" saying exactly "Protetta".
    bool IsProtected() const;
    void CopyFrom(const CId3Frame& other);

private:
    QByteArray m_identifier;
    QString m_text;
    bool m_hasText = false;
};

}  // namespace sonvelle
