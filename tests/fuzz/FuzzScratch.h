#pragma once
// A scratch file per fuzzing process, in memory-backed storage where there is some.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <unistd.h>

namespace sonvelle::fuzz {

// Made on first use, removed when the process ends.
struct ScratchOwner {
    ScratchOwner()
    {
        const QString base = QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
        path = base + QStringLiteral("/sonvelle-fuzz-%1/").arg(::getpid());
        QDir().mkpath(path);
    }
    ~ScratchOwner() { QDir(path).removeRecursively(); }
    QString path;
};

inline QString ScratchFolder()
{
    static const ScratchOwner owner;
    return owner.path;
}

inline QString WriteScratch(const QString& name, const uint8_t* data, size_t size)
{
    const QString path = ScratchFolder() + name;
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    return path;
}

}  // namespace sonvelle::fuzz
