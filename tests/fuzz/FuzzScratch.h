#pragma once
// What the fuzz targets share: a scratch folder per process, in memory-backed storage where there is
// some, and the check that ends a run where an invariant breaks.

#include "tests/support/TagBytes.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdlib>

namespace sonvelle::fuzz {

// Made on first use, removed when the process ends.
inline QString ScratchFolder()
{
    static const QTemporaryDir dir((QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm") : QDir::tempPath()) +
                                   QStringLiteral("/sonvelle-fuzz-XXXXXX"));
    return dir.path() + QLatin1Char('/');
}

// The fuzzer's input, not copied.
inline QByteArray Input(const uint8_t* data, size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
}

inline QString WriteScratch(const QString& name, const QByteArray& bytes)
{
    const QString path = ScratchFolder() + name;
    test::WriteBytes(path, bytes);
    return path;
}

// Aborting hands the input that broke the invariant back to the fuzzer.
inline void Require(bool holds)
{
    if (!holds)
        std::abort();
}

}  // namespace sonvelle::fuzz
