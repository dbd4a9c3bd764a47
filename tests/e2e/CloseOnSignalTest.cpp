// The program as a user's session runs it: started with auto-recording on and
// a file-fed microphone, then ended by a signal while it records. The close
// sequence must store the recording under its default name, listed and
// decodable, with nobody there to answer the save dialog.

#include "platform/Registry.h"
#include "support/EventWait.h"
#include "support/SoundFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

using namespace sonvelle;
using namespace sonvelle::test;

namespace {

class CloseOnSignal : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QProcess pactl;
        pactl.start("pactl", {"info"});
        ASSERT_TRUE(pactl.waitForFinished(10000) && pactl.exitCode() == 0)
            << "no sound server: eval \"$(scripts/sound-server start)\"";
        work = m_dir.path() + "/work/";
        ASSERT_TRUE(QDir().mkpath(work));
        ASSERT_TRUE(QDir().mkpath(m_dir.path() + "/config"));
        ASSERT_TRUE(QDir().mkpath(m_dir.path() + "/run"));
        QFile::setPermissions(m_dir.path() + "/run", QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                         QFileDevice::ExeOwner);

        // The user's settings: auto-recording at start, one-file mode, no confirmation.
        m_savedConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path() + "/config"));
        CRegKey key;
        ASSERT_TRUE(key.Create(Hive::CurrentUser, QStringLiteral("Software\\Orsolan\\Sonvelle")));
        const std::pair<const char*, QString> settings[] = {
            {"WorkDir", work},
            {"AvviaInAutoReg", "1"},
            {"RegAutoSalvaUnicoFile", "1"},
            {"ChiediConfermaAutoRec", "0"},
            {"TempoAttesaRegAuto", "15"},
            {"SogliaAttivazioneRegAuto", "2000"},
            {"AvvioTaskBar", "0"},
            {"AbilitaSegnaleAcustico", "0"},
            {"PrimoLancio", "0"},
        };
        for (const auto& [name, value] : settings)
            ASSERT_TRUE(key.WriteText(QString::fromLatin1(name), value));
    }
    void TearDown() override
    {
        if (m_program.state() != QProcess::NotRunning) {
            m_program.kill();
            m_program.waitForFinished(5000);
        }
        qputenv("XDG_CONFIG_HOME", m_savedConfig);
    }

    // 2 s of silence, then the sentence over and over for about 45 s.
    QString Microphone()
    {
        const QString file = MakeSpeech(m_dir.path(), "This is the bank calling about your savings account and the "
                                                      "transfer you asked for last week.");
        const std::vector<short> sentence = ReadWav(file).samples;
        if (sentence.empty())
            return {};
        std::vector<short> scene(2 * 32000, 0);
        while (scene.size() < 47 * 32000) {
            scene.insert(scene.end(), sentence.begin(), sentence.end());
            scene.insert(scene.end(), 32000 / 2, 0);
        }
        const QString path = m_dir.path() + "/microphone.wav";
        return WriteWav(path, scene) ? path : QString();
    }

    void Start(const QString& microphone)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", m_dir.path() + "/config");
        env.insert("XDG_RUNTIME_DIR", m_dir.path() + "/run");
        env.insert("SONVELLE_WAVE_INPUT", microphone);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        m_program.setProcessEnvironment(env);
        m_program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_program.start(SONVELLE_PROGRAM, {});
        ASSERT_TRUE(m_program.waitForStarted(10000));
    }

    QStringList Recordings() const { return QDir(work).entryList({"*.mp3"}, QDir::Files); }

    QString work;
    QProcess m_program;

private:
    QTemporaryDir m_dir;
    QByteArray m_savedConfig;
};

TEST_P(CloseOnSignal, TheRunningRecordingIsStoredThroughTheCloseSequence)
{
    const QString microphone = Microphone();
    ASSERT_FALSE(microphone.isEmpty());
    Start(microphone);

    // The automatic recording has begun once the writer's file grows.
    const QString temporary = work + "tmp_nome_reg.dtm";
    ASSERT_TRUE(WaitUntil([&] { return QFileInfo(temporary).size() > 0 || m_program.state() == QProcess::NotRunning; },
                        std::chrono::milliseconds(20000)))
        << "no automatic recording started";
    ASSERT_EQ(m_program.state(), QProcess::Running);
    WaitUntil([] { return false; }, std::chrono::milliseconds(20000));
    ASSERT_EQ(m_program.state(), QProcess::Running);

    kill(static_cast<pid_t>(m_program.processId()), GetParam());
    ASSERT_TRUE(m_program.waitForFinished(30000)) << "the close sequence did not end";
    EXPECT_EQ(m_program.exitStatus(), QProcess::NormalExit) << "killed by the signal";
    EXPECT_EQ(m_program.exitCode(), 0);

    const QStringList stored = Recordings();
    ASSERT_EQ(stored.size(), 1) << stored.join(", ").toStdString();
    const Pcm audio = DecodeMp3(work + stored[0]);
    EXPECT_EQ(audio.rate, 32000);
    EXPECT_GE(audio.Seconds(), 15.0);
    EXPECT_GT(Rms(audio.samples), 100.0);  // speech, not silence

    QFile index(work + "Index.txt");
    ASSERT_TRUE(index.open(QIODevice::ReadOnly));
    EXPECT_TRUE(index.readAll().contains(QFileInfo(stored[0]).completeBaseName().toUtf8())) << "not listed";
    EXPECT_FALSE(QFileInfo::exists(temporary));
    // Only the recording, its index and nothing half-made.
    for (const QString& name : QDir(work).entryList(QDir::Files))
        EXPECT_TRUE(name.endsWith(".mp3") || name == "Index.txt") << name.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Signals, CloseOnSignal, ::testing::Values(SIGTERM),
                         [](const auto& info) { return std::string(strsignal(info.param)); });

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
