#include "AppTestEnvironment.h"
#include "RecordingHost.h"

#include "app/StartupSequence.h"
#include "platform/Log.h"
#include "platform/Messages.h"
#include "platform/Registry.h"
#include "resources/StringTable.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <atomic>

using namespace sonvelle;

namespace {

const QString kKey = QStringLiteral("Software\\Orsolan\\Sonvelle");

class StartupSequenceTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        m_sequence.SetSoundCardProbe([this] { return m_soundCard; });
        m_sequence.SetSleep([this](int ms) { m_slept += ms; });
    }
    void PutEncoder()
    {
        QFile f(ProgramDir() + "encodermp3.so");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    void SetValues(const QList<QPair<QString, QString>>& values)
    {
        CRegKey key;
        ASSERT_TRUE(key.Create(Hive::CurrentUser, kKey));
        for (const auto& [name, text] : values)
            ASSERT_TRUE(key.WriteText(name, text));
    }
    QStringList Shown() const
    {
        QStringList texts;
        for (const auto& shown : m_prompt.ShownSoFar())
            texts << shown.text;
        return texts;
    }

    CRecordingHost m_host;
    CAppSettings m_settings;
    CStartupSequence m_sequence{m_host, m_settings};
    bool m_soundCard = true;
    int m_slept = 0;
};

TEST_F(StartupSequenceTest, MissingEncoderLibraryShowsOneMessageAndClosesWithNothingStarted)
{
    WriteLog("line of the previous run");
    EXPECT_FALSE(m_sequence.OnInitDialog());

    ASSERT_EQ(m_prompt.ShownSoFar().size(), 1u);
    const auto& shown = m_prompt.ShownSoFar()[0];
    EXPECT_EQ(shown.text, "An error occured while loading MP3 format code library. It is recommended to reinstall "
                          "Sonvelle.");
    EXPECT_EQ(shown.caption, "Sonvelle");
    EXPECT_EQ(shown.icon, PromptIcon::Stop);
    EXPECT_TRUE(m_sequence.ClosingForMissingLibrary());
    EXPECT_EQ(m_host.calls,
              (QStringList{"BeginWaitCursor", "SetupControls", "PostCloseToSelf", "EndWaitCursor"}));
    EXPECT_FALSE(m_host.threadsCreated);
    EXPECT_TRUE(LogLines().isEmpty());  // the old log is gone, no dump was written
    CRegKey key;
    EXPECT_FALSE(key.Open(Hive::CurrentUser, kKey));  // no settings touched

    // The close that follows takes the short path.
    m_host.calls.clear();
    m_sequence.OnClose();
    EXPECT_EQ(LogLines(), (QStringList{"Inizio chiusura applicazione", "Chiusura per mancanza DLL"}));
    EXPECT_EQ(m_host.calls, (QStringList{"BeginWaitCursor", "EndWaitCursor"}));
    EXPECT_EQ(m_prompt.ShownSoFar().size(), 1u);
}

TEST_F(StartupSequenceTest, AFolderNamedLikeTheLibraryIsNoLibrary)
{
    QDir().mkpath(ProgramDir() + "encodermp3.so");
    EXPECT_FALSE(m_sequence.OnInitDialog());
    EXPECT_EQ(Shown().size(), 1);
}

TEST_F(StartupSequenceTest, FirstStartRunsTheStepsInTheirOrder)
{
    PutEncoder();
    m_host.largeFonts = true;
    EXPECT_TRUE(m_sequence.OnInitDialog());
    const QString work = ProgramDir() + "Recordings/";
    const QStringList expected = {"BeginWaitCursor",
                                  "SetupControls",
                                  "SetWindowIcons",
                                  "CreateWorkerThreads",
                                  "SetCaption Orsolan Sonvelle",
                                  "StartWorkerThreads",
                                  "SetRecordingStateIdle",
                                  "LogMixerLines",
                                  "SetupMixer first=1",
                                  "LoadCatalogueAndFillList " + work,
                                  "EnableControl 1013 off",
                                  "SwitchAutoRecordingOn",
                                  "ClearPlayState",
                                  "EnableControl 1099 off",
                                  "EnableControl 1015 off",
                                  "EnableControl 1031 off",
                                  "EnableControl 1032 off",
                                  "EndWaitCursor"};
    EXPECT_EQ(m_host.calls, expected);
    EXPECT_EQ(m_host.startedWith, (QStringList{ProgramDir(), work}));
    EXPECT_TRUE(m_prompt.ShownSoFar().empty());
    EXPECT_TRUE(m_sequence.LargeFonts());
    EXPECT_TRUE(m_sequence.FirstStart());
    EXPECT_TRUE(m_sequence.SoundCardPresent());
    EXPECT_EQ(LogLines().value(0), "Dump Impostazioni:");
    EXPECT_EQ(LogLines().size(), 18);

    // The second start is a later start for the mixer.
    CRecordingHost host;
    CAppSettings settings;
    CStartupSequence second(host, settings);
    second.SetSoundCardProbe([] { return true; });
    EXPECT_TRUE(second.OnInitDialog());
    EXPECT_TRUE(host.Called("SetupMixer first=0"));
    EXPECT_FALSE(second.FirstStart());
}

TEST_F(StartupSequenceTest, SettingsDecideTraySendAndAutoRecording)
{
    PutEncoder();
    SetValues({{"AvvioTaskBar", "1"}, {"AvviaInAutoReg", "0"}, {"NoSend", "1"}, {"Operatore", "Anna"}});
    EXPECT_TRUE(m_sequence.OnInitDialog());
    EXPECT_TRUE(m_host.Called("HideToTray"));
    EXPECT_FALSE(m_host.Called("SwitchAutoRecordingOn"));
    EXPECT_TRUE(m_host.Called("EnableControl 1059 off"));
    EXPECT_TRUE(m_host.Called("SetCaption Orsolan Sonvelle (Anna)"));
    EXPECT_LT(m_host.IndexOf("EnableControl 1013 off"), m_host.IndexOf("HideToTray"));
}

TEST_F(StartupSequenceTest, WithoutASoundCardTheRecordingControlsStayOffAndTheMixerUntouched)
{
    PutEncoder();
    m_soundCard = false;
    EXPECT_TRUE(m_sequence.OnInitDialog());
    ASSERT_EQ(m_prompt.ShownSoFar().size(), 1u);
    EXPECT_EQ(m_prompt.ShownSoFar()[0].text,
              "This computer does not have a sound card. The software will therefore start without enabling the "
              "recording features.");
    EXPECT_EQ(m_prompt.ShownSoFar()[0].icon, PromptIcon::Exclamation);
    EXPECT_EQ(m_prompt.ShownSoFar()[0].caption, "Sonvelle");
    for (int id : {1011, 1019, 1022, 1031, 1032, 1023, 1013, 1015})
        EXPECT_TRUE(m_host.Called(QString("EnableControl %1 off").arg(id))) << id;
    EXPECT_FALSE(m_host.Called("SetupMixer first=1"));
    EXPECT_LT(m_host.IndexOf("LogMixerLines"), m_host.IndexOf("EnableControl 1011 off"));
    EXPECT_TRUE(m_host.Called("LoadCatalogueAndFillList " + ProgramDir() + "Recordings/"));
    EXPECT_FALSE(m_sequence.SoundCardPresent());
}

TEST_F(StartupSequenceTest, UnreachableWorkFolderNoticeAndLaterRealignment)
{
    PutEncoder();
    const QString calls = Path("calls");
    SetValues({{"WorkDir", calls + "/"}, {"PrimoLancio", "0"}});
    EXPECT_TRUE(m_sequence.OnInitDialog());
    EXPECT_TRUE(m_host.Called("StartOneShotTimer 1295 2000"));
    EXPECT_TRUE(m_prompt.ShownSoFar().empty());  // not before the timer
    EXPECT_TRUE(m_sequence.OnTimer(1295));
    ASSERT_EQ(m_prompt.ShownSoFar().size(), 1u);
    EXPECT_EQ(m_prompt.ShownSoFar()[0].text, LoadText(431));
    EXPECT_EQ(m_prompt.ShownSoFar()[0].icon, PromptIcon::Exclamation);
    EXPECT_FALSE(m_sequence.OnTimer(1296));
    EXPECT_EQ(m_host.startedWith.value(1), ProgramDir() + "Recordings/");

    QDir().mkpath(calls);
    CRecordingHost host;
    CAppSettings settings;
    CStartupSequence later(host, settings);
    later.SetSoundCardProbe([] { return true; });
    m_prompt.Clear();
    EXPECT_TRUE(later.OnInitDialog());
    EXPECT_TRUE(host.Called("StartOneShotTimer 1298 2000"));
    EXPECT_TRUE(later.RealignPending());
    EXPECT_EQ(host.startedWith.value(1), calls + "/");
    EXPECT_TRUE(later.OnTimer(1298));
    ASSERT_EQ(m_prompt.ShownSoFar().size(), 1u);
    EXPECT_EQ(m_prompt.ShownSoFar()[0].text, LoadText(432));
    EXPECT_EQ(host.calls.last(), "ImportAfterRealignment " + ProgramDir() + "Recordings/");
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

// One that never ends.
class CStuckThread : public CWorkerThread {
protected:
    void OnMessage(CMessage&) override {}
};

class CloseTest : public StartupSequenceTest {
protected:
    void StartNormally()
    {
        PutEncoder();
        ASSERT_TRUE(m_sequence.OnInitDialog());
        m_host.calls.clear();
        QFile::remove(Path("program/SN.log"));
    }
};

TEST_F(CloseTest, IdleCloseLogsEveryStepAndWaitsForTheCaptureThread)
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
    EXPECT_EQ(LogLines(), (QStringList{"Inizio chiusura applicazione", "Evento OnStopRec", "Salva la lista",
                                       "Cancella il file", "Setta volume speaker",
                                       "Impostazione vecchio volume speaker", "Chiusura volume speaker",
                                       "Setta volume microfono", "Inizio chiusura thread...",
                                       "Chiudo il thread Record Sound", "Thread Record Sound chiuso"}));
    EXPECT_EQ(m_host.calls, (QStringList{"BeginWaitCursor", "SaveCatalogueIndex", "RemoveTrayIcon", "RestoreVolumes",
                                         "DeleteFindDialog", "EndWaitCursor"}));
    EXPECT_EQ(thread->closeRequests.load(), 1);
    EXPECT_FALSE(thread->IsStillActive());
    EXPECT_FALSE(QFileInfo::exists(m_settings.WorkDir + "tmp_nome_reg.dtm"));
}

TEST_F(CloseTest, RunningRecordingsAreEndedFirst)
{
    struct Case {
        int state;
        int afterAutoOff;
        QStringList expected;
    };
    const Case cases[] = {
        {5, 0, {"SwitchAutoRecordingOff"}},
        {7, 1, {"SwitchAutoRecordingOff"}},
        {4, 0, {"SwitchAutoRecordingOff"}},
        {6, 1, {"SwitchAutoRecordingOff"}},
        {2, 2, {"StopManualRecording"}},
        {3, 3, {"StopManualRecording"}},
        {1, 1, {}},
        {0, 0, {}},
    };
    StartNormally();
    for (const Case& c : cases) {
        m_host.calls.clear();
        m_host.recordingState = c.state;
        m_host.stateAfterAutoOff = c.afterAutoOff;
        m_sequence.OnClose();
        QStringList recordingCalls;
        for (const QString& call : m_host.calls)
            if (call == "SwitchAutoRecordingOff" || call == "StopManualRecording")
                recordingCalls << call;
        EXPECT_EQ(recordingCalls, c.expected) << "state " << c.state;
        // The recording ends before the list is saved.
        if (!c.expected.isEmpty()) {
            EXPECT_LT(m_host.IndexOf(c.expected[0]), m_host.IndexOf("SaveCatalogueIndex"));
        }
    }
}

TEST_F(CloseTest, ACaptureThreadThatNeverEndsIsGivenUpAfterTenSeconds)
{
    StartNormally();
    auto* thread = new CStuckThread;  // never started: it stays "still active"
    m_host.capture.reset(thread);
    m_sequence.OnClose();
    EXPECT_EQ(m_slept, 10000);
    const QStringList log = LogLines();
    ASSERT_GE(log.size(), 2);
    EXPECT_EQ(log[log.size() - 2], "Thread Record Sound chiuso");
    EXPECT_EQ(log.last(), "Attesa oltre il timeout");
}

TEST_F(CloseTest, WithoutACaptureThreadThereIsNothingToWaitFor)
{
    StartNormally();
    m_sequence.OnClose();
    EXPECT_EQ(m_slept, 0);
    EXPECT_EQ(LogLines().last(), "Inizio chiusura thread...");
}

TEST_F(CloseTest, WithoutAWorkFolderNoFileOutsideItIsDeleted)
{
    // The key could not be opened: the work folder stays empty.
    QFile blocker(Path("user/Software"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    PutEncoder();
    ASSERT_TRUE(m_sequence.OnInitDialog());
    EXPECT_TRUE(m_settings.WorkDir.isEmpty());
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(m_dir.path());
    QFile stray(Path("tmp_nome_reg.dtm"));
    ASSERT_TRUE(stray.open(QIODevice::WriteOnly));
    stray.close();
    m_sequence.OnClose();
    QDir::setCurrent(cwd);
    EXPECT_TRUE(QFileInfo::exists(Path("tmp_nome_reg.dtm")));
}

}  // namespace
