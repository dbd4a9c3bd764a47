// Playing real files through the sound server with both methods (the same
// cases hold for each), what player instances share, and a server that goes
// away. Every wait is on the player's reported position, never a fixed time.

#include "audio/SoundPlayer.h"

#include "support/EventWait.h"
#include "support/PrivateSoundServer.h"
#include "support/SoundFiles.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace sonvelle;
using namespace sonvelle::test;
using namespace std::chrono_literals;

namespace {

// Made once: sox and lame take a moment each.
struct CMedia {
    QTemporaryDir dir;
    QString shortMp3 = MakeToneMp3(dir.path(), "short", 3.0);
    QString shortWav = MakeToneWav(dir.path(), "beep", 3.0);
    QString longMp3 = MakeToneMp3(dir.path(), "long", 65.9);
    QString garbage = dir.filePath("garbage.mp3");
    QString truncated = dir.filePath("truncated.mp3");
    CMedia()
    {
        QFile g(garbage);
        if (g.open(QIODevice::WriteOnly))
            g.write(QByteArray(20000, '\x5a'));  // no frame sync anywhere
        QFile whole(shortMp3), cut(truncated);
        if (whole.open(QIODevice::ReadOnly) && cut.open(QIODevice::WriteOnly))
            cut.write(whole.read(whole.size() / 2 + 37));  // cut inside a frame
    }
};

CMedia& Media()
{
    static CMedia* media = new CMedia;
    return *media;
}

class SoundPlayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SoundServerAnswers()) << "no sound server answers: start one with scripts/sound-server start";
        ASSERT_FALSE(Media().longMp3.isEmpty() || Media().shortWav.isEmpty()) << "sox or lame made no media";
    }
    static std::uint32_t Position(CSoundPlayer& p) { return Status(p).second; }
    static std::uint32_t Length(CSoundPlayer& p) { return Status(p).first; }
    static std::pair<std::uint32_t, std::uint32_t> Status(CSoundPlayer& p)
    {
        std::pair<std::uint32_t, std::uint32_t> s;
        p.GetStatus(s.first, s.second);
        return s;
    }
    static bool WaitForEnd(CSoundPlayer& p, std::chrono::milliseconds timeout)
    {
        return WaitUntil([&] { return Length(p) > 0 && Position(p) >= Length(p); }, timeout);
    }
    // The position stays put longer than the server's longest block: the playback is held.
    static bool WaitForStandstill(CSoundPlayer& p)
    {
        std::uint32_t last = Position(p);
        auto since = std::chrono::steady_clock::now();
        return WaitUntil(
            [&] {
                if (Position(p) != last) {
                    last = Position(p);
                    since = std::chrono::steady_clock::now();
                }
                return std::chrono::steady_clock::now() - since > 2500ms;
            },
            8s);
    }

    CTestFolders folders;
    CSoundPlayer player;
};

class SoundPlayerPlayback : public SoundPlayerTest, public ::testing::WithParamInterface<bool> {
protected:
    void TearDown() override { player.Stop(); }
    bool Alternative() const { return GetParam(); }
};

TEST_P(SoundPlayerPlayback, EachKindOfFilePlaysToItsEndAndPauseSeekAndWindStepsMoveWhereTheySay)
{
    ASSERT_TRUE(player.Play(Media().shortMp3, nullptr, Alternative()));
    EXPECT_TRUE(WaitUntil([] { return PlaybackStreams() >= 1; }, 3s));
    CSoundPlayer measurer;
    std::chrono::seconds duration{-1};
    ASSERT_TRUE(measurer.CalcolaDurata(Media().longMp3, Alternative(), duration));
    EXPECT_EQ(duration, 65s);  // 1:05, not rounded up to 1:06
    EXPECT_NEAR(Length(player), 3000.0, 120.0) << "a wrong length, or measuring another file changed it";
    // The test server's null sink may hold a new stream for up to its 2-s block.
    ASSERT_TRUE(WaitUntil([&] { return Position(player) >= 100; }, 4s)) << "the position never advances";
    std::uint32_t previous = Position(player);
    bool monotonic = true;
    bool sawTheMiddle = false;
    EXPECT_TRUE(WaitUntil(
        [&] {
            const std::uint32_t now = Position(player);
            monotonic = monotonic && now >= previous;
            sawTheMiddle = sawTheMiddle || (now >= 800 && now < Length(player));
            previous = now;
            return now >= Length(player);
        },
        6s))
        << "the end of play is never seen";
    EXPECT_TRUE(monotonic) << "the position went backwards";
    EXPECT_TRUE(sawTheMiddle) << "the position jumped to the end";
    player.Stop();
    EXPECT_EQ(Status(player), std::make_pair(0u, 0u));
    EXPECT_TRUE(WaitUntil([] { return PlaybackStreams() == 0; }, 3s)) << "the stream outlived the stop";

    // The warning sound, and a recording cut inside a frame.
    for (const auto& [file, measured] : {std::pair{Media().shortWav, 3s}, std::pair{Media().truncated, 1s}}) {
        EXPECT_TRUE(player.CalcolaDurata(file, Alternative(), duration));
        EXPECT_EQ(duration, measured) << file.toStdString();
        ASSERT_TRUE(player.Play(file, nullptr, Alternative())) << file.toStdString();
        EXPECT_TRUE(WaitForEnd(player, 6s)) << file.toStdString();
        player.Stop();
    }

    ASSERT_TRUE(player.Play(Media().longMp3, nullptr, Alternative()));
    // 65.9 s: a fortieth is below the minimum step.
    EXPECT_EQ(player.FastForward(10000, false), 13000u);
    ASSERT_TRUE(WaitUntil([&] { return Position(player) > 0; }, 4s));
    ASSERT_TRUE(player.Pause());
    EXPECT_TRUE(WaitForStandstill(player)) << "still playing while paused";
    EXPECT_LT(Position(player), 10000u) << "a step without apply moved the playback";

    ASSERT_TRUE(player.Seek(40000));
    ASSERT_TRUE(WaitUntil([&] { return Position(player) >= 40000; }, 4s));
    EXPECT_LT(Position(player), 43000u) << "the seek landed elsewhere";
    const std::uint32_t resumed = Position(player);
    EXPECT_TRUE(WaitUntil([&] { return Position(player) > resumed; }, 4s)) << "a seek from pause did not resume";

    EXPECT_EQ(player.FastForward(20000, true), 23000u);
    EXPECT_TRUE(WaitUntil([&] { return Position(player) >= 23000 && Position(player) < 26000; }, 4s));
    EXPECT_EQ(player.FastForward(65000, true), Length(player)) << "forward near the end lands on the length";
    EXPECT_TRUE(WaitForEnd(player, 4s));

    player.Stop();
    EXPECT_EQ(player.FastForward(1000, true), 0u);
    EXPECT_EQ(player.Rewind(9000, true), 0u);
    EXPECT_FALSE(player.Seek(1000));
    EXPECT_FALSE(player.Pause());
}

TEST_P(SoundPlayerPlayback, BadFilesFailUntouchedAndAFileRemovedWhilePlayingNeitherHangsNorCrashes)
{
    const QString missing = Media().dir.filePath("gone.mp3");
    for (const QString& bad : {missing, Media().garbage}) {
        std::chrono::seconds duration{7};
        EXPECT_FALSE(player.CalcolaDurata(bad, Alternative(), duration));
        EXPECT_EQ(duration, 0s);
        EXPECT_FALSE(player.Play(bad, nullptr, Alternative()));
        player.Stop();
    }
    QFile garbageFile(Media().garbage);
    ASSERT_TRUE(garbageFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(garbageFile.readAll(), QByteArray(20000, '\x5a'));
    EXPECT_FALSE(QFileInfo::exists(missing));

    QTemporaryDir dir;
    const QString copy = dir.filePath("copy.mp3");
    ASSERT_TRUE(QFile::copy(Media().shortMp3, copy));
    ASSERT_TRUE(player.Play(copy, nullptr, Alternative()));
    ASSERT_TRUE(QFile::remove(copy));
    // The open file plays to its end; a new play of it fails cleanly.
    EXPECT_TRUE(WaitForEnd(player, 6s));
    player.Stop();
    EXPECT_FALSE(player.Play(copy, nullptr, Alternative()));
    EXPECT_EQ(Position(player), 0u);
}

TEST_P(SoundPlayerPlayback, AServerThatGoesAwayEndsPlayback)
{
    CPrivateSoundServer server;
    ASSERT_TRUE(server.Start());
    CSoundPlayer onIt;
    ASSERT_TRUE(onIt.Play(Media().shortMp3, nullptr, Alternative()));
    ASSERT_TRUE(WaitUntil([&] { return Position(onIt) > 0; }, 4s));
    server.Stop();
    EXPECT_TRUE(WaitForEnd(onIt, 5s)) << "the window would never see the end of play";
    // Nothing answers now: the next play fails at once.
    onIt.Stop();
    EXPECT_FALSE(onIt.Play(Media().shortMp3, nullptr, Alternative()));
}

INSTANTIATE_TEST_SUITE_P(BothMethods, SoundPlayerPlayback, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("Alternative") : std::string("Classic");
                         });

TEST_F(SoundPlayerTest, OneClassicPlaybackAtATimeAndOnlyItsPlayerEndsIt)
{
    CSoundPlayer warning;
    ASSERT_TRUE(player.Play(Media().shortMp3, nullptr, false));
    EXPECT_FALSE(warning.Play(Media().shortMp3, nullptr, false)) << "a second classic playback was opened";
    // The alternative method has no such limit; neither its stop nor that of a player
    // that never played ends the classic playback, which no other player reads or pauses.
    ASSERT_TRUE(warning.Play(Media().shortMp3, nullptr, true));
    warning.Stop();
    CSoundPlayer neverPlayed;
    neverPlayed.Stop();
    EXPECT_GT(Length(player), 0u) << "another player's stop or refused play ended the classic playback";
    EXPECT_EQ(Length(neverPlayed), 0u) << "a player read a playback it did not start";
    EXPECT_FALSE(neverPlayed.Pause());
    player.Stop();
    {
        // A player that goes away releases what it started.
        CSoundPlayer shortLived;
        ASSERT_TRUE(shortLived.Play(Media().shortMp3, nullptr, false)) << "the classic playback was held after a stop";
    }
    ASSERT_TRUE(warning.Play(Media().shortMp3, nullptr, false)) << "a destroyed player kept the classic playback";
}

}  // namespace
