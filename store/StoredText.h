#pragma once
// Texts as the tag and the index keep them: UTF-8 bytes in fields of fixed size.

#include <QByteArray>
#include <QString>

namespace sonvelle {

// UTF-8 when the bytes are UTF-8, else ISO-8859-1 (what other programs write).
QString DecodeStoredText(const QByteArray& bytes);

// The longest prefix of the text's UTF-8 bytes that fits maxBytes without splitting a character.
QByteArray Utf8Prefix(const QString& text, qsizetype maxBytes);

}  // namespace sonvelle
