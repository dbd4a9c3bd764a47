#include "platform/SoundCardProbe.h"

#include "support/TestFolders.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace sonvelle;

namespace {

// The test command runs a private sound server with a virtual microphone.
TEST(SoundCardProbe, RecordsFromTheDefaultSourceAndNoServerIsNoSoundCardLoggedOnce)
{
    test::CTestFolders folders;
    EXPECT_TRUE(ControlloPresenzaScheda());
    EXPECT_TRUE(test::ReadLog().isEmpty()) << test::ReadLog().toStdString();

    const QByteArray saved = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", QFile::encodeName("unix:" + folders.Path("no-such-socket")));
    const bool present = ControlloPresenzaScheda();
    qputenv("PULSE_SERVER", saved);
    EXPECT_FALSE(present);
    const QStringList lines = folders.LogLines();
    ASSERT_EQ(lines.size(), 1) << test::ReadLog().toStdString();
    EXPECT_TRUE(lines[0].startsWith("Errore ControlloPresenzaScheda: "));
}

}  // namespace
