// Recording from the real main window, offscreen: posted clicks, the real
// capture and writer threads, encoder and files, the sound server or the
// file-fed microphone; the save dialog is answered as a user would.

#include "audio/FileWaveInput.h"
#include "audio/RecordSound.h"
#include "audio/WriteSoundFile.h"
#include "mainwnd/CallLogModel.h"
#include "mainwnd/MainDlg.h"
#include "mainwnd/MainDlgIds.h"
#include "mainwnd/RecordingControl.h"
#include "mainwnd/RecordingEngine.h"
#include "platform/Clock.h"
#include "platform/Message.h"
#include "store/RecordingList.h"
#include "storeui/SaveRecordingDlg.h"

#include "support/EventWait.h"
#include "support/SoundFiles.h"
#include "support/TestFolders.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace sonvelle;
using namespace sonvelle::test;
using namespace std::chrono_literals;

namespace {

// Seconds of audio mpg123 decodes from the file; negative when it cannot.
double DecodedSeconds(const QString& mp3)
{
    const Pcm p = DecodeMp3(mp3);
    return p.rate == 32000 && p.channels == 1 ? p.Seconds() : -1;
}

// The gate times its silence on the clock, so a capture thread that falls behind the
// five-times-paced microphone trims the silent tail, by up to about 3 s of scene time
// on a loaded machine; the speech itself must be whole.
void ExpectWholeSpeechAndTail(const QString& mp3, double speechSeconds, int threshold, double tailSeconds)
{
    const Pcm p = DecodeMp3(mp3);
    ASSERT_EQ(p.rate, 32000) << mp3.toStdString();
    EXPECT_NEAR(LoudSeconds(p.samples, threshold), speechSeconds, 0.3) << mp3.toStdString();
    EXPECT_GE(p.Seconds(), speechSeconds + tailSeconds - 3.0) << mp3.toStdString();
    EXPECT_LE(p.Seconds(), speechSeconds + tailSeconds + 1.0) << mp3.toStdString();
}

// "mm:ss" of the call log's duration column.
int RowSeconds(const QString& text)
{
    const QStringList parts = text.split(':');
    return parts.size() == 2 ? parts[0].toInt() * 60 + parts[1].toInt() : -1;
}

// The save dialog, answered as a user would: type the name and press Save.
class CSaveDialogAnswerer : public QObject {
public:
    explicit CSaveDialogAnswerer(std::vector<QString> names) : m_names(std::move(names))
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto* dialog = qobject_cast<CSaveRecordingDlg*>(QApplication::activeModalWidget());
            if (!dialog || dialog == m_last)
                return;
            m_last = dialog;
            ++shown;
            if (m_names.empty()) {
                dialog->reject();
                return;
            }
            dialog->NameField()->setText(m_names.front());
            m_names.erase(m_names.begin());
            dialog->ConfirmButton()->click();
        });
        m_timer.start(50);
    }
    int shown = 0;

private:
    std::vector<QString> m_names;
    QTimer m_timer;
    QPointer<CSaveRecordingDlg> m_last;
};

class RecordFromWindow : public ::testing::Test {
protected:
    static constexpr int kThreshold = 2000;

    void SetUp() override
    {
        ASSERT_TRUE(folders.IsValid());
        dlg = std::make_unique<CMainDlg>();
        CAppSettings& s = dlg->AppSettings();
        s.WorkDir = work;
        s.TempoAttesaRegAuto = "15";
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
    int State() { return static_cast<int>(dlg->RecordingControl().State()); }
    CCallLogModel& Rows() { return dlg->CallLog().Model(); }
    QStringList Files(const QString& pattern) { return QDir(work).entryList({pattern}, QDir::Files); }

    // Auto-recording over a scene on the file-fed microphone at five times the pace:
    // 5 s silence, speech, 20 s silence, speech, 17 s silence, a 0.1 s click, 5 s silence.
    // Returns the length of each speech, first loud sample to last.
    double RunAutoRecordingScene()
    {
        const std::vector<short> speech =
            ReadWav(MakeSpeech(work, "Good morning, this is the bank calling about your account.")).samples;
        std::vector<short> scene;
        for (const auto& part : {Tone(5 * 32000, 0, 0), speech, Tone(20 * 32000, 0, 0), speech, Tone(17 * 32000, 0, 0),
                                 Tone(3200, 1000, 20000), Tone(5 * 32000, 0, 0)})
            scene.insert(scene.end(), part.begin(), part.end());
        const QString path = folders.Path("program/scene.wav");
        EXPECT_TRUE(WriteWav(path, scene));
        auto source = std::make_shared<CFileFedSource>(path, 5.0);
        EXPECT_TRUE(source->Valid());
        SetSystemClock(source.get());
        dlg->RecordingEngine().CreateWorkerThreads();
        dlg->RecordingEngine().Capture()->SetWaveInputFactory([source] { return std::make_unique<CFileWaveInput>(source); });
        StartThreads();

        Click(IDC_AUTO_RECORD);
        EXPECT_EQ(State(), 4);
        const auto sceneTime = std::chrono::milliseconds(scene.size() * 1000 / 32000 / 5);
        EXPECT_TRUE(WaitUntil([&] { return source->Position() > scene.size(); }, sceneTime + 15s));
        // The click's segment ends 2 s of scene time after it starts and its file goes:
        // wait until the work folder and the list stop changing.
        QString last;
        auto since = std::chrono::steady_clock::now();
        EXPECT_TRUE(WaitUntil(
            [&] {
                QString now = QString::number(Rows().Count());
                for (const QFileInfo& f : QDir(work).entryInfoList(QDir::Files))
                    now += f.fileName() + QString::number(f.size());
                if (now != last) {
                    last = now;
                    since = std::chrono::steady_clock::now();
                }
                return std::chrono::steady_clock::now() - since > 700ms;
            },
            15s));
        return LoudSeconds(speech, kThreshold);
    }

    CTestFolders folders;
    const QString work = folders.WorkDir();
    std::unique_ptr<CMainDlg> dlg;
};

TEST_F(RecordFromWindow, ManualRecordingIsSavedListedTaggedAndPlaysBack)
{
    ASSERT_TRUE(SoundServerAnswers()) << "no sound server: run scripts/sound-server start";
    const QString speech = MakeSpeech(work, "Hello, this is a call with the bank about my savings account.");
    ASSERT_FALSE(speech.isEmpty());
    StartThreads();
    CSaveDialogAnswerer user({"Call with the bank"});

    Click(IDC_RECORD);
    ASSERT_EQ(State(), 2);
    ASSERT_TRUE(WaitUntil([&] { return dlg->RecordingEngine().Capture()->IsRecording(); }, 5s));
    QElapsedTimer captured;
    captured.start();
    ASSERT_TRUE(RunTool("paplay", {"-d", "micfeed", speech}));
    WaitUntil([] { return false; }, 300ms);  // the microphone trails the feed
    Click(IDC_STOP);
    const double seconds = captured.elapsed() / 1000.0;
    ASSERT_TRUE(WaitUntil([&] { return State() == 0; }, 5s));

    ASSERT_EQ(user.shown, 1);
    const QString file = work + "Call with the bank.mp3";
    ASSERT_GT(Rows().Count(), 0);
    EXPECT_EQ(Rows().Row(0).text[COL_NAME], "Call with the bank");
    EXPECT_NEAR(RowSeconds(Rows().Row(0).text[COL_DURATION]), seconds, 1.0);
    EXPECT_EQ(Rows().Row(0).text[COL_DATE], QDate::currentDate().toString("dd/MM/yyyy"));
    const Pcm decoded = DecodeMp3(file);
    EXPECT_NEAR(decoded.Seconds(), seconds, 0.2);
    EXPECT_EQ(decoded.rate, 32000);
    EXPECT_GT(Rms(decoded.samples), 300.0) << "silence instead of the speech";
    // The tag carries the name and the date, read back by a catalogue of its own.
    CRecordingList reader;
    CRecordingEntry fromTag;
    reader.ReadEntryTags(file, fromTag, work, false);
    EXPECT_EQ(fromTag.m_strName, "Call with the bank");
    EXPECT_EQ(fromTag.m_dtDate.ToQDateTime().date(), QDate::currentDate());

    // Play it: a playback stream appears, the position moves, the end returns to idle.
    dlg->CallLog().SelectRow(0);
    const int streamsBefore = PlaybackStreams(false);
    Click(IDC_PLAY);
    ASSERT_EQ(State(), 1);
    EXPECT_TRUE(WaitUntil([&] { return PlaybackStreams(false) > streamsBefore; }, 3s));
    CSoundPlayer& player = dlg->RecordingEngine().RecordingsPlayer();
    std::uint32_t length = 0, position = 0;
    EXPECT_TRUE(WaitUntil([&] { return player.GetStatus(length, position), position > 0; }, 5s));
    EXPECT_TRUE(WaitUntil([&] { return State() == 0; }, std::chrono::milliseconds(length) + 5s));
}

TEST_F(RecordFromWindow, AutoRecordingSeparateFilesStoresSpeechAndDropsTheClick)
{
    CSaveDialogAnswerer user({});
    const double speechSeconds = RunAutoRecordingScene();
    EXPECT_EQ(Rows().Count(), 2);
    EXPECT_EQ(Files("*.mp3").size(), 2u);
    EXPECT_EQ(user.shown, 0) << "asked although confirmation is off";
    for (int row = 0; row < Rows().Count(); ++row) {
        const QString file = work + Rows().Row(row).text[COL_NAME] + ".mp3";
        ExpectWholeSpeechAndTail(file, speechSeconds, kThreshold, 15);
        EXPECT_NEAR(RowSeconds(Rows().Row(row).text[COL_DURATION]), DecodedSeconds(file), 1.5) << row;
    }
    Click(IDC_AUTO_RECORD);
    EXPECT_EQ(State(), 0);
}

TEST_F(RecordFromWindow, AutoRecordingOneFileAddsTheSegmentsUp)
{
    dlg->AppSettings().RegAutoSalvaUnicoFile = "1";
    CSaveDialogAnswerer user({"Whole morning"});
    const double speechSeconds = RunAutoRecordingScene();
    ASSERT_EQ(State(), 4);
    Click(IDC_AUTO_RECORD);
    ASSERT_TRUE(WaitUntil([&] { return State() == 0; }, 5s));
    ASSERT_EQ(user.shown, 1);
    EXPECT_EQ(Rows().Count(), 1);
    const double seconds = DecodedSeconds(work + "Whole morning.mp3");
    EXPECT_GE(seconds, 2 * (speechSeconds + 15) - 4.0);
    EXPECT_LE(seconds, 2 * (speechSeconds + 15) + 2.0);
    EXPECT_NEAR(RowSeconds(Rows().Row(0).text[COL_DURATION]), seconds, 2.0);
    EXPECT_TRUE(Files("*.snx").isEmpty());
}

TEST_F(RecordFromWindow, AutoRecordingWithConfirmationAsksForEachRecording)
{
    dlg->AppSettings().ChiediConfermaAutoRec = true;
    CSaveDialogAnswerer user({"First call", "Second call"});
    const double speechSeconds = RunAutoRecordingScene();
    Click(IDC_AUTO_RECORD);
    EXPECT_EQ(user.shown, 2);
    for (const char* name : {"First call", "Second call"})
        ExpectWholeSpeechAndTail(work + name + ".mp3", speechSeconds, kThreshold, 15);
    EXPECT_EQ(Rows().Count(), 2);
}

}  // namespace
