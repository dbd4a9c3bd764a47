// Any bytes as a settings key file: values read without harm, and a value
// that reads is written and read back unchanged.
#include "platform/Registry.h"
#include "tests/fuzz/FuzzScratch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace sonvelle;
    static const bool home = qputenv("XDG_CONFIG_HOME", QFile::encodeName(fuzz::ScratchFolder() + "config"));
    (void)home;
    const QString keyPath = QStringLiteral("Software\\Orsolan\\Sonvelle");
    const QString file = CRegKey::KeyFilePath(Hive::CurrentUser, keyPath);
    QDir().mkpath(file.left(file.lastIndexOf(QLatin1Char('/'))));
    const QByteArray bytes = fuzz::Input(data, size);
    CRegKey key;
    if (!test::WriteBytes(file, bytes) || !key.Open(Hive::CurrentUser, keyPath, true))
        return 0;
    // The name of the first line, as the file would spell it, and a few the program reads.
    QStringList names = {QStringLiteral("DisableIndex"), QStringLiteral("Operatore"), QStringLiteral("WorkDir")};
    if (const qsizetype tab = bytes.left(4096).indexOf('\t'); tab > 0)
        names << QString::fromUtf8(bytes.left(tab));
    for (const QString& name : names) {
        const auto value = key.ReadText(name, 1 << 20);
        // A file that grew too large is refused whole.
        if (!value || name.isEmpty() || !key.WriteText(name, *value))
            continue;
        const auto back = key.ReadText(name, 1 << 20);
        fuzz::Require(back && *back == *value);
    }
    return 0;
}
