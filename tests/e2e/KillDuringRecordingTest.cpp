// The real program, killed outright during an automatic recording and started
// again: the call it was recording is stored, tagged and listed, and nothing
// else in the work folder changes. A file-fed microphone speaks into it.

#include "platform/Registry.h"
#include "support/EventWait.h"
#include "support/SoundFiles.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

using namespace sonvelle;
using namespace sonvelle::test;

namespace {

QByteArray Digest(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256) : QByteArray();
}

class KillDuringRecording : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        work = m_dir.path() + "/work/";
        QDir().mkpath(work);
        QDir().mkpath(m_dir.path() + "/config");
        QDir().mkpath(m_dir.path() + "/runtime");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path() + "/config"));
        CRegKey key;
        ASSERT_TRUE(key.Create(Hive::CurrentUser, "Software\\Orsolan\\Sonvelle"));
        const QList<QPair<QString, QString>> values = {
            {"WorkDir", work},          {"PrimoLancio", "0"},           {"AvviaInAutoReg", "1"},
            {"TempoAttesaRegAuto", "15"}, {"SogliaAttivazioneRegAuto", "2000"}, {"ChiediConfermaAutoRec", "0"},
            {"AvvioTaskBar", "0"}};
        for (const auto& [name, text] : values)
            ASSERT_TRUE(key.WriteText(name, text));
        qunsetenv("XDG_CONFIG_HOME");

        // About 40 s of speech without a pause long enough to end the call.
        QString words;
        for (int i = 0; i < 14; ++i)
            words += "The quarterly figures arrive on Thursday and the meeting moves to room four. ";
        speech = MakeSpeech(m_dir.path(), words);
        ASSERT_FALSE(speech.isEmpty());
        ASSERT_GT(ReadWav(speech).Seconds(), 30);
        std::vector<short> quiet(32000 * 60, 0);
        silence = m_dir.path() + "/silence.wav";
        ASSERT_TRUE(WriteWav(silence, quiet));
    }

    void Launch(QProcess& program, const QString& microphone)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", m_dir.path() + "/config");
        env.insert("XDG_RUNTIME_DIR", m_dir.path() + "/runtime");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("SONVELLE_WAVE_INPUT", microphone);
        program.setProcessEnvironment(env);
        program.setProgram(SONVELLE_PROGRAM);
        program.start();
        ASSERT_TRUE(program.waitForStarted(10000));
    }
    static void Kill(QProcess& program)
    {
        ::kill(static_cast<pid_t>(program.processId()), SIGKILL);
        program.waitForFinished(10000);
    }
    QStringList Files() const { return QDir(work).entryList(QDir::Files, QDir::Name); }

    QString work;
    QString speech;
    QString silence;

private:
    QTemporaryDir m_dir;
};

TEST_F(KillDuringRecording, TheCallBeingRecordedIsStoredAtTheNextStartAndNothingElseChanges)
{
    // A recording made earlier, which must come through untouched.
    const QString earlier = work + "Earlier call.mp3";
    ASSERT_EQ(QProcess::execute("lame", {"--quiet", "-b", "32", "-m", "m", speech, earlier}), 0);

    QProcess first;
    Launch(first, speech);
    const QString temporary = work + "tmp_nome_reg.dtm";
    ASSERT_TRUE(WaitUntil([&] { return QFileInfo(temporary).size() > 0; }, std::chrono::milliseconds(30000)));
    WaitUntil([] { return false; }, std::chrono::milliseconds(20000));
    Kill(first);
    const QStringList before = Files();
    const QByteArray earlierDigest = Digest(earlier);
    ASSERT_GT(QFileInfo(temporary).size(), 0);

    QProcess second;
    Launch(second, silence);
    // A recording that was not there at the kill, listed in the index.
    QString salvaged;
    const bool listed = WaitUntil(
        [&] {
            for (const QString& name : Files())
                if (name.endsWith(".mp3") && !before.contains(name)) {
                    QFile index(work + "Index.txt");
                    if (index.open(QIODevice::ReadOnly) && index.readAll().contains(name.chopped(4).toUtf8() + "   ")) {
                        salvaged = work + name;
                        return true;
                    }
                }
            return false;
        },
        std::chrono::milliseconds(30000));
    Kill(second);
    ASSERT_TRUE(listed) << Files().join(", ").toStdString();

    QFile tagged(salvaged);
    ASSERT_TRUE(tagged.open(QIODevice::ReadOnly));
    EXPECT_EQ(tagged.read(3), "ID3");
    const Pcm audio = DecodeMp3(salvaged);
    EXPECT_EQ(audio.rate, 32000);
    EXPECT_GE(audio.Seconds(), 15.0);
    EXPECT_GT(Rms(audio.samples), 300.0);  // speech, not silence
    // The validator's one finding is where the tag's size, which counts its own
    // header, says the audio starts: 10 bytes into the first frame.
    QProcess validator;
    validator.start("mp3val", {salvaged});
    validator.waitForFinished(30000);
    const QStringList warnings = QString::fromUtf8(validator.readAllStandardOutput())
                                     .split('\n')
                                     .filter(QRegularExpression("^(WARNING|ERROR)"));
    ASSERT_EQ(warnings.size(), 1) << warnings.join('\n').toStdString();
    EXPECT_TRUE(warnings[0].contains("resynchronized successfully")) << warnings[0].toStdString();
    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-select_streams", "a:0", "-show_entries",
                            "stream=sample_rate,channels,bit_rate", "-of", "csv=p=0", salvaged});
    probe.waitForFinished(30000);
    EXPECT_EQ(QString::fromUtf8(probe.readAllStandardOutput()).trimmed().toStdString(), "32000,1,32000");

    EXPECT_EQ(Digest(earlier), earlierDigest);
    // The writer's file became the recording; the listening run may have made a new, empty one.
    QStringList expected = before;
    expected.removeAll("tmp_nome_reg.dtm");
    expected.append(QFileInfo(salvaged).fileName());
    expected.sort();
    QStringList after = Files();
    if (QFileInfo(temporary).exists() && QFileInfo(temporary).size() == 0)
        after.removeAll("tmp_nome_reg.dtm");
    EXPECT_EQ(after.join(", ").toStdString(), expected.join(", ").toStdString());
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
