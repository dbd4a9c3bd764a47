// The real main window started on the private sound server: what its start
// does to the microphone and its volume slider to the speakers (pactl checks).

#include "app/UnattendedClose.h"
#include "resources/StringTable.h"
#include "support/EventWait.h"
#include "support/Pactl.h"
#include "support/SoundFiles.h"
#include "support/TagBytes.h"
#include "support/TestFolders.h"
#include "WorkFolderFixture.h"

#include <QSignalSpy>
#include <QSlider>

#include <gtest/gtest.h>

namespace sonvelle {
namespace {

using namespace std::chrono_literals;
using test::Pactl;
using test::PactlVolume;

// The user's own volumes before the program starts; the speakers above 100%.
constexpr std::uint32_t kUserSpeakers = 80000;
constexpr std::uint32_t kUserMicrophone = 20000;

class MainWindowMixer : public testing::WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        ASSERT_TRUE(test::SoundServerAnswers()) << "no sound server; start one with scripts/sound-server start";
        // Only looked for at start.
        ASSERT_TRUE(test::WriteBytes(m_folders.ProgramDir() + "encodermp3.so", {}));
    }
    void TearDown() override
    {
        WindowFixture::TearDown();
        SetUnattended(false);
        Pactl({"set-default-source", "microphone"});
    }

    QSlider* Slider() const { return qobject_cast<QSlider*>(dlg->Control(IDC_VOLUME)); }

    test::CServerVolumesKept m_volumes;
    test::CTestFolders m_folders;
};

// Every way of ending gives the user's volumes back.
TEST_F(MainWindowMixer, StartSetsTheMicrophoneTheSliderDrivesTheSpeakersAndTheEndGivesTheVolumesBack)
{
    enum class End { Close, SessionQuit, WindowDestroyed };
    struct Case {
        const char* storedVolume;  // null: none stored
        const char* noMicSelect;
        std::uint32_t microphone;
        const char* defaultSource;
        End end;
    };
    const Case cases[] = {
        {nullptr, "1", 32768, "speakers.monitor", End::Close},  // first: nothing stored yet
        {"40000", "0", 40000, "microphone", End::SessionQuit},
        {"999999", "0", 65536, "microphone", End::WindowDestroyed},  // never beyond the line's range
        {"-3", "0", 0, "microphone", End::Close},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.storedVolume ? c.storedVolume : "none");
        Pactl({"set-sink-volume", "speakers", QString::number(kUserSpeakers)});
        Pactl({"set-source-volume", "microphone", QString::number(kUserMicrophone)});
        Pactl({"set-default-source", "speakers.monitor"});
        std::vector<std::pair<QString, QString>> settings{
            {"NoMicSelect", c.noMicSelect}, {"WorkDir", m_folders.WorkDir()}, {"PrimoLancio", "0"}};
        if (c.storedVolume)
            settings.emplace_back(LoadText(IDS_KEY_RECORD_VOLUME), c.storedVolume);
        ASSERT_TRUE(test::WriteSettings(settings));
        dlg = std::make_unique<CMainDlg>();
        ASSERT_TRUE(dlg->OnInitDialog());
        dlg->show();
        EXPECT_EQ(PactlVolume("source", "microphone"), c.microphone);
        EXPECT_EQ(Pactl({"get-default-source"}), c.defaultSource);
        EXPECT_TRUE(prompt.ShownSoFar().empty());

        // The microphone's change comes first and must not move the speakers' slider.
        EXPECT_EQ(Slider()->maximum(), 65536);
        QSignalSpy moves(Slider(), &QSlider::valueChanged);
        Pactl({"set-source-volume", "microphone", "5000"});
        Pactl({"set-sink-volume", "speakers", "30000"});
        EXPECT_TRUE(test::WaitUntil([&] { return Slider()->value() == 30000; }, 1s));
        for (const QList<QVariant>& move : moves)
            EXPECT_EQ(move.at(0).toInt(), 30000);
        Slider()->setValue(1000);
        emit Slider()->sliderReleased();
        EXPECT_EQ(PactlVolume("sink", "speakers"), 1000u);

        CUnattendedClose unattended(dlg.get());
        if (c.end == End::Close)
            dlg->close();
        else if (c.end == End::SessionQuit)
            unattended.Request(QStringLiteral("fine sessione"));
        else
            dlg.reset();
        EXPECT_TRUE(test::WaitUntil([&] { return !dlg || !dlg->isVisible(); }));
        EXPECT_EQ(PactlVolume("sink", "speakers"), kUserSpeakers);
        EXPECT_EQ(PactlVolume("source", "microphone"), kUserMicrophone);
        dlg.reset();
        SetUnattended(false);
    }
}

}  // namespace
}  // namespace sonvelle
