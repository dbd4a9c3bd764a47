// Recording from the real main window, offscreen: posted clicks, the real
// capture and writer threads, encoder and files, the sound server or the
// file-fed microphone; the save dialog is answered as a user would. The
// server going away mid-call runs on a private server of its own (PulseAudio,
// or PipeWire's pulse server when SONVELLE_SOUND_SERVER_KIND is "pipewire").

#include "audio/FileWaveInput.h"
#include "audio/RecordSound.h"
#include "mainwnd/CallLogModel.h"
#include "mainwnd/MainDlg.h"
#include "mainwnd/MainDlgIds.h"
#include "mainwnd/RecordingControl.h"
#include "mainwnd/RecordingEngine.h"
#include "platform/Clock.h"
#include "platform/Message.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"
#include "store/RecordingList.h"
#include "storeui/SaveRecordingDlg.h"

#include "support/EventWait.h"
#include "support/PrivateSoundServer.h"
#include "support/SoundFiles.h"
#include "support/TestFolders.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTime>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

using namespace sonvelle;
using namespace sonvelle::test;
using namespace std::chrono_literals;

namespace {

// "mm:ss" of the call log's duration column.
int RowSeconds(const QString& text)
{
    return QTime(0, 0).secsTo(QTime::fromString(text, "mm:ss"));
}

// The save dialog, answered as a user would: the next name typed and Save pressed, Cancel when none is left.
class CSaveDialogAnswerer : public QObject {
public:
    explicit CSaveDialogAnswerer(QStringList names) : m_names(std::move(names))
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto* dialog = qobject_cast<CSaveRecordingDlg*>(QApplication::activeModalWidget());
            if (!dialog || dialog == m_last)
                return;
            m_last = dialog;
            ++shown;
            if (m_names.isEmpty())
                return dialog->reject();
            dialog->NameField()->setText(m_names.takeFirst());
            dialog->ConfirmButton()->click();
        });
        m_timer.start(50);
    }
    int shown = 0;

private:
    QStringList m_names;
    QTimer m_timer;
    QPointer<CSaveRecordingDlg> m_last;
};

class RecordFromWindow : public ::testing::Test {
protected:
    static constexpr int kThreshold = 2000;

    void SetUp() override { OpenWindow("15"); }
    void OpenWindow(const char* silenceEndingACall)
    {
        ASSERT_TRUE(folders.IsValid());
        dlg = std::make_unique<CMainDlg>();
        CAppSettings& s = dlg->AppSettings();
        s.WorkDir = work;
        s.TempoAttesaRegAuto = silenceEndingACall;
        s.RegAutoSalvaUnicoFile = "0";
        s.SogliaAttivazioneRegAuto = QString::number(kThreshold);
        s.AntiBump = true;
        dlg->InitialiseWindowOnly();
        dlg->show();
    }
    void TearDown() override
    {
        dlg.reset();
        SetSystemClock(nullptr);
    }
    void StartThreads() { dlg->RecordingEngine().StartWorkerThreads(SONVELLE_ENCODER_DIR, work); }
    void Click(int id)
    {
        PostMessageTo(dlg.get(), WM_COMMAND, static_cast<WPARAM>(id));
        QApplication::processEvents();
    }
    RecorderState State() { return dlg->RecordingControl().State(); }
    bool Capturing() { return dlg->RecordingEngine().Capture()->IsRecording(); }
    CCallLogModel& Rows() { return dlg->CallLog().Model(); }
    QStringList Files(const QString& pattern) { return QDir(work).entryList({pattern}, QDir::Files); }
    QString Speech(const QString& words)
    {
        const QString wav = MakeSpeech(folders.ProgramDir(), words);
        EXPECT_FALSE(wav.isEmpty());
        return wav;
    }

    CTestFolders folders;
    const QString work = folders.WorkDir();
    std::unique_ptr<CMainDlg> dlg;
};

TEST_F(RecordFromWindow, ManualRecordingIsSavedListedTaggedAndPlaysBack)
{
    ASSERT_TRUE(SoundServerAnswers()) << "no sound server: run scripts/sound-server start";
    const QString speech = Speech("Hello, this is a call with the bank about my savings account.");
    StartThreads();
    CSaveDialogAnswerer user({"Call with the bank"});
    Click(IDC_RECORD);
    ASSERT_TRUE(WaitUntil([&] { return State() == RecorderState::Recording && Capturing(); }, 5s));
    QElapsedTimer captured;
    captured.start();
    ASSERT_TRUE(RunTool("paplay", {"-d", "micfeed", speech}));
    WaitUntil([] { return false; }, 300ms);  // the microphone trails the feed
    Click(IDC_STOP);
    const double seconds = captured.elapsed() / 1000.0;
    ASSERT_TRUE(WaitUntil([&] { return user.shown == 1 && State() == RecorderState::Idle; }, 5s));

    ASSERT_EQ(Rows().Count(), 1);
    EXPECT_EQ(Rows().Row(0).text[COL_NAME], "Call with the bank");
    EXPECT_NEAR(RowSeconds(Rows().Row(0).text[COL_DURATION]), seconds, 1.0);
    const QString file = work + "Call with the bank.mp3";
    const Pcm decoded = DecodeMp3(file);
    EXPECT_NEAR(decoded.Seconds(), seconds, 0.2);
    EXPECT_GT(Rms(decoded.samples), 300.0) << "silence instead of the speech";
    // The tag carries the name and the date, read back by a catalogue of its own.
    CRecordingEntry fromTag;
    CRecordingList().ReadEntryTags(file, fromTag, work, false);
    EXPECT_EQ(fromTag.m_strName, "Call with the bank");
    EXPECT_EQ(fromTag.m_dtDate.ToQDateTime().date(), QDate::currentDate());

    // Played: a stream appears, the position moves, the end returns to idle.
    const int streamsBefore = PlaybackStreams(false);
    Click(IDC_PLAY);
    EXPECT_TRUE(WaitUntil([&] { return PlaybackStreams(false) > streamsBefore; }, 3s));
    std::uint32_t length = 0, position = 0;
    CSoundPlayer& player = dlg->RecordingEngine().RecordingsPlayer();
    EXPECT_TRUE(WaitUntil([&] { return player.GetStatus(length, position), position > 0; }, 5s));
    EXPECT_TRUE(WaitUntil([&] { return State() == RecorderState::Idle; }, std::chrono::milliseconds(length) + 5s));
}

// Auto-recording over a scene on the file-fed microphone at five times the pace:
// 5 s silence, speech, 20 s silence, speech, 17 s silence, a 0.1 s click, 5 s silence.
struct AutoRecordingCase {
    const char* name;
    bool confirm;
    QStringList answers;  // names typed into the save dialogs, one a dialog expected
    int recordings;  // one: all segments in one file
    friend void PrintTo(const AutoRecordingCase& c, std::ostream* os) { *os << c.name; }
};

class AutoRecordingScene : public RecordFromWindow, public ::testing::WithParamInterface<AutoRecordingCase> {};

TEST_P(AutoRecordingScene, SpeechIsStoredWholeTheClickIsDroppedAndTheListMatchesTheFiles)
{
    const AutoRecordingCase& c = GetParam();
    dlg->AppSettings().RegAutoSalvaUnicoFile = c.recordings == 1 ? "1" : "0";
    dlg->AppSettings().ChiediConfermaAutoRec = c.confirm;
    CSaveDialogAnswerer user(c.answers);
    const std::vector<short> speech =
        ReadWav(Speech("Good morning, this is the bank calling about your account.")).samples;
    std::vector<short> scene;
    for (const auto& part : {Tone(5 * 32000, 0, 0), speech, Tone(20 * 32000, 0, 0), speech, Tone(17 * 32000, 0, 0),
                             Tone(3200, 1000, 20000), Tone(5 * 32000, 0, 0)})
        scene.insert(scene.end(), part.begin(), part.end());
    const QString path = folders.Path("program/scene.wav");
    ASSERT_TRUE(WriteWav(path, scene));
    auto source = std::make_shared<CFileFedSource>(path, 5.0);
    ASSERT_TRUE(source->Valid());
    SetSystemClock(source.get());
    dlg->RecordingEngine().CreateWorkerThreads();
    dlg->RecordingEngine().Capture()->SetWaveInputFactory(
        [source] { return std::make_unique<CFileWaveInput>(source); });
    StartThreads();

    Click(IDC_AUTO_RECORD);
    const auto sceneTime = std::chrono::milliseconds(scene.size() * 1000 / 32000 / 5);
    ASSERT_TRUE(WaitUntil([&] { return source->Position() > scene.size(); }, sceneTime + 15s));
    // The click's segment ends 2 s of scene time after it starts and its file goes:
    // wait until the work folder and the list stop changing.
    QString last;
    auto since = std::chrono::steady_clock::now();
    EXPECT_TRUE(WaitUntil(
        [&] {
            QString now = QString::number(Rows().Count());
            for (const QFileInfo& f : QDir(work).entryInfoList(QDir::Files))
                now += f.fileName() + QString::number(f.size());
            if (std::exchange(last, now) != now)
                since = std::chrono::steady_clock::now();
            return std::chrono::steady_clock::now() - since > 700ms;
        },
        15s));
    Click(IDC_AUTO_RECORD);
    ASSERT_TRUE(WaitUntil([&] { return State() == RecorderState::Idle; }, 5s));

    EXPECT_EQ(user.shown, c.answers.size());
    ASSERT_EQ(Rows().Count(), c.recordings);
    EXPECT_EQ(Files("*.mp3").size(), c.recordings);
    EXPECT_TRUE(Files("*.snx").isEmpty());
    // The gate times its silence on the clock, so a capture thread that falls behind the
    // microphone trims each silent tail by up to about 3 s of scene time on a loaded
    // machine; the speech itself must be whole.
    const double speechSeconds = LoudSeconds(speech, kThreshold);
    const int segments = 2 / c.recordings;
    for (int row = 0; row < c.recordings; ++row) {
        const QString name = Rows().Row(row).text[COL_NAME];
        EXPECT_TRUE(c.answers.isEmpty() || c.answers.contains(name)) << name.toStdString();
        const Pcm p = DecodeMp3(work + name + ".mp3");
        ASSERT_EQ(p.rate, 32000) << name.toStdString();
        if (segments == 1) {
            EXPECT_NEAR(LoudSeconds(p.samples, kThreshold), speechSeconds, 0.3) << name.toStdString();
        }
        EXPECT_GE(p.Seconds(), segments * (speechSeconds + 15) - 2 - segments) << name.toStdString();
        EXPECT_LE(p.Seconds(), segments * (speechSeconds + 15) + segments) << name.toStdString();
        EXPECT_NEAR(RowSeconds(Rows().Row(row).text[COL_DURATION]), p.Seconds(), 1.0 + 0.5 * segments) << row;
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, AutoRecordingScene,
                         ::testing::Values(AutoRecordingCase{"SeparateFilesUnasked", false, {}, 2},
                                           AutoRecordingCase{"OneFileNamedAtTheEnd", false, {"Whole morning"}, 1},
                                           AutoRecordingCase{"ConfirmedOneByOne", true, {"First call", "Second"}, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

class SoundServerLoss : public RecordFromWindow {
protected:
    void SetUp() override
    {
        SetPrompt(&prompt);
        ASSERT_TRUE(server.Start()) << "the private " << server.Kind().toStdString() << " server did not start";
        OpenWindow("3");
        StartThreads();
    }
    ~SoundServerLoss() override { SetPrompt(nullptr); }
    long Told()
    {
        return std::ranges::count(prompt.ShownSoFar(), LoadText(IDS_SOUND_SERVER_LOST), &CScriptedPrompt::Shown::text);
    }
    // Plays into the microphone's feed without waiting for the end.
    void Speak(const QString& wav) { speaker.start("paplay", {"-d", "micfeed", wav}); }

    CScriptedPrompt prompt;
    CPrivateSoundServer server;
    QProcess speaker;
};

TEST_F(SoundServerLoss, ACallCutByTheServerIsStoredTheUserToldOnceAndListeningResumes)
{
    const QString speech = Speech("Good morning, this is the bank calling about your account. "
                                  "We would like to talk about your savings.");
    Click(IDC_AUTO_RECORD);
    ASSERT_EQ(State(), RecorderState::Listening);
    ASSERT_TRUE(WaitUntil([&] { return Capturing(); }, 5s));

    // The first call: voice starts a segment, then the server goes away mid-sentence.
    Speak(speech);
    ASSERT_TRUE(WaitUntil([&] { return State() == RecorderState::AutoRecording; }, 10s));
    WaitUntil([] { return false; }, 1500ms);
    ASSERT_TRUE(server.Stop());
    QElapsedTimer sinceLoss;
    sinceLoss.start();
    speaker.waitForFinished(5000);

    ASSERT_TRUE(WaitUntil([&] { return Files("*.mp3").size() == 1; }, 5s)) << "the call was not stored";
    EXPECT_FALSE(Capturing());
    EXPECT_EQ(State(), RecorderState::Listening);
    EXPECT_EQ(Rows().Count(), 1);
    ASSERT_TRUE(WaitUntil([&] { return Told() == 1; }, 3s));

    // Back after 5 s: listening resumes with no action, and nobody is told twice.
    WaitUntil([&] { return sinceLoss.elapsed() >= 5000; }, 5s);
    ASSERT_TRUE(server.Start());
    ASSERT_TRUE(WaitUntil([&] { return Capturing(); }, 5s)) << "capture did not resume";
    EXPECT_EQ(State(), RecorderState::Listening);

    // The second call is recorded as a call of its own.
    Speak(speech);
    ASSERT_TRUE(WaitUntil([&] { return State() == RecorderState::AutoRecording; }, 10s));
    speaker.waitForFinished(15000);
    ASSERT_TRUE(WaitUntil([&] { return Files("*.mp3").size() == 2; }, 10s));
    EXPECT_EQ(Rows().Count(), 2);
    for (const QString& file : Files("*.mp3"))
        EXPECT_GT(DecodeMp3(work + file).Seconds(), 1.0) << file.toStdString();
    EXPECT_EQ(prompt.ShownSoFar().size(), 1u);
    EXPECT_TRUE(Files("*.snx").isEmpty());
}

TEST_F(SoundServerLoss, AManualRecordingCutByTheServerIsStoredAndStartsAgainWhenItIsBack)
{
    CSaveDialogAnswerer user({"Cut note", "Restarted"});
    const QString speech = Speech("This is a dictated note about the meeting with the bank.");
    Click(IDC_RECORD);
    ASSERT_TRUE(WaitUntil([&] { return State() == RecorderState::Recording && Capturing(); }, 5s));
    ASSERT_TRUE(RunTool("paplay", {"-d", "micfeed", speech}));
    ASSERT_TRUE(server.Stop());

    // Stored as at a Stop, and the user told once.
    ASSERT_TRUE(WaitUntil([&] { return user.shown == 1 && State() == RecorderState::Idle; }, 5s));
    EXPECT_GT(DecodeMp3(work + "Cut note.mp3").Seconds(), 2.0);
    ASSERT_TRUE(WaitUntil([&] { return Told() == 1; }, 3s));

    // Back: a new manual recording runs without any action.
    ASSERT_TRUE(server.Start());
    ASSERT_TRUE(WaitUntil([&] { return State() == RecorderState::Recording && Capturing(); }, 5s));
    ASSERT_TRUE(RunTool("paplay", {"-d", "micfeed", speech}));
    Click(IDC_STOP);
    ASSERT_TRUE(WaitUntil([&] { return user.shown == 2 && State() == RecorderState::Idle; }, 5s));
    EXPECT_GT(DecodeMp3(work + "Restarted.mp3").Seconds(), 2.0);
    EXPECT_EQ(Rows().Count(), 2);
    EXPECT_EQ(prompt.ShownSoFar().size(), 1u);
}

}  // namespace
