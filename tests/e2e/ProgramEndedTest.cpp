// The program itself as a separate process, with settings of its own and a
// file-fed microphone, ended while it records: by a signal (the close sequence
// stores the recording, nobody there to answer the save dialog) or killed
// outright (the next start stores it, nothing else in the work folder changes).

#include "support/EventWait.h"
#include "support/SoundFiles.h"
#include "support/TagBytes.h"
#include "support/TestFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace sonvelle::test;
using namespace std::chrono_literals;

namespace {

class ProgramEnded : public ::testing::Test {
protected:
    // Auto-recording at start, no confirmation, the microphone above 2000; the
    // program inherits the configuration folder the test folders point at.
    void SetUp() override
    {
        ASSERT_TRUE(folders.IsValid() && runtime.isValid());
        ASSERT_TRUE(WriteSettings({{"WorkDir", work}, {"PrimoLancio", "0"}, {"AvviaInAutoReg", "1"},
                                   {"TempoAttesaRegAuto", "15"}, {"SogliaAttivazioneRegAuto", "2000"},
                                   {"ChiediConfermaAutoRec", "0"}, {"AvvioTaskBar", "0"}}));
    }

    // Speech with no pause long enough to end the call, after 2 s of silence.
    QString Microphone(const QString& words, int seconds)
    {
        const std::vector<short> sentence = ReadWav(MakeSpeech(folders.ProgramDir(), words)).samples;
        std::vector<short> scene(2 * 32000, 0);
        while (!sentence.empty() && scene.size() < static_cast<size_t>(seconds) * 32000)
            scene.insert(scene.end(), sentence.begin(), sentence.end());
        const QString path = folders.Path(QString("microphone%1.wav").arg(seconds));
        return !sentence.empty() && WriteWav(path, scene) ? path : QString();
    }
    void Launch(QProcess& program, const QString& microphone)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("SONVELLE_WAVE_INPUT", microphone);
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(SONVELLE_PROGRAM, {});
        ASSERT_TRUE(program.waitForStarted(10000));
    }
    // Started with the microphone, and 20 s into an automatic recording.
    void RecordFor20Seconds(QProcess& program, const QString& microphone)
    {
        ASSERT_FALSE(microphone.isEmpty());
        Launch(program, microphone);
        ASSERT_TRUE(WaitUntil([&] { return QFileInfo(Temporary()).size() > 0 || program.state() == QProcess::NotRunning; },
                              30s))
            << "no automatic recording started";
        WaitUntil([] { return false; }, 20s);
        ASSERT_EQ(program.state(), QProcess::Running);
    }
    QStringList Files() const { return QDir(work).entryList(QDir::Files, QDir::Name); }
    QString Temporary() const { return work + "tmp_nome_reg.dtm"; }
    bool Listed(const QString& mp3) const
    {
        return ReadBytes(work + "Index.txt").contains(QFileInfo(mp3).completeBaseName().toUtf8() + "   ");
    }
    void ExpectSpeech(const QString& mp3, double rms) const
    {
        const Pcm audio = DecodeMp3(work + mp3);
        EXPECT_EQ(audio.rate, 32000);
        EXPECT_GE(audio.Seconds(), 15.0);
        EXPECT_GT(Rms(audio.samples), rms) << "silence instead of the speech";
    }

    CTestFolders folders;
    QTemporaryDir runtime;  // private to its owner, as a session's runtime folder is
    const QString work = folders.WorkDir();
    QProcess first;  // killed, if still running, when the test ends
    QProcess second;
};

TEST_F(ProgramEnded, ByASignalTheCloseSequenceStoresTheRunningRecording)
{
    ASSERT_TRUE(SoundServerAnswers()) << "no sound server: eval \"$(scripts/sound-server start)\"";
    ASSERT_TRUE(WriteSettings({{"RegAutoSalvaUnicoFile", "1"}, {"AbilitaSegnaleAcustico", "0"}}));
    RecordFor20Seconds(first, Microphone("This is the bank calling about your savings account and the transfer you "
                                         "asked for last week.",
                                         47));
    first.terminate();
    ASSERT_TRUE(first.waitForFinished(30000)) << "the close sequence did not end";
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit) << "killed by the signal";
    EXPECT_EQ(first.exitCode(), 0);

    const QStringList stored = QDir(work).entryList({"*.mp3"}, QDir::Files);
    ASSERT_EQ(stored.size(), 1) << stored.join(", ").toStdString();
    ExpectSpeech(stored[0], 100.0);
    EXPECT_TRUE(Listed(stored[0]));
    EXPECT_EQ(Files().size(), 2) << "more than the recording and its index: " << Files().join(", ").toStdString();
}

TEST_F(ProgramEnded, KilledTheCallIsStoredAtTheNextStartAndNothingElseChanges)
{
    const QString speech = Microphone("The quarterly figures arrive on Thursday and the meeting moves to room four.", 45);
    const QString earlier = work + "Earlier call.mp3";
    ASSERT_TRUE(RunTool("lame", {"--quiet", "-b", "32", "-m", "m", speech, earlier}));
    RecordFor20Seconds(first, speech);
    first.kill();
    first.waitForFinished(10000);
    const QStringList before = Files();
    const QByteArray earlierBytes = ReadBytes(earlier);  // as the first run listed it
    ASSERT_GT(QFileInfo(Temporary()).size(), 0);

    const QString silence = folders.Path("silence.wav");
    ASSERT_TRUE(WriteWav(silence, std::vector<short>(32000 * 60, 0)));
    Launch(second, silence);
    QString salvaged;
    const bool listed = WaitUntil(
        [&] {
            for (const QString& name : Files())
                if (name.endsWith(".mp3") && !before.contains(name) && Listed(name))
                    salvaged = name;
            return !salvaged.isEmpty();
        },
        30s);
    second.kill();
    second.waitForFinished(10000);
    ASSERT_TRUE(listed) << Files().join(", ").toStdString();

    EXPECT_TRUE(ReadBytes(work + salvaged).startsWith("ID3"));
    ExpectSpeech(salvaged, 300.0);
    EXPECT_EQ(Mp3valFindingsBehindTag(work + salvaged).join('\n'), QString());
    EXPECT_EQ(ProbeStream(work + salvaged), "32000,1,32000");
    EXPECT_EQ(ReadBytes(earlier), earlierBytes);
    // The writer's file became the recording; the listening run may have made a new, empty one.
    QStringList unchanged = before, after = Files();
    unchanged.removeAll("tmp_nome_reg.dtm");
    if (QFileInfo(Temporary()).size() == 0)
        after.removeAll("tmp_nome_reg.dtm");
    after.removeAll(salvaged);
    EXPECT_EQ(after.join(", ").toStdString(), unchanged.join(", ").toStdString());
}

}  // namespace
