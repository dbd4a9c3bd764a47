// The program itself as a separate process, with settings of its own and a
// file-fed microphone, ended while it records: by a signal (the close sequence
// stores the recording, nobody there to answer the save dialog) or killed
// outright (the next start stores it, nothing else in the work folder changes).

#include "support/TestFolders.h"
#include "support/EventWait.h"
#include "support/SoundFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

using namespace sonvelle;
using namespace sonvelle::test;
using namespace std::chrono_literals;

namespace {

class ProgramEnded : public ::testing::Test {
protected:
    // Auto-recording at start, no confirmation, the microphone above 2000.
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        for (const char* sub : {"/work", "/config", "/runtime"})
            ASSERT_TRUE(QDir().mkpath(m_dir.path() + sub));
        QFile::setPermissions(m_dir.path() + "/runtime", QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                             QFileDevice::ExeOwner);
        ASSERT_TRUE(WriteSettings({{"WorkDir", work}, {"PrimoLancio", "0"}, {"AvviaInAutoReg", "1"},
                                   {"TempoAttesaRegAuto", "15"}, {"SogliaAttivazioneRegAuto", "2000"},
                                   {"ChiediConfermaAutoRec", "0"}, {"AvvioTaskBar", "0"}}));
    }
    bool WriteSettings(const std::vector<std::pair<QString, QString>>& values)
    {
        const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path() + "/config"));
        const bool written = test::WriteSettings(values);
        qputenv("XDG_CONFIG_HOME", savedConfig);
        return written;
    }
    void TearDown() override
    {
        for (QProcess* p : {&m_first, &m_second})
            if (p->state() != QProcess::NotRunning)
                Kill(*p);
    }

    // Speech with no pause long enough to end the call, after 2 s of silence.
    QString Microphone(const QString& words, int seconds)
    {
        const std::vector<short> sentence = ReadWav(MakeSpeech(m_dir.path(), words)).samples;
        std::vector<short> scene(2 * 32000, 0);
        while (!sentence.empty() && scene.size() < static_cast<size_t>(seconds) * 32000)
            scene.insert(scene.end(), sentence.begin(), sentence.end());
        const QString path = m_dir.path() + QString("/microphone%1.wav").arg(seconds);
        return !sentence.empty() && WriteWav(path, scene) ? path : QString();
    }
    void Launch(QProcess& program, const QString& microphone)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", m_dir.path() + "/config");
        env.insert("XDG_RUNTIME_DIR", m_dir.path() + "/runtime");
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
    static void Kill(QProcess& program)
    {
        ::kill(static_cast<pid_t>(program.processId()), SIGKILL);
        program.waitForFinished(10000);
    }
    QStringList Files() const { return QDir(work).entryList(QDir::Files, QDir::Name); }
    QString Temporary() const { return work + "tmp_nome_reg.dtm"; }
    bool Listed(const QString& mp3) const
    {
        QFile index(work + "Index.txt");
        return index.open(QIODevice::ReadOnly) && index.readAll().contains(QFileInfo(mp3).completeBaseName().toUtf8() + "   ");
    }
    static void ExpectSpeech(const QString& mp3, double rms)
    {
        const Pcm audio = DecodeMp3(mp3);
        EXPECT_EQ(audio.rate, 32000);
        EXPECT_GE(audio.Seconds(), 15.0);
        EXPECT_GT(Rms(audio.samples), rms) << "silence instead of the speech";
    }

    QTemporaryDir m_dir;
    const QString work = m_dir.path() + "/work/";
    QProcess m_first;
    QProcess m_second;
};

TEST_F(ProgramEnded, ByASignalTheCloseSequenceStoresTheRunningRecording)
{
    ASSERT_TRUE(SoundServerAnswers()) << "no sound server: eval \"$(scripts/sound-server start)\"";
    ASSERT_TRUE(WriteSettings({{"RegAutoSalvaUnicoFile", "1"}, {"AbilitaSegnaleAcustico", "0"}}));
    RecordFor20Seconds(m_first, Microphone("This is the bank calling about your savings account and the transfer you "
                                           "asked for last week.",
                                           47));
    ::kill(static_cast<pid_t>(m_first.processId()), SIGTERM);
    ASSERT_TRUE(m_first.waitForFinished(30000)) << "the close sequence did not end";
    EXPECT_EQ(m_first.exitStatus(), QProcess::NormalExit) << "killed by the signal";
    EXPECT_EQ(m_first.exitCode(), 0);

    const QStringList stored = QDir(work).entryList({"*.mp3"}, QDir::Files);
    ASSERT_EQ(stored.size(), 1) << stored.join(", ").toStdString();
    ExpectSpeech(work + stored[0], 100.0);
    EXPECT_TRUE(Listed(stored[0]));
    // Only the recording and its index: nothing half-made.
    QStringList expected{stored[0], "Index.txt"};
    expected.sort();
    EXPECT_EQ(Files(), expected);
}

QByteArray Digest(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256) : QByteArray();
}

TEST_F(ProgramEnded, KilledTheCallIsStoredAtTheNextStartAndNothingElseChanges)
{
    const QString speech = Microphone("The quarterly figures arrive on Thursday and the meeting moves to room four.", 45);
    const QString earlier = work + "Earlier call.mp3";
    ASSERT_TRUE(RunTool("lame", {"--quiet", "-b", "32", "-m", "m", speech, earlier}));
    RecordFor20Seconds(m_first, speech);
    Kill(m_first);
    const QStringList before = Files();
    const QByteArray earlierDigest = Digest(earlier);  // as the first run listed it
    ASSERT_GT(QFileInfo(Temporary()).size(), 0);

    const QString silence = m_dir.path() + "/silence.wav";
    ASSERT_TRUE(WriteWav(silence, std::vector<short>(32000 * 60, 0)));
    Launch(m_second, silence);
    QString salvaged;
    const bool listed = WaitUntil(
        [&] {
            for (const QString& name : Files())
                if (name.endsWith(".mp3") && !before.contains(name) && Listed(name))
                    salvaged = work + name;
            return !salvaged.isEmpty();
        },
        30s);
    Kill(m_second);
    ASSERT_TRUE(listed) << Files().join(", ").toStdString();

    QFile tagged(salvaged);
    ASSERT_TRUE(tagged.open(QIODevice::ReadOnly));
    EXPECT_EQ(tagged.read(3), "ID3");
    ExpectSpeech(salvaged, 300.0);
    EXPECT_EQ(Mp3valFindingsBehindTag(salvaged).join('\n'), QString());
    EXPECT_EQ(ProbeStream(salvaged), "32000,1,32000");

    EXPECT_EQ(Digest(earlier), earlierDigest);
    // The writer's file became the recording; the listening run may have made a new, empty one.
    QStringList expected = before;
    expected.removeAll("tmp_nome_reg.dtm");
    expected.append(QFileInfo(salvaged).fileName());
    expected.sort();
    QStringList after = Files();
    if (QFileInfo(Temporary()).exists() && QFileInfo(Temporary()).size() == 0)
        after.removeAll("tmp_nome_reg.dtm");
    EXPECT_EQ(after.join(", ").toStdString(), expected.join(", ").toStdString());
}

}  // namespace
