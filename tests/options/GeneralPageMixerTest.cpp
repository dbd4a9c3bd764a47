// The General page on the private sound server, as pactl reports it: opening
// selects the microphone and sets its volume, the slider acts at once whatever
// button ends the sheet, the mute switch is shown and driven, and a server
// without a microphone is told while the page goes on.

#include "audio/Mixer.h"

#include "SheetFixture.h"
#include "support/Pactl.h"
#include "support/SoundFiles.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSlider>

using namespace sonvelle;
using namespace sonvelle::test;

namespace {

int MicrophoneVolume()
{
    return static_cast<int>(PactlVolume("source", "microphone"));
}

class GeneralPageOnServer : public SheetFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SoundServerAnswers()) << "no sound server: run scripts/sound-server start";
        SheetFixture::SetUp();
        Pactl({"set-default-source", "micfeed.monitor"});
        Pactl({"set-source-mute", "microphone", "1"});
    }
    void TearDown() override
    {
        SheetFixture::TearDown();
        Pactl({"set-default-source", "microphone"});
        Pactl({"set-source-mute", "microphone", "0"});
    }
    void MoveVolume(int value)
    {
        G<QSlider>(IDC_OPT_VOLUME)->setValue(value);
        emit G<QSlider>(IDC_OPT_VOLUME)->sliderReleased();
    }
};

TEST_F(GeneralPageOnServer, OpeningSelectsTheMicrophoneAndTheSliderActsAtOnceWhateverTheButton)
{
    Store(ESetting::VolumeRegistrazione, "30000");
    Open();
    EXPECT_EQ(Shown(), QStringList{});
    EXPECT_EQ(Pactl({"get-default-source"}), "microphone");
    EXPECT_EQ(MicrophoneVolume(), 30000);
    EXPECT_EQ(G<QSlider>(IDC_OPT_VOLUME)->value(), 30000);
    MoveVolume(20000);
    EXPECT_EQ(MicrophoneVolume(), 20000);
    sheet->PressCancel();
    EXPECT_EQ(MicrophoneVolume(), 20000);
    EXPECT_EQ(Stored(ESetting::VolumeRegistrazione), "30000");

    Open();
    MoveVolume(45000);
    ASSERT_TRUE(sheet->PressOK());
    EXPECT_EQ(Stored(ESetting::VolumeRegistrazione), "45000");
}

TEST_F(GeneralPageOnServer, TheMuteSwitchIsShownByNameAndItsBoxDrivesTheServer)
{
    Store(ESetting::NoMicSelect, "1");  // the microphone stays as the server has it: muted
    Open();
    switches = general->Mixer().MicrophoneSwitches();  // the list the window keeps
    Open();
    EXPECT_EQ(Pactl({"get-default-source"}), "micfeed.monitor") << "selected although NoMicSelect is on";
    auto* box = G<QCheckBox>(IDC_OPT_SWITCH1);
    ASSERT_FALSE(box->isHidden());
    EXPECT_EQ(box->text(), "Mute");
    EXPECT_TRUE(box->isChecked() && box->isEnabled());
    EXPECT_TRUE(general->Control(IDC_OPT_SWITCH2)->isHidden());
    box->click();
    ASSERT_TRUE(sheet->PressOK());
    EXPECT_EQ(Pactl({"get-source-mute", "microphone"}), "Mute: no");
}

TEST_F(GeneralPageOnServer, AServerWithoutMicrophoneIsToldAndThePageStillWorks)
{
    const QString module = Pactl({"list", "short", "modules"}).split('\n').filter("module-remap-source").value(0).section('\t', 0, 0);
    ASSERT_TRUE(!module.isEmpty() && RunTool("pactl", {"unload-module", module}));
    Open();
    RunTool("pactl", {"load-module", "module-remap-source", "source_name=microphone", "master=micfeed.monitor",
                      "source_properties=device.description=Microphone"});
    ASSERT_EQ(Shown(), QStringList{LoadText(IDS_VOLUME_CONTROL_ERROR) + "ErroreAudioMicrofonoIn"});
    EXPECT_EQ(prompt.ShownSoFar()[0].icon, PromptIcon::Stop);
    G<QLineEdit>(IDC_OPT_SILENCE)->setText("33");
    MoveVolume(1000);
    EXPECT_TRUE(sheet->PressOK());
    EXPECT_EQ(Stored(ESetting::TempoAttesaRegAuto), "33");
    EXPECT_EQ(Stored(ESetting::VolumeRegistrazione), "32767") << "a volume no mixer holds was stored";
}

}  // namespace
