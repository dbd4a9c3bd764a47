#pragma once
// Tone files in a temporary folder, for the player's tests.

#include "support/SoundFiles.h"

#include <QTemporaryDir>

namespace sonvelle::test {

inline QString MakeToneMp3(const QTemporaryDir& dir, const QString& name, double seconds)
{
    return MakeToneMp3(dir.path(), name, seconds);
}

}  // namespace sonvelle::test
