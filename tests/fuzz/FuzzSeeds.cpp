// Writes the seed corpus of the fuzz targets: tags and index records as our files hold them.
#include "tests/support/TagBytes.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

using namespace sonvelle::test;

namespace {

QByteArray Field(const QByteArray& text)
{
    return text.leftJustified(260, ' ', true);
}

// Name, deleted mark, date and duration (zero will do), protected mark, notes, then the operator if any.
QByteArray Record(const QByteArray& name, const QByteArray& notes, const QByteArray& op)
{
    const QByteArray record = Field(name) + '0' + QByteArray(16, '\0') + '0' + Field(notes);
    return op.isEmpty() ? record : record + "<operatore>" + Field(op);
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
    // One seed per layout: the hostile sizes and frame counts have their own cases in the store's tests.
    seed("tag/full", TagBytes(FullFrames("Call 3", "notes", "Desk 2")) + FakeAudio(64));
    seed("tag/utf16", TagBytes(RawFrame("TIT2", QByteArray("\x01\xFF\xFEM\0\xFC\0", 7)) +
                               RawFrame("COMM", QByteArray("\x01eng\xFF\xFE\0\0\xFF\xFEn\0", 12))));
    seed("settings/values", "# settings\nDisableIndex\t1\nOperatore\tDesk\\t2\\n\\\\x\n");
    // Key word length, key word, tag length, then the file: tag, enciphered check block and audio.
    const QByteArray key("secret"), tag = TagBytes(FullFrames("Call 3", "", "", true)).left(40);
    QByteArray rest = QByteArray::number(key.size()) + "*" + key + "*" + FakeAudio(64);
    for (qsizetype i = 0; i < rest.size(); ++i)
        rest[i] = char(rest[i] ^ key[i % key.size()]);
    seed("protected/6", char(key.size()) + key + char(tag.size()) + tag + rest);
    seed("index/operator", Record("Desk call", "a\r\nb", "Desk 2") + Record("x", "", {}));
    return ok ? 0 : 1;
}
