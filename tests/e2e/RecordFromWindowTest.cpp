// Recording from the real main window, offscreen: posted clicks, the real
// capture and writer threads, encoder and files, the sound server or the
// file-fed microphone; a script answers the save dialog as a user would.

#include "audio/FileWaveInput.h"
#include "audio/RecordSound.h"
#include "mainwnd/CallLogModel.h"
#include "mainwnd/MainDlg.h"
#include "mainwnd/MainDlgIds.h"
#include "mainwnd/RecordingControl.h"
#include "mainwnd/RecordingEngine.h"
#include "mainwnd/RecordingWindowAdapter.h"
#include "platform/Clock.h"
#include "platform/FileOps.h"
#include "platform/Message.h"
#include "platform/ProgramFolder.h"
#include "resources/StringTable.h"
#include "store/RecordingEntry.h"
#include "store/RecordingList.h"
#include "storeui/SaveRecordingDlg.h"
#include "E2eMedia.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QPointer>
#include <QThread>

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

using namespace sonvelle;
using namespace sonvelle::e2e;

namespace {

void Pump(int ms)
{
    WaitFor([] { return false; }, ms);
}

// Seconds of audio mpg123 decodes from the file; negative when it cannot.
double DecodedSeconds(const QString& mp3)
{
    const Pcm p = Decode(mp3);
    return p.rate == 32000 && p.channels == 1 ? p.Seconds() : -1;
}

// "mm:ss" of the call log's duration column.
int RowSeconds(const QString& text)
{
    const QStringList parts = text.split(':');
    return parts.size() == 2 ? parts[0].toInt() * 60 + parts[1].toInt() : -1;
}

int SinkInputs()
{
    QProcess p;
    p.start("pactl", {"list", "short", "sink-inputs"});
    p.waitForFinished(5000);
    return static_cast<int>(QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts).size());
}

// Answers the save dialog: each answer a name to confirm, or empty to cancel.
struct ScriptedSaveDialog {
    std::vector<QString> answers;
    std::vector<QString> files;

    bool operator()(CRecordingEntry& entry, const QString& folder, const QString& file)
    {
        files.push_back(file);
        const QString answer = answers.empty() ? entry.m_strName : answers.front();
        if (!answers.empty())
            answers.erase(answers.begin());
        entry.SetState(kStateTagPending);
        if (answer.isEmpty()) {
            entry.m_strKeyWord = "**del**";
            return false;
        }
        const QString from = file.isEmpty() ? entry.m_strFolder + LoadText(25) : file;
        if (MoveFileNoReplace(from, folder + answer + ".mp3") != FileError::None)
            return false;
        entry.m_strFolder = folder;
        entry.m_strName = answer;
        return true;
    }
};

class RecordFromWindow : public ::testing::Test {
protected:
    static constexpr int kThreshold = 2000;

    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        SetProgramFolderForTesting(m_dir.path() + "/");
        work = m_dir.path() + "/work/";
        QDir().mkpath(work);
        dlg = std::make_unique<CMainDlg>();
        CAppSettings& s = dlg->AppSettings();
        s.WorkDir = work;
        s.TempoAttesaRegAuto = "15";
        s.RegAutoSalvaUnicoFile = "0";
        s.SogliaAttivazioneRegAuto = QString::number(kThreshold);
        s.AntiBump = true;
        dlg->RecordingWindow().SetSaveStepForTesting([this](CRecordingEntry& e, const QString& folder, const QString& file) {
            return save(e, folder, file);
        });
        dlg->InitialiseWindowOnly();
        dlg->show();
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

    void TearDown() override
    {
        dlg.reset();
        SetSystemClock(nullptr);
        SetProgramFolderForTesting({});
    }

    // The file-fed microphone, faster than life; the process clock follows it.
    void UseFileMicrophone(const std::vector<short>& scene, double speed)
    {
        const QString path = m_dir.path() + "/scene.wav";
        ASSERT_TRUE(WriteWav(path, scene));
        source = std::make_shared<CFileFedSource>(path, speed);
        ASSERT_TRUE(source->Valid());
        SetSystemClock(source.get());
        dlg->RecordingEngine().CreateWorkerThreads();
        dlg->RecordingEngine().Capture()->SetWaveInputFactory(
            [src = source] { return std::make_unique<CFileWaveInput>(src); });
    }

    // 5 s silence, speech, 20 s silence, speech, 17 s silence, a 0.1 s click, 5 s silence.
    // segmentSeconds: what the gate keeps of each speech, from its first loud
    // sample to 15 s after its last.
    std::vector<short> Scene(double& segmentSeconds)
    {
        const QString file = MakeSpeech(work, "Good morning, this is the bank calling about your account.");
        std::vector<short> speech = ReadWav(file).samples;
        int firstLoud = -1, lastLoud = -1;
        for (size_t i = 0; i < speech.size(); ++i) {
            if (speech[i] >= kThreshold) {
                if (firstLoud < 0)
                    firstLoud = static_cast<int>(i);
                lastLoud = static_cast<int>(i);
            }
        }
        segmentSeconds = (lastLoud - firstLoud) / 32000.0 + 15;
        std::vector<short> scene(5 * 32000, 0);
        const auto silence = [&](double seconds) { scene.insert(scene.end(), static_cast<size_t>(seconds * 32000), 0); };
        scene.insert(scene.end(), speech.begin(), speech.end());
        silence(20);
        scene.insert(scene.end(), speech.begin(), speech.end());
        silence(17);
        for (int i = 0; i < 3200; ++i)
            scene.push_back(static_cast<short>(20000 * std::sin(2 * 3.14159265 * 1000 * i / 32000.0)));
        silence(5);
        return scene;
    }

    double SceneSeconds(const std::vector<short>& scene) const { return static_cast<double>(scene.size()) / 32000.0; }

    QString work;
    std::unique_ptr<CMainDlg> dlg;
    ScriptedSaveDialog save;
    std::shared_ptr<CFileFedSource> source;

private:
    QTemporaryDir m_dir;
};

TEST_F(RecordFromWindow, ManualRecordingIsSavedListedAndPlaysBack)
{
    ASSERT_EQ(QProcess::execute("pactl", {"info"}), 0) << "no sound server: run scripts/sound-server start";
    const QString speech = MakeSpeech(work, "Hello, this is a call with the bank about my savings account.");
    ASSERT_FALSE(speech.isEmpty());
    StartThreads();
    save.answers = {"Call with the bank"};

    Click(IDC_RECORD);
    ASSERT_EQ(State(), 2);
    CRecordSound* capture = dlg->RecordingEngine().Capture();
    ASSERT_TRUE(WaitFor([&] { return capture->IsRecording(); }, 5000));
    QElapsedTimer captured;
    captured.start();
    ASSERT_EQ(QProcess::execute("paplay", {"-d", "micfeed", speech}), 0);
    Pump(300);
    Click(IDC_STOP);
    const double seconds = captured.elapsed() / 1000.0;
    ASSERT_TRUE(WaitFor([&] { return State() == 0; }, 5000));

    ASSERT_EQ(save.files.size(), 1u);
    const QString file = work + "Call with the bank.mp3";
    ASSERT_TRUE(QFile::exists(file));
    ASSERT_GT(Rows().Count(), 0);
    EXPECT_EQ(Rows().Row(0).text[COL_NAME], "Call with the bank");
    EXPECT_NEAR(RowSeconds(Rows().Row(0).text[COL_DURATION]), seconds, 1.0);
    EXPECT_EQ(Rows().Row(0).text[COL_DATE], QDate::currentDate().toString("dd/MM/yyyy"));

    // The tag carries the name and the date, read back by a catalogue of its own.
    CRecordingList reader;
    CRecordingEntry fromTag;
    reader.ReadEntryTags(file, fromTag, work, false);
    EXPECT_EQ(fromTag.m_strName, "Call with the bank");
    EXPECT_EQ(fromTag.m_dtDate.ToQDateTime().date(), QDate::currentDate());

    EXPECT_NEAR(DecodedSeconds(file), seconds, 0.2);

    // Play it: a playback stream appears, the position moves, the end returns to idle.
    dlg->CallLog().SelectRow(0);
    const int streamsBefore = SinkInputs();
    Click(IDC_PLAY);
    ASSERT_EQ(State(), 1);
    Pump(500);
    EXPECT_GT(SinkInputs(), streamsBefore);
    std::uint32_t length = 0, first = 0, later = 0;
    dlg->RecordingEngine().RecordingsPlayer().GetStatus(length, first);
    Pump(1000);
    dlg->RecordingEngine().RecordingsPlayer().GetStatus(length, later);
    EXPECT_GT(later, first);
    EXPECT_TRUE(WaitFor([&] { return State() == 0; }, static_cast<int>(length) + 5000));
}

TEST_F(RecordFromWindow, AutoRecordingSeparateFilesStoresSpeechAndDropsTheClick)
{
    double segmentSeconds = 0;
    const std::vector<short> scene = Scene(segmentSeconds);
    UseFileMicrophone(scene, 5.0);
    StartThreads();

    Click(IDC_AUTO_RECORD);
    ASSERT_EQ(State(), 4);
    ASSERT_TRUE(WaitFor([&] { return source->Position() > scene.size(); },
                        static_cast<int>(SceneSeconds(scene) / 5.0 * 1000) + 15000));
    Pump(1500);  // the click's segment ends 2 s (of scene time) after it started

    EXPECT_EQ(Rows().Count(), 2);
    EXPECT_EQ(Files("*.mp3").size(), 2u);
    EXPECT_TRUE(Files("*.snx").isEmpty()) << Files("*.snx").join(",").toStdString();
    EXPECT_TRUE(save.files.empty());
    for (int row = 0; row < Rows().Count(); ++row) {
        const double length = DecodedSeconds(work + Rows().Row(row).text[COL_NAME] + ".mp3");
        EXPECT_NEAR(length, segmentSeconds, 1.0) << row;
        EXPECT_NEAR(RowSeconds(Rows().Row(row).text[COL_DURATION]), segmentSeconds, 1.5) << row;
    }
    Click(IDC_AUTO_RECORD);
    EXPECT_EQ(State(), 0);
}

TEST_F(RecordFromWindow, AutoRecordingOneFileAddsTheSegmentsUp)
{
    dlg->AppSettings().RegAutoSalvaUnicoFile = "1";
    double segmentSeconds = 0;
    const std::vector<short> scene = Scene(segmentSeconds);
    UseFileMicrophone(scene, 5.0);
    StartThreads();
    save.answers = {"Whole morning"};

    Click(IDC_AUTO_RECORD);
    ASSERT_TRUE(WaitFor([&] { return source->Position() > scene.size(); },
                        static_cast<int>(SceneSeconds(scene) / 5.0 * 1000) + 15000));
    Pump(1500);
    ASSERT_EQ(State(), 4);
    EXPECT_EQ(Rows().Count(), 1);
    Click(IDC_AUTO_RECORD);
    ASSERT_TRUE(WaitFor([&] { return State() == 0; }, 5000));

    ASSERT_EQ(save.files.size(), 1u);
    const QString file = work + "Whole morning.mp3";
    ASSERT_TRUE(QFile::exists(file));
    EXPECT_EQ(Rows().Count(), 1);
    const double expected = 2 * segmentSeconds;
    EXPECT_NEAR(RowSeconds(Rows().Row(0).text[COL_DURATION]), expected, 2.0);
    EXPECT_NEAR(DecodedSeconds(file), expected, 2.0);
    EXPECT_TRUE(Files("*.snx").isEmpty());
}

// The real save dialog, answered as a user would: type the name, press Save.
class CSaveDialogAnswerer : public QObject {
public:
    explicit CSaveDialogAnswerer(std::vector<QString> names) : m_names(std::move(names))
    {
        connect(&m_timer, &QTimer::timeout, this, [this] { Answer(); });
        m_timer.start(50);
    }
    int Shown() const { return m_shown; }

private:
    void Answer()
    {
        auto* dialog = qobject_cast<CSaveRecordingDlg*>(QApplication::activeModalWidget());
        if (!dialog || m_names.empty() || dialog == m_last)
            return;
        m_last = dialog;
        ++m_shown;
        dialog->NameField()->setText(m_names.front());
        m_names.erase(m_names.begin());
        dialog->ConfirmButton()->click();
    }

    std::vector<QString> m_names;
    QTimer m_timer;
    QPointer<CSaveRecordingDlg> m_last;
    int m_shown = 0;
};

TEST_F(RecordFromWindow, AutoRecordingWithConfirmationAsksForEachRecording)
{
    dlg->AppSettings().ChiediConfermaAutoRec = true;
    dlg->RecordingWindow().SetSaveStepForTesting(nullptr);
    CSaveDialogAnswerer user({"First call", "Second call"});
    double segmentSeconds = 0;
    const std::vector<short> scene = Scene(segmentSeconds);
    UseFileMicrophone(scene, 5.0);
    StartThreads();

    Click(IDC_AUTO_RECORD);
    ASSERT_TRUE(WaitFor([&] { return source->Position() > scene.size(); },
                        static_cast<int>(SceneSeconds(scene) / 5.0 * 1000) + 15000));
    Pump(1500);
    Click(IDC_AUTO_RECORD);

    EXPECT_EQ(user.Shown(), 2);
    EXPECT_NEAR(DecodedSeconds(work + "First call.mp3"), segmentSeconds, 1.0);
    EXPECT_NEAR(DecodedSeconds(work + "Second call.mp3"), segmentSeconds, 1.0);
    EXPECT_EQ(Rows().Count(), 2);
    EXPECT_TRUE(Files("*.snx").isEmpty());
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
    qputenv("XDG_DATA_HOME", home.filePath("data").toUtf8());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
