#include "store/StoredText.h"

#include <QStringDecoder>

namespace sonvelle {

QString DecodeStoredText(const QByteArray& bytes)
{
    // Stateless: a sequence cut off at the end is an error, not a wait for more bytes.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return text;
}

QByteArray Utf8Prefix(const QString& text, qsizetype maxBytes)
{
    QByteArray bytes = text.toUtf8();
    if (bytes.size() <= maxBytes)
        return bytes;
    qsizetype cut = maxBytes;
    // Step back over continuation bytes to the start of the character that does not fit.
    while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80)
        --cut;
    bytes.truncate(cut);
    return bytes;
}

namespace {

// Code units taken as they stand, so that even an unpaired surrogate survives a rewrite.
QString DecodeUtf16(const char* data, qsizetype size, bool bigEndian, qsizetype* consumed)
{
    const auto* u = reinterpret_cast<const unsigned char*>(data);
    qsizetype at = 0;
    if (size >= 2 && ((u[0] == 0xFF && u[1] == 0xFE) || (u[0] == 0xFE && u[1] == 0xFF))) {
        bigEndian = u[0] == 0xFE;
        at = 2;
    }
    QString text;
    text.reserve((size - at) / 2);
    for (; at + 1 < size; at += 2) {
        const char16_t unit = bigEndian ? char16_t(u[at] << 8 | u[at + 1]) : char16_t(u[at + 1] << 8 | u[at]);
        if (unit == 0) {
            if (consumed)
                *consumed = at + 2;
            return text;
        }
        text.append(QChar(unit));
    }
    if (consumed)
        *consumed = size;
    return text;
}

}  // namespace

QString DecodeFrameText(unsigned char encoding, const char* data, qsizetype size, qsizetype* consumed)
{
    if (encoding == kUtf16 || encoding == kUtf16BigEndian)
        return DecodeUtf16(data, size, encoding == kUtf16BigEndian, consumed);
    qsizetype end = 0;
    while (end < size && data[end] != '\0')
        ++end;
    if (consumed)
        *consumed = end < size ? end + 1 : size;
    const QByteArray bytes = QByteArray::fromRawData(data, end);
    return encoding == kUtf8 ? QString::fromUtf8(bytes) : DecodeStoredText(bytes);
}

unsigned char FrameEncodingFor(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() > 0xFF)
            return kUtf16;
    }
    // ISO-8859-1 bytes that also form UTF-8 would read back as other characters.
    const QByteArray latin1 = text.toLatin1();
    return DecodeStoredText(latin1) == text ? kLatin1 : kUtf16;
}

QByteArray EncodeFrameText(const QString& text, unsigned char encoding)
{
    if (encoding == kLatin1)
        return text.toLatin1();
    QByteArray out;
    out.reserve(2 + 2 * text.size());
    out.append('\xFF').append('\xFE');
    for (const QChar c : text)
        out.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    return out;
}

}  // namespace sonvelle
