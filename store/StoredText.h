#pragma once
// Texts as the tag and the index keep them.
//   Index fields: UTF-8 bytes in fields of fixed size.
//   Tag frames: ISO-8859-1 under encoding byte 0 when every character fits,
//   otherwise UTF-16 with a byte order mark under encoding byte 1. Older files
//   carry UTF-8 under encoding byte 0; those still read as they were meant.

#include <QByteArray>
#include <QString>

namespace sonvelle {

// UTF-8 when the bytes are UTF-8, else ISO-8859-1 (what other programs write).
QString DecodeStoredText(const QByteArray& bytes);

// The longest prefix of the text's UTF-8 bytes that fits maxBytes without splitting a character.
QByteArray Utf8Prefix(const QString& text, qsizetype maxBytes);

// Frame text encodings.
enum TextEncoding : unsigned char { kLatin1 = 0, kUtf16 = 1, kUtf16BigEndian = 2, kUtf8 = 3 };

// The text of one encoded string, up to its terminator (one zero byte, or a
// zero code unit for UTF-16) or the end of the bytes. `consumed`, when given,
// is set to the bytes used, terminator included.
QString DecodeFrameText(unsigned char encoding, const char* data, qsizetype size, qsizetype* consumed = nullptr);

// Encoding 0 when the ISO-8859-1 bytes read back as the same text, else 1.
unsigned char FrameEncodingFor(const QString& text);
// The text's bytes in that encoding, without terminator (UTF-16 starts with its byte order mark).
QByteArray EncodeFrameText(const QString& text, unsigned char encoding);

}  // namespace sonvelle
