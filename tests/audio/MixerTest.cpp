// The mixer on the private sound server, each effect checked with pactl: what the
// main window's and the options sheet's tests of the same server do not reach.

#include "audio/Mixer.h"

#include "support/EventWait.h"
#include "support/Pactl.h"
#include "support/PostedMessages.h"
#include "support/PrivateSoundServer.h"
#include "support/SoundFiles.h"
#include "support/TestFolders.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <csignal>

namespace sonvelle {
namespace {

using test::Pactl;
using test::PactlVolume;

class Mixer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(test::SoundServerAnswers()) << "no sound server; start one with scripts/sound-server start";
        Pactl({"set-default-source", "microphone"});
        Pactl({"set-source-mute", "microphone", "0"});
    }
    void TearDown() override
    {
        Pactl({"set-default-source", "microphone"});
        Pactl({"set-source-mute", "microphone", "0"});
    }

    test::CServerVolumesKept m_volumes;
    test::CTestFolders m_folders;
    test::CMainWindowStub m_window;
};

TEST_F(Mixer, SelectingTheMicrophoneOrSwitchingItsSwitchesOffUnmutesIt)
{
    CMixer microphone;
    ASSERT_TRUE(microphone.OpenLine(&m_window, true, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE));
    // The dump finds the switches; a second one must not list them twice.
    microphone.DumpMixer(false);
    microphone.DumpMixer(true);
    ASSERT_EQ(microphone.MicrophoneSwitches().size(), 1u);
    Pactl({"set-source-mute", "microphone", "1"});
    microphone.SwitchOffMicSwitches();
    EXPECT_TRUE(Pactl({"get-source-mute", "microphone"}).contains("no"));
    Pactl({"set-source-mute", "microphone", "1"});
    EXPECT_TRUE(microphone.AbilitaDisabilitaSulMixer(true));
    EXPECT_TRUE(Pactl({"get-source-mute", "microphone"}).contains("no"));
    // A volume control is no switch, and an id of nothing has no name.
    EXPECT_FALSE(microphone.SetBooleanControl(static_cast<std::uint32_t>(microphone.GetVolumeControlId()), 1));
    EXPECT_EQ(microphone.GetControlName(0xFFFF0), QString());
    // A closed line changes nothing, and a line the server lacks does not open.
    EXPECT_TRUE(microphone.CloseMixer());
    EXPECT_FALSE(microphone.SetVolume(1000));
    EXPECT_FALSE(CMixer().OpenLine(&m_window, false, MIXERLINE_COMPONENTTYPE_DST_WAVEIN));
}

// A server that stops answering, or ends, costs a call at most the mixer's
// bound, and the calls fail.
TEST_F(Mixer, AServerThatHangsOrGoesAwayFailsEveryCallWithinTheBound)
{
    enum class Fault { Hung, Gone };
    for (Fault fault : {Fault::Hung, Fault::Gone}) {
        SCOPED_TRACE(fault == Fault::Hung ? "hung" : "gone");
        // A PulseAudio server of the test's own, whose process can be stopped or ended.
        const QByteArray kind = qgetenv("SONVELLE_SOUND_SERVER_KIND");
        qunsetenv("SONVELLE_SOUND_SERVER_KIND");
        test::CPrivateSoundServer server;
        qputenv("SONVELLE_SOUND_SERVER_KIND", kind);
        ASSERT_TRUE(server.Start());
        const pid_t pid = static_cast<pid_t>(server.Pid());
        ASSERT_GT(pid, 0);
        CMixer speakers;
        ASSERT_TRUE(speakers.OpenLine(&m_window, false, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS));
        ::kill(pid, fault == Fault::Hung ? SIGSTOP : SIGKILL);
        QElapsedTimer timer;
        timer.start();
        std::uint32_t volume = 0;
        EXPECT_FALSE(speakers.GetCurrentVolume(volume));
        EXPECT_FALSE(speakers.SetVolume(1000));
        CMixer late;
        EXPECT_FALSE(late.OpenLine(&m_window, false, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS));
        EXPECT_LT(timer.elapsed(), 4500) << "three calls, each bounded by about a second";
        ::kill(pid, SIGCONT);
    }
}

}  // namespace
}  // namespace sonvelle
