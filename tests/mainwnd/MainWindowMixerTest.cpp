// The real main window started on the private sound server: what its start
// does to the microphone, how its volume slider follows the speakers, and
// that every way of ending it gives the user's volumes back (pactl checks).

#include "app/AppSettings.h"
#include "app/UnattendedClose.h"
#include "platform/CloseSignals.h"
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

#include <csignal>

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
        Pactl({"set-sink-volume", "speakers", QString::number(kUserSpeakers)});
        Pactl({"set-source-volume", "microphone", QString::number(kUserMicrophone)});
        Pactl({"set-default-source", "speakers.monitor"});
    }
    void TearDown() override
    {
        WindowFixture::TearDown();
        SetUnattended(false);
        Pactl({"set-default-source", "microphone"});
    }

    void Start(std::vector<std::pair<QString, QString>> settings)
    {
        settings.insert(settings.end(), {{"WorkDir", m_folders.WorkDir()}, {"PrimoLancio", "0"}});
        ASSERT_TRUE(test::WriteSettings(settings));
        dlg = std::make_unique<CMainDlg>();
        ASSERT_TRUE(dlg->OnInitDialog());
        dlg->show();
    }
    QSlider* Slider() const { return qobject_cast<QSlider*>(dlg->Control(IDC_VOLUME)); }

    test::CServerVolumesKept m_volumes;
    test::CTestFolders m_folders;
};

TEST_F(MainWindowMixer, StartSetsTheMicrophoneAndTheSliderFollowsTheSpeakers)
{
    struct Case {
        const char* storedVolume;  // null: none stored
        const char* noMicSelect;
        std::uint32_t microphone;
        const char* defaultSource;
    };
    const Case cases[] = {
        {nullptr, "1", 32768, "speakers.monitor"},  // first: nothing stored yet
        {"40000", "0", 40000, "microphone"},
        {"999999", "0", 65536, "microphone"},  // never an amplification beyond the line's range
        {"-3", "0", 0, "microphone"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.storedVolume ? c.storedVolume : "none");
        Pactl({"set-default-source", "speakers.monitor"});
        std::vector<std::pair<QString, QString>> settings{{"NoMicSelect", c.noMicSelect}};
        if (c.storedVolume)
            settings.emplace_back(LoadText(IDS_KEY_RECORD_VOLUME), c.storedVolume);
        Start(settings);
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

        dlg->close();
        EXPECT_EQ(PactlVolume("sink", "speakers"), kUserSpeakers);
        EXPECT_EQ(PactlVolume("source", "microphone"), kUserMicrophone);
        dlg.reset();
        Pactl({"set-sink-volume", "speakers", QString::number(kUserSpeakers)});
        Pactl({"set-source-volume", "microphone", QString::number(kUserMicrophone)});
    }
}

TEST_F(MainWindowMixer, EveryWayOfEndingGivesTheUsersVolumesBack)
{
    enum class End { Signal, SessionQuit, WindowDestroyed };
    for (End end : {End::Signal, End::SessionQuit, End::WindowDestroyed}) {
        SCOPED_TRACE(static_cast<int>(end));
        Start({{LoadText(IDS_KEY_RECORD_VOLUME), "50000"}});
        Slider()->setValue(1000);
        emit Slider()->sliderReleased();
        ASSERT_EQ(PactlVolume("sink", "speakers"), 1000u);
        ASSERT_EQ(PactlVolume("source", "microphone"), 50000u);

        // As the program wires it: a signal or the session's quit closes unattended.
        CUnattendedClose unattended(dlg.get());
        CCloseSignals closeSignals;
        QObject::connect(&closeSignals, &CCloseSignals::closeRequested, &unattended,
                         [&](int) { unattended.Request(QStringLiteral("segnale")); });
        if (end == End::Signal)
            ::raise(SIGTERM);
        else if (end == End::SessionQuit)
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
