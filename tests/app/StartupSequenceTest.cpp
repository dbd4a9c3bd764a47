#include "RecordingHost.h"

#include "app/StartupSequence.h"
#include "platform/Messages.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"

#include "support/TagBytes.h"
#include "support/TestFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace sonvelle;

namespace {

class StartupSequenceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetPrompt(&m_prompt);
        m_sequence.SetSoundCardProbe([this] { return m_soundCard; });
        m_sequence.SetSleep([this](int ms) { m_slept += ms; });
    }
    void TearDown() override { SetPrompt(nullptr); }
    void PutEncoder() { ASSERT_TRUE(test::WriteBytes(ProgramDir() + "encodermp3.so", {})); }
    // The next program start on the same folders.
    void StartAgain()
    {
        m_host.calls.clear();
        ASSERT_TRUE(m_sequence.OnInitDialog());
    }
    void StartNormally()
    {
        PutEncoder();
        StartAgain();
    }
    QString ProgramDir() const { return m_folders.ProgramDir(); }
    void ExpectOnePrompt(const QString& text, PromptIcon icon)
    {
        ASSERT_EQ(m_prompt.ShownSoFar().size(), 1u);
        EXPECT_EQ(m_prompt.ShownSoFar()[0].text, text);
        EXPECT_EQ(m_prompt.ShownSoFar()[0].icon, icon);
    }

    test::CTestFolders m_folders;
    CScriptedPrompt m_prompt;
    CRecordingHost m_host;
    CAppSettings m_settings;
    CStartupSequence m_sequence{m_host, m_settings};
    bool m_soundCard = true;
    int m_slept = 0;
};

TEST_F(StartupSequenceTest, WithoutTheEncoderLibraryNothingStartsAndTheNextStartIsStillTheFirst)
{
    QDir().mkpath(ProgramDir() + "encodermp3.so");  // a folder of that name is no library
    EXPECT_FALSE(m_sequence.OnInitDialog());
    ExpectOnePrompt(LoadText(IDS_ENCODER_LOAD_ERROR), PromptIcon::Stop);
    EXPECT_EQ(m_host.calls, (QStringList{"BeginWaitCursor", "SetupControls", "PostCloseToSelf", "EndWaitCursor"}));
    // The close that follows takes the short path.
    m_host.calls.clear();
    m_sequence.OnClose();
    EXPECT_EQ(m_host.calls, (QStringList{"BeginWaitCursor", "EndWaitCursor"}));

    QDir(ProgramDir() + "encodermp3.so").removeRecursively();
    PutEncoder();
    m_prompt.Clear();
    StartAgain();
    const QString work = ProgramDir() + "Recordings/";
    EXPECT_EQ(m_host.startedWith, (QStringList{ProgramDir(), work}));
    // A recording started before the list is loaded would be dropped from it.
    EXPECT_LT(m_host.IndexOf("LoadCatalogueAndFillList " + work), m_host.IndexOf("SwitchAutoRecordingOn"));
    EXPECT_TRUE(m_host.Called("SetupMixer first=1"));
    EXPECT_TRUE(m_prompt.ShownSoFar().empty());
    StartAgain();
    EXPECT_TRUE(m_host.Called("SetupMixer first=0"));
}

// Only a leading one switches a stored flag on.
TEST_F(StartupSequenceTest, TraySettingAndNoSoundCardKeepRecordingOffButTheListIsLoaded)
{
    PutEncoder();
    ASSERT_TRUE(test::WriteSettings({{"AvvioTaskBar", "10"}, {"AvviaInAutoReg", " 1"}}));
    m_soundCard = false;
    EXPECT_TRUE(m_sequence.OnInitDialog());
    EXPECT_TRUE(m_host.Called("HideToTray"));
    EXPECT_FALSE(m_host.Called("SwitchAutoRecordingOn"));
    EXPECT_EQ(m_prompt.ShownSoFar().size(), 1u);
    EXPECT_TRUE(m_host.Called("EnableControl 1011 off"));
    EXPECT_FALSE(m_host.Called("SetupMixer first=1"));
    EXPECT_TRUE(m_host.Called("LoadCatalogueAndFillList " + ProgramDir() + "Recordings/"));
}

TEST_F(StartupSequenceTest, UnreachableWorkFolderFallsBackWithANoticeAndIsRealignedOnceWhenItReturns)
{
    PutEncoder();
    const QString calls = m_folders.Path("calls/");
    const QString fallback = ProgramDir() + "Recordings/";
    ASSERT_TRUE(test::WriteSettings({{"WorkDir", calls}, {"PrimoLancio", "0"}}));
    EXPECT_TRUE(m_sequence.OnInitDialog());
    EXPECT_EQ(m_host.startedWith.value(1), fallback);
    EXPECT_FALSE(QFileInfo::exists(calls)) << "an unmounted folder was made anew";
    EXPECT_TRUE(m_host.Called("StartOneShotTimer 1295 2000"));
    EXPECT_TRUE(m_prompt.ShownSoFar().empty()) << "shown before the timer";
    EXPECT_TRUE(m_sequence.OnTimer(1295));
    ExpectOnePrompt(LoadText(IDS_FOLDER_UNREACHABLE), PromptIcon::Exclamation);

    QDir().mkpath(calls);
    m_prompt.Clear();
    StartAgain();
    EXPECT_TRUE(m_host.Called("StartOneShotTimer 1298 2000"));
    EXPECT_EQ(m_host.startedWith.value(1), calls);
    EXPECT_TRUE(m_sequence.OnTimer(1298));
    ExpectOnePrompt(LoadText(IDS_FOLDER_BACK), PromptIcon::Exclamation);
    EXPECT_EQ(m_host.calls.last(), "ImportAfterRealignment " + fallback);
    StartAgain();
    EXPECT_EQ(m_host.startedWith.value(1), calls);
    EXPECT_TRUE(m_host.calls.filter("StartOneShotTimer").isEmpty()) << "realigned twice";
}

// A capture thread that ends on its quit request, as the real one does.
class CQuittingThread : public CWorkerThread {
protected:
    void OnMessage(CMessage& message) override
    {
        if (message.Message() == WM_REC_CLOSE)
            EndThread();
    }
};

TEST_F(StartupSequenceTest, CloseEndsRunningRecordingsBeforeTheListIsSavedThenWaitsForTheCaptureThread)
{
    using S = RecorderState;
    StartNormally();
    const std::pair<S, QString> cases[] = {{S::Listening, "SwitchAutoRecordingOff"},
                                           {S::AutoRecordingWhilePlaying, "SwitchAutoRecordingOff"},
                                           {S::Recording, "StopManualRecording"}, {S::Playing, {}}};
    for (const auto& [state, ends] : cases) {
        m_host.calls.clear();
        m_host.recordingState = state;
        m_sequence.OnClose();
        const QStringList ended =
            m_host.calls.filter(QRegularExpression("^(SwitchAutoRecordingOff|StopManualRecording)$"));
        EXPECT_EQ(ended, ends.isEmpty() ? QStringList{} : QStringList{ends}) << static_cast<int>(state);
        EXPECT_LT(m_host.IndexOf(ends), m_host.IndexOf("SaveCatalogueIndex")) << static_cast<int>(state);
    }
    EXPECT_EQ(m_slept, 0) << "waited for a capture thread that does not exist";

    m_host.capture.reset(new CQuittingThread);  // never started: it stays "still active"
    m_sequence.OnClose();
    EXPECT_EQ(m_slept, 10000);
    EXPECT_EQ(m_folders.LogLines().last(), "Attesa oltre il timeout");

    m_host.capture = std::make_unique<CQuittingThread>();
    m_host.capture->Start();
    m_sequence.SetSleep([](int ms) { QThread::msleep(static_cast<unsigned long>(ms)); });
    m_sequence.OnClose();
    EXPECT_FALSE(m_host.capture->IsStillActive());
}

TEST_F(StartupSequenceTest, CloseWithoutAWorkFolderNoFileOutsideItIsDeleted)
{
    ASSERT_TRUE(test::WriteBytes(m_folders.Path("user/Software"), {}));  // the key cannot be opened: no work folder
    StartNormally();
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(m_folders.Path("."));
    ASSERT_TRUE(test::WriteBytes(m_folders.Path("tmp_nome_reg.dtm"), "not ours"));
    m_sequence.OnClose();
    QDir::setCurrent(cwd);
    EXPECT_TRUE(QFileInfo::exists(m_folders.Path("tmp_nome_reg.dtm")));
}

}  // namespace
