// Writes the seed corpus of the fuzz targets: tags and index records as our files hold them.
#include "tests/store/StoreFixtures.h"

#include <QDir>
#include <QtEndian>

#include <cstdio>
#include <cstring>

using namespace sonvelle::testing;

namespace {

QByteArray Field(const QByteArray& text)
{
    return text.leftJustified(260, ' ', true);
}

QByteArray Record(const QByteArray& name, const QByteArray& notes, const QByteArray& op, char deleted = '0')
{
    QByteArray r = Field(name) + deleted;
    char d[8];
    double date = 39056.42;
    quint64 bits;
    std::memcpy(&bits, &date, 8);
    qToLittleEndian(bits, d);
    r.append(d, 8);
    double duration = -1.0;
    std::memcpy(&bits, &duration, 8);
    qToLittleEndian(bits, d);
    r.append(d, 8);
    r += '0';
    r += Field(notes);
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
    QDir().mkpath(root + "tag");
    QDir().mkpath(root + "index");
    bool ok = true;
    ok &= WriteBytes(root + "tag/full", TagBytes(FullFrames("Call 3", "notes", "Desk 2")) + FakeAudio(64));
    ok &= WriteBytes(root + "tag/empty", TagBytes({}) + FakeAudio(16));
    ok &= WriteBytes(root + "tag/foreign-comment",
                     TagBytes(RawFrame("COMM", QByteArray("\0eng", 4) + QByteArray("desc\0text", 9)) +
                              TextFrame("TIME", "23:59:58")));
    ok &= WriteBytes(root + "tag/oversize", TagBytes(TextFrame("TIT2", "x") + "TLEN" + Be32(1000)));
    ok &= WriteBytes(root + "tag/no-tag", FakeAudio(32));
    ok &= WriteBytes(root + "index/one", Record("Call 3", "notes", {}));
    ok &= WriteBytes(root + "index/operator", Record("Desk call", "a\r\nb", "Desk 2") + Record("x", "", {}, '1'));
    ok &= WriteBytes(root + "index/partial", Record("Call 3", "n", {}) + Record("cut", "n", "op").left(300));
    return ok ? 0 : 1;
}
