// Writes the seed corpus of the fuzz targets: tags and index records as our files hold them.
#include "tests/support/TagBytes.h"

#include <QDir>
#include <QFileInfo>
#include <QtEndian>

#include <cstdio>
#include <cstring>

using namespace sonvelle::test;

namespace {

QByteArray Field(const QByteArray& text)
{
    return text.leftJustified(260, ' ', true);
}

QByteArray LittleEndian(double value)
{
    quint64 bits;
    std::memcpy(&bits, &value, 8);
    char d[8];
    qToLittleEndian(bits, d);
    return QByteArray(d, 8);
}

QByteArray Record(const QByteArray& name, const QByteArray& notes, const QByteArray& op, char deleted = '0')
{
    QByteArray r = Field(name) + deleted + LittleEndian(39056.42) + LittleEndian(-1.0) + '0' + Field(notes);
    if (!op.isEmpty())
        r += "<operatore>" + Field(op);
    return r;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds FOLDER\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]) + "/";
    bool ok = true;
    const auto seed = [&](const QString& name, const QByteArray& bytes) {
        ok &= QDir().mkpath(QFileInfo(root + name).path()) && WriteBytes(root + name, bytes);
    };
    seed("tag/full", TagBytes(FullFrames("Call 3", "notes", "Desk 2")) + FakeAudio(64));
    seed("tag/empty", TagBytes({}) + FakeAudio(16));
    seed("tag/foreign-comment", TagBytes(RawFrame("COMM", QByteArray("\0eng", 4) + QByteArray("desc\0text", 9)) +
                                         TextFrame("TIME", "23:59:58")));
    seed("tag/oversize", TagBytes(TextFrame("TIT2", "x") + "TLEN" + Be32(1000)));
    seed("tag/no-tag", FakeAudio(32));
    // Large inputs: padding counted in our size, padding of the published rule, more frames than any recording.
    const QByteArray frames = TextFrame("TIT2", "Padded") + CommentFrame("n");
    seed("tag/padding-1MiB", TagBytes(frames + QByteArray(1 << 20, '\0')) + FakeAudio(64));
    const QByteArray padding(16 * 1024 * 1024 - 256, '\0');
    // The published rule leaves the header's 10 bytes out of the size: ten fewer bytes counted than follow.
    seed("tag/padding-16MiB-published", TagBytes(frames + padding.chopped(10)) + QByteArray(10, '\0') + FakeAudio(64));
    QByteArray many;
    for (int i = 0; i < 100000; ++i)
        many += RawFrame("TXXX", QByteArray(1, '\0'));
    seed("tag/many-frames", TagBytes(many) + FakeAudio(64));
    seed("tag/utf16", TagBytes(RawFrame("TIT2", QByteArray("\x01\xFF\xFEM\0\xFC\0", 7)) +
                               RawFrame("COMM", QByteArray("\x01eng\xFF\xFE\0\0\xFF\xFEn\0", 12))));
    seed("settings/values", "# settings\nDisableIndex\t1\nOperatore\tDesk\\t2\\n\\\\x\n");
    seed("settings/corrupt", "Operatore\tbad\\q\n");
    // Key word length, key word, tag length, then the file: tag, enciphered check block and audio.
    for (const QByteArray& key : {QByteArray("secret"), QByteArray("twelve chars")}) {
        const QByteArray tag = TagBytes(FullFrames("Call 3", "", "", true)).left(40);
        QByteArray rest = QByteArray::number(key.size()) + "*" + key + "*" + FakeAudio(64);
        for (qsizetype i = 0; i < rest.size(); ++i)
            rest[i] = char(rest[i] ^ key[i % key.size()]);
        seed("protected/" + QString::number(key.size()), char(key.size()) + key + char(tag.size()) + tag + rest);
    }
    seed("index/one", Record("Call 3", "notes", {}));
    seed("index/operator", Record("Desk call", "a\r\nb", "Desk 2") + Record("x", "", {}, '1'));
    seed("index/partial", Record("Call 3", "n", {}) + Record("cut", "n", "op").left(300));
    return ok ? 0 : 1;
}
