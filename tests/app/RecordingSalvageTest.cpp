// What a crash leaves in the work folder becomes listed, tagged recordings at
// the next start, before capture begins; real MP3 audio, checked by mp3val.

#include "platform/Prompt.h"
#include "support/SoundFiles.h"
#include "support/TagBytes.h"
#include "support/TestFolders.h"
#include "RecordingHost.h"

#include "app/RecordingSalvage.h"
#include "app/StartupSequence.h"
#include "store/RecordingList.h"

#include <QDateTime>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace sonvelle;

namespace {

class SalvageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetPrompt(&m_prompt);
        ASSERT_TRUE(test::WriteBytes(m_folders.ProgramDir() + "encodermp3.so", {}));
        ASSERT_TRUE(test::WriteSettings({{"WorkDir", work}, {"PrimoLancio", "0"}, {"AvviaInAutoReg", "1"}}));
        m_sequence.SetSoundCardProbe([] { return true; });
        tenSeconds = test::ReadBytes(test::MakeToneMp3(m_folders.Path("."), "tone", 10));
        ASSERT_GT(tenSeconds.size(), 30000);
    }
    void TearDown() override { SetPrompt(nullptr); }

    test::CTestFolders m_folders;
    CScriptedPrompt m_prompt;
    void Put(const QString& name, const QByteArray& bytes, int minutesAgo = 0)
    {
        ASSERT_TRUE(test::WriteBytes(work + name, bytes));
        QFile f(work + name);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.setFileTime(QDateTime::currentDateTime().addSecs(-60 * minutesAgo), QFileDevice::FileModificationTime);
    }

    const QString work = m_folders.WorkDir();
    QByteArray tenSeconds;
    CRecordingHost m_host;
    CAppSettings m_settings;
    CStartupSequence m_sequence{m_host, m_settings};
};

TEST_F(SalvageTest, LeftoversBecomeTaggedListedRecordingsBeforeCaptureStarts)
{
    // The writer's file cut mid-frame by the kill; an older segment that begins with the tail of a frame;
    // a protected recording's working copy; an empty hand-over; files with no audio.
    Put("tmp_nome_reg.dtm", tenSeconds + tenSeconds.left(100), 1);
    Put("TEM1A2B.snx", tenSeconds.mid(50), 30);
    Put("Call one.mp3", "tagged audio");
    Put("Call one.snx", tenSeconds);
    Put("TEM77.snx", QByteArray());
    Put("TEM99.snx", QByteArray(5000, 'z'));
    Put("TEM98.snx", QByteArray(3, '\xFF'));  // too short for a frame header

    ASSERT_TRUE(m_sequence.OnInitDialog());
    const QStringList names{"Recording 1", "Recording 2"};
    EXPECT_EQ(m_sequence.SalvagedRecordings(), names);  // oldest first
    EXPECT_LT(m_host.IndexOf("StartOneShotTimer 1297 2000"), m_host.IndexOf("StartWorkerThreads"));
    EXPECT_LT(m_host.IndexOf("StartWorkerThreads"), m_host.IndexOf("SwitchAutoRecordingOn"));

    QStringList left = QDir(work).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(left, (QStringList{"Call one.mp3", "Recording 1.mp3", "Recording 2.mp3", "TEM98.snx", "TEM99.snx"}));

    CRecordingList catalogue;
    ASSERT_TRUE(catalogue.Load(work));
    const struct {
        QString name;
        double seconds;
        int minutesAgo;
    } expected[] = {{"Recording 1", 10, 30}, {"Recording 2", 10, 1}};
    for (const auto& e : expected) {
        SCOPED_TRACE(e.name.toStdString());
        const CRecordingEntry* entry = catalogue.FindByName(e.name);
        ASSERT_NE(entry, nullptr);
        const QString path = work + e.name + ".mp3";
        EXPECT_NEAR(entry->m_dtDuration.Value() * 86400, e.seconds, 0.6);
        // Dated when the recording began: its length before the file's last write.
        const double expectedStart =
            COleDateTime::FromQDateTime(QDateTime::currentDateTime().addSecs(-60 * e.minutesAgo)).Value() -
            e.seconds / 86400;
        EXPECT_NEAR(entry->m_dtDate.Value(), expectedStart, 5.0 / 86400);
        const QString findings = test::Mp3valFindings(path).join('\n');
        EXPECT_FALSE(findings.contains("truncated") || findings.contains("garbage")) << findings.toStdString();
        EXPECT_EQ(QFileInfo(path).permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);
    }

    // One notice, after start-up, naming both.
    EXPECT_TRUE(m_prompt.ShownSoFar().empty());
    EXPECT_TRUE(m_sequence.OnTimer(CStartupSequence::kTimerSalvageNotice));
    ASSERT_EQ(m_prompt.ShownSoFar().size(), 1u);
    EXPECT_TRUE(m_prompt.ShownSoFar()[0].text.contains("Recording 1\nRecording 2"));
}

}  // namespace
