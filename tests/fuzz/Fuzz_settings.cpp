// Any bytes as a settings key file: values read without harm, and a value
// that reads is written and read back unchanged.
#include "platform/Registry.h"
#include "tests/fuzz/FuzzScratch.h"

#include <QDir>
#include <QFile>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace sonvelle;
    static const bool home = [] {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(fuzz::ScratchFolder() + QStringLiteral("config")));
        return true;
    }();
    (void)home;
    const QString keyPath = QStringLiteral("Software\\Orsolan\\Sonvelle");
    const QString file = CRegKey::KeyFilePath(Hive::CurrentUser, keyPath);
    QDir().mkpath(file.left(file.lastIndexOf(QLatin1Char('/'))));
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    out.write(reinterpret_cast<const char*>(data), qint64(size));
    out.close();

    CRegKey key;
    if (!key.Open(Hive::CurrentUser, keyPath, true))
        return 0;
    // The name of the first line, as the file would spell it, and a few the program reads.
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(std::min<size_t>(size, 4096)));
    const qsizetype tab = bytes.indexOf('\t');
    QStringList names = {QStringLiteral("DisableIndex"), QStringLiteral("Operatore"), QStringLiteral("WorkDir")};
    if (tab > 0)
        names << QString::fromUtf8(bytes.left(tab));
    for (const QString& name : names) {
        const auto value = key.ReadText(name, 1 << 20);
        if (!value || name.isEmpty())
            continue;
        if (!key.WriteText(name, *value))
            continue;  // a file that grew too large is refused whole
        const auto back = key.ReadText(name, 1 << 20);
        if (!back || *back != *value)
            std::abort();
    }
    return 0;
}
