#pragma once
// Files for the store's tests, built byte by byte here rather than by the code under test.

#include "tests/support/TagBytes.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <initializer_list>
#include <utility>

namespace sonvelle::testing {

using namespace sonvelle::test;

// A recording file with a complete tag in front of fake audio.
inline QString MakeRecording(const QString& folder, const QString& name, const QByteArray& notes = {},
                             const QByteArray& op = {}, bool isProtected = false)
{
    const QString path = folder + name + ".mp3";
    WriteBytes(path, TagBytes(FullFrames(name.toUtf8(), notes, op, isProtected)) + FakeAudio());
    return path;
}

}  // namespace sonvelle::testing
