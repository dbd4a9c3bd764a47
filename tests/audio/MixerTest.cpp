// The mixer on the private sound server (speakers sink, microphone source),
// each effect checked with pactl rather than with the mixer itself.

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

TEST_F(Mixer, EachLineDrivesItsOwnDeviceOnTheServer)
{
    struct Case {
        bool underRecording;
        std::uint32_t type;
        const char* kind;
        const char* device;
    };
    const Case cases[] = {
        {false, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, "sink", "speakers"},
        {false, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, "source", "microphone"},
        {true, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, "source", "microphone"},
    };
    CMixer other;
    ASSERT_TRUE(other.OpenLine(&m_window, false, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.device);
        CMixer mixer;
        ASSERT_TRUE(mixer.OpenLine(&m_window, c.underRecording, c.type));
        EXPECT_NE(mixer.GetMixerHandle(), other.GetMixerHandle());
        // PipeWire acknowledges a change before its device carries it.
        ASSERT_TRUE(mixer.SetVolume(21000));
        EXPECT_TRUE(test::WaitUntil([&] { return PactlVolume(c.kind, c.device) == 21000; }));
        Pactl({QStringLiteral("set-%1-volume").arg(c.kind), c.device, "12345"});
        std::uint32_t read = 0;
        EXPECT_TRUE(test::WaitUntil([&] { return mixer.GetCurrentVolume(read) && read == 12345u; }));
        EXPECT_TRUE(mixer.CloseMixer());
        EXPECT_FALSE(mixer.SetVolume(21000));
    }
    // Anything but the speakers and the microphone is a line the server lacks.
    CMixer line;
    EXPECT_FALSE(line.OpenLine(&m_window, false, MIXERLINE_COMPONENTTYPE_DST_WAVEIN));
}

TEST_F(Mixer, TheMicrophoneMuteIsASwitchAndSelectingTheMicrophoneUnmutesIt)
{
    CMixer microphone;
    ASSERT_TRUE(microphone.OpenLine(&m_window, true, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE));
    // The dump finds the switches; a second one must not list them twice.
    microphone.DumpMixer(false);
    microphone.DumpMixer(true);
    ASSERT_EQ(microphone.MicrophoneSwitches().size(), 1u);
    const std::uint32_t mute = microphone.MicrophoneSwitches().front();
    EXPECT_TRUE(microphone.SetBooleanControl(mute, 1));
    EXPECT_TRUE(Pactl({"get-source-mute", "microphone"}).contains("yes"));
    EXPECT_TRUE(microphone.GetBooleanValue(mute));
    microphone.SwitchOffMicSwitches();
    EXPECT_TRUE(Pactl({"get-source-mute", "microphone"}).contains("no"));
    // A volume control is no switch, and an id of nothing has no name.
    EXPECT_FALSE(microphone.SetBooleanControl(static_cast<std::uint32_t>(microphone.GetVolumeControlId()), 1));
    EXPECT_EQ(microphone.GetControlName(0xFFFF0), QString());

    // Someone else made the speakers' monitor the default source and muted the microphone.
    Pactl({"set-default-source", "speakers.monitor"});
    Pactl({"set-source-mute", "microphone", "1"});
    EXPECT_TRUE(microphone.AbilitaDisabilitaSulMixer(true));
    EXPECT_EQ(Pactl({"get-default-source"}), "microphone");
    EXPECT_TRUE(Pactl({"get-source-mute", "microphone"}).contains("no"));
}

TEST_F(Mixer, WithoutAMicrophoneSourceTheMicrophoneLinesAreNotFound)
{
    const QString module = Pactl({"load-module", "module-null-sink", "sink_name=spare"});
    QString remapIndex;
    for (const QString& line : Pactl({"list", "short", "modules"}).split('\n'))
        if (line.contains("module-remap-source"))
            remapIndex = line.section('\t', 0, 0);
    ASSERT_FALSE(remapIndex.isEmpty());
    Pactl({"unload-module", remapIndex});

    CMixer recording;
    CMixer output;
    const bool recordingOpened = recording.OpenLine(&m_window, true, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE);
    const bool outputOpened = output.OpenLine(&m_window, false, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE);
    recording.DumpMixer(true);  // of a line that did not open
    const bool noSwitches = recording.MicrophoneSwitches().empty();

    Pactl({"load-module", "module-remap-source", "source_name=microphone", "master=micfeed.monitor",
           "source_properties=device.description=Microphone"});
    Pactl({"unload-module", module});
    EXPECT_FALSE(recordingOpened);
    EXPECT_FALSE(outputOpened);
    EXPECT_TRUE(noSwitches);
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
