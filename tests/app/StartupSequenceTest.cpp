#include "RecordingHost.h"

#include "app/StartupSequence.h"
#include "platform/Log.h"
#include "platform/Messages.h"
#include "platform/Prompt.h"
#include "platform/Registry.h"
#include "resources/StringTable.h"

#include "support/TestFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <atomic>

using namespace sonvelle;

namespace {

class StartupSequenceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetPrompt(&m_prompt);
        m_sequence.SetSoundCardProbe([this] { return m_soundCard; });
        m_sequence.SetSleep([this](int ms) { m_slept += ms; });
        m_later.SetSoundCardProbe([] { return true; });
    }
    void TearDown() override { SetPrompt(nullptr); }
    void PutEncoder()
    {
        QFile f(ProgramDir() + "encodermp3.so");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    void StartNormally()
    {
        PutEncoder();
        ASSERT_TRUE(m_sequence.OnInitDialog());
        m_host.calls.clear();
        QFile::remove(ProgramDir() + "SN.log");
    }
    // Another program start on the same folders.
    static CRecordingHost StartAgain()
    {
        CRecordingHost host;
        CAppSettings settings;
        CStartupSequence sequence(host, settings);
        sequence.SetSoundCardProbe([] { return true; });
        EXPECT_TRUE(sequence.OnInitDialog());
        return host;
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
    // The next program start on the same folders.
    CRecordingHost m_laterHost;
    CAppSettings m_laterSettings;
    CStartupSequence m_later{m_laterHost, m_laterSettings};
};

TEST_F(StartupSequenceTest, WithoutTheEncoderLibraryOneMessageAndACloseWithNothingStarted)
{
    QDir().mkpath(ProgramDir() + "encodermp3.so");  // a folder of that name is no library
    WriteLog("line of the previous run");
    EXPECT_FALSE(m_sequence.OnInitDialog());
    ExpectOnePrompt(LoadText(IDS_ENCODER_LOAD_ERROR), PromptIcon::Stop);
    EXPECT_EQ(m_host.calls, (QStringList{"BeginWaitCursor", "SetupControls", "PostCloseToSelf", "EndWaitCursor"}));
    EXPECT_TRUE(m_folders.LogLines().isEmpty());  // the old log is gone, no dump was written
    EXPECT_FALSE(CRegKey().Open(Hive::CurrentUser, QStringLiteral("Software\\Orsolan\\Sonvelle")));

    // The close that follows takes the short path.
    m_host.calls.clear();
    m_sequence.OnClose();
    EXPECT_EQ(m_host.calls, (QStringList{"BeginWaitCursor", "EndWaitCursor"}));
}

TEST_F(StartupSequenceTest, FirstStartMakesTheWorkFolderAndListsItBeforeAutoRecordingAndTheNextIsNotFirst)
{
    PutEncoder();
    EXPECT_TRUE(m_sequence.OnInitDialog());
    const QString work = ProgramDir() + "Recordings/";
    EXPECT_TRUE(QFileInfo(work).isDir());
    EXPECT_EQ(m_host.startedWith, (QStringList{ProgramDir(), work}));
    // One dump line and one default (auto-recording on) catch the settings tables being wired wrongly.
    EXPECT_TRUE(m_folders.LogLines().contains("-->WorkDir:" + work));
    // A recording started before the list is loaded would be dropped from it.
    EXPECT_LT(m_host.IndexOf("LoadCatalogueAndFillList " + work), m_host.IndexOf("SwitchAutoRecordingOn"));
    EXPECT_TRUE(m_host.Called("SetupMixer first=1"));
    EXPECT_TRUE(m_prompt.ShownSoFar().empty());

    EXPECT_TRUE(StartAgain().Called("SetupMixer first=0"));
}

TEST_F(StartupSequenceTest, SettingsDecideTraySendAndAutoRecordingAndNoSoundCardKeepsRecordingOff)
{
    PutEncoder();
    ASSERT_TRUE(
        test::WriteSettings({{"AvvioTaskBar", "1"}, {"AvviaInAutoReg", "0"}, {"NoSend", "1"}, {"Operatore", "Anna"}}));
    m_soundCard = false;
    EXPECT_TRUE(m_sequence.OnInitDialog());
    EXPECT_TRUE(m_host.Called("HideToTray"));
    EXPECT_FALSE(m_host.Called("SwitchAutoRecordingOn"));
    EXPECT_TRUE(m_host.Called("EnableControl 1059 off"));
    EXPECT_TRUE(m_host.Called("SetCaption Orsolan Sonvelle (Anna)"));
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
    EXPECT_TRUE(StartAgain().calls.filter("StartOneShotTimer").isEmpty()) << "still away: told again";

    QDir().mkpath(calls);
    m_prompt.Clear();
    EXPECT_TRUE(m_later.OnInitDialog());
    EXPECT_TRUE(m_laterHost.Called("StartOneShotTimer 1298 2000"));
    EXPECT_EQ(m_laterHost.startedWith.value(1), calls);
    EXPECT_TRUE(m_later.OnTimer(1298));
    ExpectOnePrompt(LoadText(IDS_FOLDER_BACK), PromptIcon::Exclamation);
    EXPECT_EQ(m_laterHost.calls.last(), "ImportAfterRealignment " + fallback);
    const CRecordingHost after = StartAgain();
    EXPECT_EQ(after.startedWith.value(1), calls);
    EXPECT_TRUE(after.calls.filter("StartOneShotTimer").isEmpty()) << "realigned twice";
}

// A capture thread that ends on its quit request, as the real one does.
class CQuittingThread : public CWorkerThread {
public:
    std::atomic<int> closeRequests{0};

protected:
    void OnMessage(CMessage& message) override
    {
        if (message.Message() == WM_REC_CLOSE) {
            ++closeRequests;
            EndThread();
        }
    }
};

TEST_F(StartupSequenceTest, CloseIdleCloseEndsTheCaptureThreadAndDeletesTheTemporaryFile)
{
    StartNormally();
    QFile temp(m_settings.WorkDir + "tmp_nome_reg.dtm");
    ASSERT_TRUE(temp.open(QIODevice::WriteOnly));
    temp.close();
    auto* thread = new CQuittingThread;
    m_host.capture.reset(thread);
    thread->Start();
    m_sequence.SetSleep([](int ms) { QThread::msleep(static_cast<unsigned long>(ms)); });

    m_sequence.OnClose();
    EXPECT_EQ(thread->closeRequests.load(), 1);
    EXPECT_FALSE(thread->IsStillActive());
    EXPECT_FALSE(temp.exists());
    EXPECT_TRUE(m_host.Called("RestoreVolumes"));
}

TEST_F(StartupSequenceTest, CloseRunningRecordingsAreEndedBeforeTheListIsSavedAndNoThreadMeansNoWait)
{
    using S = RecorderState;
    struct Case {
        S state, afterAutoOff;
        QString ends;
    };
    StartNormally();
    // In one-file mode switching off leaves a play running, which needs no stop.
    for (const Case& c : {Case{S::AutoRecording, S::Idle, "SwitchAutoRecordingOff"},
                          Case{S::AutoRecordingWhilePlaying, S::Playing, "SwitchAutoRecordingOff"},
                          Case{S::Recording, S::Recording, "StopManualRecording"}, Case{S::Playing, S::Playing, {}}}) {
        m_host.calls.clear();
        m_host.recordingState = c.state;
        m_host.stateAfterAutoOff = c.afterAutoOff;
        m_sequence.OnClose();
        const QStringList ended =
            m_host.calls.filter(QRegularExpression("^(SwitchAutoRecordingOff|StopManualRecording)$"));
        EXPECT_EQ(ended, c.ends.isEmpty() ? QStringList{} : QStringList{c.ends}) << static_cast<int>(c.state);
        EXPECT_LT(m_host.IndexOf(c.ends), m_host.IndexOf("SaveCatalogueIndex")) << static_cast<int>(c.state);
    }
    EXPECT_EQ(m_slept, 0) << "waited for a capture thread that does not exist";
}

TEST_F(StartupSequenceTest, CloseACaptureThreadThatNeverEndsIsGivenUpAfterTenSeconds)
{
    StartNormally();
    m_host.capture.reset(new CQuittingThread);  // never started: it stays "still active"
    m_sequence.OnClose();
    EXPECT_EQ(m_slept, 10000);
    EXPECT_EQ(m_folders.LogLines().last(), "Attesa oltre il timeout");
}

TEST_F(StartupSequenceTest, CloseWithoutAWorkFolderNoFileOutsideItIsDeleted)
{
    QFile blocker(m_folders.Path("user/Software"));  // the key cannot be opened: no work folder
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    PutEncoder();
    ASSERT_TRUE(m_sequence.OnInitDialog());
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(m_folders.Path("."));
    QFile stray(m_folders.Path("tmp_nome_reg.dtm"));
    ASSERT_TRUE(stray.open(QIODevice::WriteOnly));
    stray.close();
    m_sequence.OnClose();
    QDir::setCurrent(cwd);
    EXPECT_TRUE(stray.exists());
}

}  // namespace
