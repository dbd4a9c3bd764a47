// The General page on the private sound server: what opening it, moving the
// recording-volume slider, the switch boxes, OK and Cancel do to the server,
// as pactl reports it, and a server without a microphone.

#include "app/SettingsStore.h"
#include "audio/Mixer.h"
#include "options/CDlgImpostazioniAvanzate.h"
#include "options/CDlgSetImpostazioni.h"
#include "options/COpzionePropertySheet.h"
#include "options/OptionsPageIds.h"
#include "options/OptionsRegistry.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"

#include "support/SoundFiles.h"
#include "support/TestFolders.h"

#include <QCheckBox>
#include <QRegularExpression>
#include <QSlider>

#include <gtest/gtest.h>

using namespace sonvelle;
using namespace sonvelle::test;

namespace {

QString Pactl(const QStringList& arguments)
{
    return ToolOutput(QStringLiteral("pactl"), arguments).trimmed();
}

// The raw volume of the source's first channel.
int SourceVolume(const QString& source)
{
    const auto match = QRegularExpression(QStringLiteral(":\\s*(\\d+)\\s*/")).match(Pactl({"get-source-volume", source}));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

class GeneralPageOnServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SoundServerAnswers()) << "no sound server: run scripts/sound-server start";
        SetPrompt(&prompt);
        CAppSettings settings;
        CSettingsStore(settings).LoadAtStartup(folders.ProgramDir());
        Pactl({"set-default-source", "micfeed.monitor"});
        Pactl({"set-source-mute", "microphone", "1"});
    }
    void TearDown() override
    {
        sheet.reset();
        general.reset();
        advanced.reset();
        SetPrompt(nullptr);
        Pactl({"set-default-source", "microphone"});
        Pactl({"set-source-mute", "microphone", "0"});
        Pactl({"set-source-volume", "microphone", "65536"});
    }
    void Open()
    {
        sheet.reset();
        general = std::make_unique<CDlgSetImpostazioni>();
        general->SetMixerSwitches(&switches);
        advanced = std::make_unique<CDlgImpostazioniAvanzate>();
        sheet = std::make_unique<COpzionePropertySheet>(*general, *advanced);
        sheet->Begin();
    }
    void MoveVolume(int value)
    {
        auto* slider = qobject_cast<QSlider*>(general->Control(IDC_OPT_VOLUME));
        slider->setValue(value);
        emit slider->sliderReleased();
    }
    static std::optional<QString> Stored(ESetting setting)
    {
        COptionsKey key;
        return key.Open() ? key.Read(setting) : std::nullopt;
    }
    static void Store(ESetting setting, const QString& text)
    {
        COptionsKey key;
        ASSERT_TRUE(key.Open());
        key.Write(setting, text);
    }

    CTestFolders folders;
    CScriptedPrompt prompt;
    std::vector<std::uint32_t> switches;
    std::unique_ptr<CDlgSetImpostazioni> general;
    std::unique_ptr<CDlgImpostazioniAvanzate> advanced;
    std::unique_ptr<COpzionePropertySheet> sheet;
};

TEST_F(GeneralPageOnServer, OpeningSelectsTheMicrophoneAndTheSliderActsAtOnceWhateverTheButton)
{
    Store(ESetting::VolumeRegistrazione, "30000");
    Open();
    EXPECT_TRUE(prompt.ShownSoFar().empty()) << prompt.ShownSoFar().front().text.toStdString();
    EXPECT_EQ(Pactl({"get-default-source"}), "microphone");
    EXPECT_EQ(SourceVolume("microphone"), 30000);
    auto* slider = qobject_cast<QSlider*>(general->Control(IDC_OPT_VOLUME));
    EXPECT_EQ(slider->value(), 30000);
    EXPECT_GT(slider->maximum(), 30000);

    // Cancel: the server keeps the volume, the settings do not.
    MoveVolume(20000);
    EXPECT_EQ(SourceVolume("microphone"), 20000);
    sheet->PressCancel();
    EXPECT_EQ(SourceVolume("microphone"), 20000);
    EXPECT_EQ(Stored(ESetting::VolumeRegistrazione), "30000");

    // OK: what the mixer holds is stored.
    Open();
    EXPECT_EQ(SourceVolume("microphone"), 30000);
    MoveVolume(45000);
    ASSERT_TRUE(sheet->PressOK());
    EXPECT_EQ(Stored(ESetting::VolumeRegistrazione), "45000");
    EXPECT_EQ(SourceVolume("microphone"), 45000);
}

TEST_F(GeneralPageOnServer, TheMuteSwitchIsShownByNameAndItsBoxDrivesTheServer)
{
    Store(ESetting::NoMicSelect, "1");  // the microphone stays as the server has it: muted
    // First the page's own look at the mixer, then the list the window keeps.
    for (int round = 0; round < 2; ++round) {
        Pactl({"set-source-mute", "microphone", "1"});
        Open();
        auto* box = qobject_cast<QCheckBox*>(general->Control(IDC_OPT_SWITCH1));
        ASSERT_FALSE(box->isHidden());
        EXPECT_TRUE(box->isEnabled());
        EXPECT_EQ(box->text(), "Mute");
        EXPECT_TRUE(box->isChecked());
        EXPECT_TRUE(general->Control(IDC_OPT_SWITCH2)->isHidden());
        EXPECT_EQ(Pactl({"get-default-source"}), "micfeed.monitor") << "selected although NoMicSelect is on";
        box->click();
        ASSERT_TRUE(sheet->PressOK());
        EXPECT_EQ(Pactl({"get-source-mute", "microphone"}), "Mute: no");
        switches = general->Mixer().MicrophoneSwitches();
        ASSERT_FALSE(switches.empty());
    }
}

TEST_F(GeneralPageOnServer, AServerWithoutMicrophoneIsToldAndThePageStillWorks)
{
    const QString module = Pactl({"list", "short", "modules"}).split('\n').filter("module-remap-source").value(0).section('\t', 0, 0);
    ASSERT_FALSE(module.isEmpty());
    ASSERT_TRUE(RunTool("pactl", {"unload-module", module}));
    Open();
    RunTool("pactl", {"load-module", "module-remap-source", "source_name=microphone", "master=micfeed.monitor",
                      "source_properties=device.description=Microphone"});
    ASSERT_EQ(prompt.ShownSoFar().size(), 1u);
    EXPECT_EQ(prompt.ShownSoFar()[0].text, LoadText(IDS_VOLUME_CONTROL_ERROR) + "ErroreAudioMicrofonoIn");
    EXPECT_EQ(prompt.ShownSoFar()[0].icon, PromptIcon::Stop);
    EXPECT_TRUE(general->Control(IDC_OPT_SWITCH1)->isHidden());
    general->Control(IDC_OPT_SILENCE)->setProperty("text", "33");
    MoveVolume(1000);
    EXPECT_TRUE(sheet->PressOK());
    EXPECT_EQ(Stored(ESetting::TempoAttesaRegAuto), "33");
    EXPECT_EQ(Stored(ESetting::VolumeRegistrazione), "32767") << "a volume no mixer holds was stored";
}

}  // namespace
