// What instances share: the one classic playback of the process, and the
// sound server, which may go away while something plays.

#include "audio/SoundPlayer.h"
#include "platform/ProgramFolder.h"

#include "AudioTestSupport.h"
#include "SoundPlayerTestMedia.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

using namespace sonvelle;
using namespace std::chrono_literals;

namespace {

class SoundPlayerSharing : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        media = new QTemporaryDir;
        tone = test::MakeToneMp3(*media, QStringLiteral("tone"), 4.0);
    }
    static void TearDownTestSuite()
    {
        delete media;
        media = nullptr;
    }
    void SetUp() override
    {
        test::EnsureCoreApplication();
        ASSERT_TRUE(test::SoundServerAnswers())
            << "no sound server answers: start one with eval \"$(scripts/sound-server start)\"";
        ASSERT_FALSE(tone.isEmpty()) << "sox or lame could not make the test media";
        SetProgramFolderForTesting(logDir.path());
    }
    void TearDown() override { SetProgramFolderForTesting(QString()); }

    static std::pair<std::uint32_t, std::uint32_t> Status(CSoundPlayer& player)
    {
        std::uint32_t length = 0;
        std::uint32_t position = 0;
        player.GetStatus(length, position);
        return {length, position};
    }

    static inline QTemporaryDir* media = nullptr;
    static inline QString tone;
    QTemporaryDir logDir;
};

TEST_F(SoundPlayerSharing, OneClassicPlaybackAtATimeAndOnlyItsPlayerEndsIt)
{
    CSoundPlayer recordings;
    CSoundPlayer warning;
    CSoundPlayer neverPlayed;
    ASSERT_TRUE(recordings.Play(tone, nullptr, false));
    EXPECT_FALSE(warning.Play(tone, nullptr, false)) << "a second classic playback was opened";
    EXPECT_TRUE(test::ReadLog().contains(QStringLiteral("Errore Send string Open")));
    EXPECT_GT(Status(recordings).first, 0u) << "the refused play disturbed the running one";

    // The alternative method has no such limit.
    ASSERT_TRUE(warning.Play(tone, nullptr, true));
    EXPECT_GT(Status(warning).first, 0u);
    warning.Stop();
    EXPECT_GT(Status(recordings).first, 0u) << "an alternative stop closed the classic playback";

    // A player that never played stops nothing of the recording's playback.
    neverPlayed.Stop();
    EXPECT_GT(Status(recordings).first, 0u) << "another player's stop closed the recording's playback";
    EXPECT_EQ(Status(neverPlayed), std::make_pair(0u, 0u)) << "a player read a playback it did not start";
    EXPECT_FALSE(neverPlayed.Pause());

    recordings.Stop();
    EXPECT_EQ(Status(recordings), std::make_pair(0u, 0u));
    ASSERT_TRUE(warning.Play(tone, nullptr, false)) << "the classic playback stayed held after its stop";
    {
        // A player that goes away releases what it started.
        CSoundPlayer shortLived;
        warning.Stop();
        ASSERT_TRUE(shortLived.Play(tone, nullptr, false));
    }
    ASSERT_TRUE(warning.Play(tone, nullptr, false)) << "a destroyed player kept the classic playback";
    warning.Stop();
}

// A sound server of this test's own, so that stopping it harms nobody else.
class CPrivateServer {
public:
    CPrivateServer()
    {
        m_script = QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/../../scripts/sound-server");
        m_previous = qgetenv("PULSE_SERVER");
        qputenv("SONVELLE_SOUND_DIR", m_dir.path().toUtf8() + "/server");
        m_started = test::RunTool(QStringLiteral("bash"), {m_script, QStringLiteral("start")});
        qputenv("PULSE_SERVER", "unix:" + m_dir.path().toUtf8() + "/server/native");
    }
    ~CPrivateServer()
    {
        Stop();
        qputenv("PULSE_SERVER", m_previous);
        qunsetenv("SONVELLE_SOUND_DIR");
    }
    bool Started() const { return m_started; }
    void Stop()
    {
        if (m_started)
            test::RunTool(QStringLiteral("bash"), {m_script, QStringLiteral("stop")});
        m_started = false;
    }

private:
    QTemporaryDir m_dir;
    QString m_script;
    QByteArray m_previous;
    bool m_started = false;
};

class SoundPlayerServerGone : public SoundPlayerSharing, public ::testing::WithParamInterface<bool> {};

TEST_P(SoundPlayerServerGone, PlaybackEndsWithALoggedFailureInsteadOfHanging)
{
    CPrivateServer server;
    ASSERT_TRUE(server.Started());
    CSoundPlayer player;
    ASSERT_TRUE(player.Play(tone, nullptr, GetParam()));
    QThread::msleep(300);
    server.Stop();

    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(test::WaitFor(
        [&] {
            const auto [length, position] = Status(player);
            return length > 0 && position >= length;
        },
        5s))
        << "the window would never see the end of play";
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_TRUE(test::ReadLog().contains(QStringLiteral("Errore durante la riproduzione")));

    // Nothing answers now: the next play fails at once and says so.
    player.Stop();
    EXPECT_FALSE(player.Play(tone, nullptr, GetParam()));
    player.Stop();
    EXPECT_TRUE(QFileInfo::exists(tone));
}

INSTANTIATE_TEST_SUITE_P(BothMethods, SoundPlayerServerGone, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("Alternative") : std::string("Classic");
                         });

}  // namespace
