#pragma once
// Recording files built byte by byte, independently of the store's own tag
// writer: a tag as another writer might lay it out, in front of fake audio.
// Header-only, so that the benches use it without the test libraries.

#include <QByteArray>
#include <QFile>
#include <QString>

namespace sonvelle::test {

inline QByteArray Be32(quint32 v)
{
    return QByteArray().append(char(v >> 24)).append(char(v >> 16)).append(char(v >> 8)).append(char(v));
}

// Identifier, size, flags, body.
inline QByteArray RawFrame(const QByteArray& id, const QByteArray& body)
{
    return id + Be32(quint32(body.size())) + QByteArray(2, '\0') + body;
}

inline QByteArray TextFrame(const QByteArray& id, const QByteArray& text)
{
    return RawFrame(id, QByteArray(1, '\0') + text);
}

inline QByteArray CommentFrame(const QByteArray& text)
{
    return RawFrame("COMM", QByteArray(5, '\0') + text);
}

// The header's size counts its own 10 bytes, as our files carry it.
inline QByteArray TagBytes(const QByteArray& frames)
{
    const quint32 size = quint32(frames.size()) + 10;
    QByteArray header("ID3\x03\x00\x00", 6);
    for (int shift : {21, 14, 7, 0})
        header.append(char((size >> shift) & 0x7f));
    return header + frames;
}

// Bytes that stand in for audio where nothing decodes them.
inline QByteArray FakeAudio(int n = 4000)
{
    QByteArray audio(n, '\0');
    for (int i = 0; i < n; ++i)
        audio[i] = char((i * 7 + 3) & 0xff);
    return audio;
}

inline QByteArray FullFrames(const QByteArray& name, const QByteArray& notes = {}, const QByteArray& op = {},
                             bool isProtected = false)
{
    return TextFrame("TDAT", "0512") + TextFrame("TYER", "2006") + TextFrame("TIME", "10:11:12") +
           TextFrame("TLEN", "00:01:05") + TextFrame("TIT2", name) + CommentFrame(notes) + TextFrame("TRCK", "0") +
           TextFrame("TALB", op) + TextFrame("TCON", "(24)Soundtrack") + TextFrame("TPE1", "Sonvelle") +
           TextFrame("TXXX", isProtected ? "Protetta" : "Non Protetta");
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace sonvelle::test
