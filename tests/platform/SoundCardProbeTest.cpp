#include "platform/ProgramFolder.h"
#include "platform/SoundCardProbe.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace sonvelle;

namespace {

class SoundCardProbe : public ::testing::Test {
protected:
    void SetUp() override { SetProgramFolderForTesting(m_dir.path()); }
    void TearDown() override { SetProgramFolderForTesting({}); }
    QByteArray Log() const
    {
        QFile f(m_dir.path() + "/SN.log");
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QTemporaryDir m_dir;
};

// The test command runs a private sound server with a virtual microphone.
TEST_F(SoundCardProbe, RecordsFromTheDefaultSource)
{
    EXPECT_TRUE(ControlloPresenzaScheda());
    EXPECT_TRUE(Log().isEmpty()) << Log().constData();
}

TEST_F(SoundCardProbe, NoServerIsNoSoundCardAndLogsTheFirstFailure)
{
    const QByteArray saved = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", QFile::encodeName("unix:" + m_dir.path() + "/no-such-socket"));
    const bool present = ControlloPresenzaScheda();
    if (saved.isEmpty())
        qunsetenv("PULSE_SERVER");
    else
        qputenv("PULSE_SERVER", saved);
    EXPECT_FALSE(present);
    EXPECT_TRUE(Log().startsWith("Errore ControlloPresenzaScheda: ")) << Log().constData();
    EXPECT_TRUE(Log().endsWith("\r\n"));
    EXPECT_FALSE(Log().contains("(2)"));
}

}  // namespace
