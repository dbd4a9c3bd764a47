// Playing real files through the sound server with both methods: the same
// cases must hold for each.

#include "audio/SoundPlayer.h"
#include "platform/ProgramFolder.h"

#include "AudioTestSupport.h"
#include "SoundPlayerTestMedia.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <cstdlib>

using namespace sonvelle;
using namespace std::chrono_literals;

namespace {

// Made once: sox and lame take a moment each.
struct CMedia {
    QTemporaryDir dir;
    QString shortMp3;  // 3 s
    QString shortWav;  // 3 s
    QString longMp3;   // 65.9 s
    QString garbage;
    QString truncated;
};

CMedia& Media()
{
    static CMedia* media = [] {
        auto* m = new CMedia;
        m->shortMp3 = test::MakeToneMp3(m->dir, QStringLiteral("short"), 3.0);
        m->shortWav = test::MakeToneWav(m->dir, QStringLiteral("beep"), 3.0);
        m->longMp3 = test::MakeToneMp3(m->dir, QStringLiteral("long"), 65.9);
        m->garbage = m->dir.filePath(QStringLiteral("garbage.mp3"));
        QByteArray noise(20000, '\0');
        for (int i = 0; i < noise.size(); ++i)
            noise[i] = static_cast<char>((i * 7919) % 251 == 0xFF ? 0 : (i * 7919) % 251);
        test::WriteBytes(m->garbage, noise);
        m->truncated = m->dir.filePath(QStringLiteral("truncated.mp3"));
        QFile whole(m->shortMp3);
        if (whole.open(QIODevice::ReadOnly))
            test::WriteBytes(m->truncated, whole.read(whole.size() / 2 + 37));  // cut inside a frame
        return m;
    }();
    return *media;
}

class SoundPlayerPlayback : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        test::EnsureCoreApplication();
        ASSERT_TRUE(test::SoundServerAnswers())
            << "no sound server answers: start one with eval \"$(scripts/sound-server start)\"";
        ASSERT_TRUE(logDir.isValid());
        SetProgramFolderForTesting(logDir.path());
        ASSERT_FALSE(Media().shortMp3.isEmpty()) << "sox or lame could not make the test media";
        ASSERT_FALSE(Media().longMp3.isEmpty());
    }
    void TearDown() override
    {
        player.Stop();
        SetProgramFolderForTesting(QString());
    }

    bool Alternative() const { return GetParam(); }

    std::uint32_t Position()
    {
        std::uint32_t length = 0;
        std::uint32_t position = 0;
        player.GetStatus(length, position);
        return position;
    }
    std::uint32_t Length()
    {
        std::uint32_t length = 0;
        std::uint32_t position = 0;
        player.GetStatus(length, position);
        return length;
    }
    bool WaitForEnd(std::chrono::milliseconds timeout)
    {
        return test::WaitFor(
            [&] {
                std::uint32_t length = 0;
                std::uint32_t position = 0;
                player.GetStatus(length, position);
                return length > 0 && position >= length;
            },
            timeout);
    }

    QTemporaryDir logDir;
    CSoundPlayer player;
};

TEST_P(SoundPlayerPlayback, PlaysToTheEndThroughAServerStream)
{
    ASSERT_TRUE(player.Play(Media().shortMp3, nullptr, Alternative()));
    EXPECT_TRUE(test::WaitFor([] { return test::SonvellePlaybackStreams() >= 1; }, 3s));
    EXPECT_NEAR(static_cast<double>(Length()), 3000.0, 120.0);

    // The test server's null sink may hold a new stream for up to its 2-s block,
    // so the advance is judged over a few seconds, not a fixed slice.
    ASSERT_TRUE(test::WaitFor([&] { return Position() >= 100; }, 4s)) << "the position never advances";
    const std::uint32_t early = Position();
    std::uint32_t previous = early;
    bool monotonic = true;
    EXPECT_TRUE(test::WaitFor(
        [&] {
            const std::uint32_t now = Position();
            monotonic = monotonic && now >= previous;
            previous = now;
            return now >= early + 800 && now < Length();
        },
        4s))
        << "the position does not advance: " << early << " then " << previous;
    EXPECT_TRUE(monotonic) << "the position went backwards";
    EXPECT_TRUE(WaitForEnd(6s)) << "the end of play is never seen";
    player.Stop();
    std::uint32_t length = 1;
    std::uint32_t position = 1;
    player.GetStatus(length, position);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(position, 0u);
    EXPECT_TRUE(test::WaitFor([] { return test::SonvellePlaybackStreams() == 0; }, 3s));
}

TEST_P(SoundPlayerPlayback, PlaysTheWavWarningSound)
{
    ASSERT_TRUE(player.Play(Media().shortWav, nullptr, Alternative()));
    EXPECT_NEAR(static_cast<double>(Length()), 3000.0, 50.0);
    EXPECT_TRUE(WaitForEnd(6s));
}

TEST_P(SoundPlayerPlayback, PauseHoldsThePositionAndSeekResumes)
{
    ASSERT_TRUE(player.Play(Media().longMp3, nullptr, Alternative()));
    QThread::msleep(300);
    ASSERT_TRUE(player.Pause());
    QThread::msleep(150);  // let the last reports settle
    const std::uint32_t paused = Position();
    QThread::msleep(500);
    EXPECT_NEAR(static_cast<double>(Position()), static_cast<double>(paused), 60.0) << "still playing while paused";

    ASSERT_TRUE(player.Seek(40000));
    QThread::msleep(400);
    const std::uint32_t resumed = Position();
    EXPECT_GE(resumed, 40000u);
    EXPECT_LT(resumed, 41500u);
}

TEST_P(SoundPlayerPlayback, WindStepsJumpWhilePlayingAndOnlyComputeOtherwise)
{
    ASSERT_TRUE(player.Play(Media().longMp3, nullptr, Alternative()));
    // 65.9 s: a fortieth is below the minimum step.
    EXPECT_EQ(player.FastForward(10000, false), 13000u);
    EXPECT_EQ(player.Rewind(2000, false), 1u);
    EXPECT_NEAR(static_cast<double>(Position()), 0.0, 1000.0) << "a step without apply moved the playback";

    const std::uint32_t target = player.FastForward(20000, true);
    EXPECT_EQ(target, 23000u);
    QThread::msleep(300);
    EXPECT_GE(Position(), 23000u);
    EXPECT_LT(Position(), 24500u);

    EXPECT_EQ(player.FastForward(65000, true), Length()) << "forward near the end lands on the length";
    EXPECT_TRUE(WaitForEnd(4s));
}

TEST_P(SoundPlayerPlayback, WindWithApplyOnAStoppedPlayerReportsZero)
{
    ASSERT_TRUE(player.Play(Media().shortMp3, nullptr, Alternative()));
    player.Stop();
    EXPECT_EQ(player.FastForward(1000, true), 0u);
    EXPECT_EQ(player.Rewind(9000, true), 0u);
    EXPECT_FALSE(player.Seek(1000));
    EXPECT_FALSE(player.Pause());
}

TEST_P(SoundPlayerPlayback, MeasuresWholeSecondsWithoutDisturbingPlayback)
{
    ASSERT_TRUE(player.Play(Media().shortMp3, nullptr, Alternative()));
    CSoundPlayer measurer;
    std::chrono::seconds duration{-1};
    ASSERT_TRUE(measurer.CalcolaDurata(Media().longMp3, Alternative(), duration));
    EXPECT_EQ(duration, 65s);  // 1:05, not rounded up to 1:06
    ASSERT_TRUE(measurer.CalcolaDurata(Media().shortWav, Alternative(), duration));
    EXPECT_EQ(duration, 3s);

    std::uint32_t length = 0;
    std::uint32_t position = 0;
    player.GetStatus(length, position);
    EXPECT_NEAR(static_cast<double>(length), 3000.0, 120.0) << "measuring another file changed the playback";
    EXPECT_LT(position, length);
}

TEST_P(SoundPlayerPlayback, BadFilesAreLoggedFailuresAndStayUntouched)
{
    const QString missing = Media().dir.filePath(QStringLiteral("gone.mp3"));
    QFile garbageFile(Media().garbage);
    ASSERT_TRUE(garbageFile.open(QIODevice::ReadOnly));
    const QByteArray garbageBefore = garbageFile.readAll();
    garbageFile.close();

    std::chrono::seconds duration{7};
    EXPECT_FALSE(player.CalcolaDurata(missing, Alternative(), duration));
    EXPECT_EQ(duration, 0s);
    duration = 7s;
    EXPECT_FALSE(player.CalcolaDurata(Media().garbage, Alternative(), duration));
    EXPECT_EQ(duration, 0s);

    EXPECT_FALSE(player.Play(missing, nullptr, Alternative()));
    player.Stop();
    EXPECT_FALSE(player.Play(Media().garbage, nullptr, Alternative()));
    player.Stop();

    const QString log = test::ReadLog();
    if (Alternative()) {
        EXPECT_TRUE(log.contains(QStringLiteral("Errore mpGraph->RenderFile: "))) << log.toStdString();
        EXPECT_TRUE(log.contains(QStringLiteral("Errore CalcolaDurata - pGraph->RenderFile: ")));
    } else {
        EXPECT_TRUE(log.contains(QStringLiteral("Errore Send string Open"))) << log.toStdString();
        EXPECT_TRUE(log.contains(QStringLiteral("Errore CalcolaDurata")));
    }
    ASSERT_TRUE(garbageFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(garbageFile.readAll(), garbageBefore);
    EXPECT_FALSE(QFileInfo::exists(missing));
}

TEST_P(SoundPlayerPlayback, ATruncatedRecordingPlaysWhatItHolds)
{
    std::chrono::seconds duration{0};
    EXPECT_TRUE(player.CalcolaDurata(Media().truncated, Alternative(), duration));
    EXPECT_EQ(duration, 1s);
    ASSERT_TRUE(player.Play(Media().truncated, nullptr, Alternative()));
    EXPECT_TRUE(WaitForEnd(5s));
}

TEST_P(SoundPlayerPlayback, AFileRemovedWhilePlayingNeitherHangsNorCrashes)
{
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("copy.mp3"));
    ASSERT_TRUE(QFile::copy(Media().shortMp3, copy));
    ASSERT_TRUE(player.Play(copy, nullptr, Alternative()));
    ASSERT_TRUE(QFile::remove(copy));
    // The open file keeps playing to its end; a new play of it fails cleanly.
    EXPECT_TRUE(WaitForEnd(6s));
    player.Stop();
    EXPECT_FALSE(player.Play(copy, nullptr, Alternative()));
    EXPECT_EQ(Position(), 0u);
}

INSTANTIATE_TEST_SUITE_P(BothMethods, SoundPlayerPlayback, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("Alternative") : std::string("Classic");
                         });

}  // namespace
