// A work folder changed in the options while a real recording runs (the
// file-fed microphone, the real threads and encoder), the new folder on
// another file system: the recording is neither lost nor split nor left
// unlisted, and the list then shows the new folder.

#include "audio/FileWaveInput.h"
#include "audio/RecordSound.h"
#include "mainwnd/CallLogModel.h"
#include "mainwnd/MainDlg.h"
#include "mainwnd/MainDlgIds.h"
#include "mainwnd/RecordingControl.h"
#include "mainwnd/RecordingEngine.h"
#include "mainwnd/RecordingWindowAdapter.h"
#include "options/OptionsRegistry.h"
#include "platform/Clock.h"
#include "platform/Message.h"
#include "platform/Prompt.h"
#include "store/RecordingList.h"
#include "store/RecordingSave.h"

#include "support/EventWait.h"
#include "support/SoundFiles.h"
#include "support/TestFolders.h"

#include <QApplication>
#include <QDir>

#include <gtest/gtest.h>

#include <sys/mount.h>

using namespace sonvelle;
using namespace sonvelle::test;
using namespace std::chrono_literals;

namespace {

constexpr int kThreshold = 2000;
constexpr double kPace = 5.0;

class WorkFolderChangeWhileRecording : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folders.IsValid());
        QDir().mkpath(work);
        QDir().mkpath(other);
        // Another file system: every move into it is a copy.
        ASSERT_EQ(::mount("tmpfs", QFile::encodeName(other).constData(), "tmpfs", 0, "size=32m"), 0)
            << "tests run as root to mount a tmpfs";
        SetPrompt(&prompt);
        CRegKey key;
        ASSERT_TRUE(key.Create(Hive::CurrentUser, SettingsKeyPath()));
        // Short silence, one file, no bump filter: in the settings, which auto-recording and the
        // options read again, and in the window.
        for (auto [setting, text] : {std::pair{ESetting::WorkDir, work}, {ESetting::TempoAttesaRegAuto, QString("3")},
                                     {ESetting::SogliaAttivazioneRegAuto, QString::number(kThreshold)},
                                     {ESetting::RegAutoSalvaUnicoFile, QString("1")}, {ESetting::AntiBump, QString("0")}})
            Store(setting, text);
        dlg = std::make_unique<CMainDlg>();
        dlg->AppSettings().WorkDir = work;
        dlg->AppSettings().AntiBump = false;
        dlg->InitialiseWindowOnly();
        dlg->show();
    }
    void TearDown() override
    {
        dlg.reset();
        SetSystemClock(nullptr);
        SetPrompt(nullptr);
        ::umount2(QFile::encodeName(other).constData(), MNT_DETACH);
    }
    static void Store(ESetting setting, const QString& text)
    {
        COptionsKey key;
        ASSERT_TRUE(key.Open());
        key.Write(setting, text);
    }
    // The scene on the file-fed microphone: silence, then each speech followed by silence.
    void Feed(const std::vector<std::vector<short>>& speeches)
    {
        std::vector<short> scene = Tone(2 * 32000, 0, 0);
        for (const auto& speech : speeches) {
            scene.insert(scene.end(), speech.begin(), speech.end());
            const auto gap = Tone(8 * 32000, 0, 0);
            scene.insert(scene.end(), gap.begin(), gap.end());
        }
        const QString path = folders.Path("program/scene.wav");
        ASSERT_TRUE(WriteWav(path, scene));
        source = std::make_shared<CFileFedSource>(path, kPace);
        ASSERT_TRUE(source->Valid());
        sceneSamples = scene.size();
        SetSystemClock(source.get());
        dlg->RecordingEngine().CreateWorkerThreads();
        auto feed = source;
        dlg->RecordingEngine().Capture()->SetWaveInputFactory([feed] { return std::make_unique<CFileWaveInput>(feed); });
        dlg->RecordingEngine().StartWorkerThreads(SONVELLE_ENCODER_DIR, work);
    }
    void Click(int id)
    {
        PostMessageTo(dlg.get(), WM_COMMAND, static_cast<WPARAM>(id));
        QApplication::processEvents();
    }
    RecorderState State() { return dlg->RecordingControl().State(); }
    // Each save confirmed with the next name, as the save dialog confirms it (the dialog
    // itself is driven in RecordFromWindow).
    void NameEachRecording(QStringList names)
    {
        m_names = std::move(names);
        dlg->RecordingWindow().SetSaveStepForTesting([this](CRecordingEntry& entry, const QString& folder,
                                                            const QString& file) {
            QString audio = file;
            return !m_names.isEmpty() &&
                   ConfirmSaveRecording(entry, folder, audio, m_names.takeFirst(), entry.m_strNotes);
        });
    }
    // Audio left under a working name: nobody would ever list it.
    static QStringList Leftovers(const QString& folder)
    {
        QStringList names;
        for (const QFileInfo& f : QDir(folder).entryInfoList({"*.snx", "*.dtm", "*.tmp", "SEG_*", "AUTO_*", ".*.mp3.*"},
                                                             QDir::Files | QDir::Hidden))
            if (f.size() > 0)
                names << f.fileName();
        return names;
    }

    CTestFolders folders;
    const QString work = folders.WorkDir();
    const QString other = folders.Path("elsewhere/");
    CScriptedPrompt prompt;
    std::shared_ptr<CFileFedSource> source;
    std::size_t sceneSamples = 0;
    std::unique_ptr<CMainDlg> dlg;
    QStringList m_names;
};

TEST_F(WorkFolderChangeWhileRecording, AManualRecordingEndsWholeWhereItStartedThenTheFolderChanges)
{
    const auto speech = ReadWav(MakeSpeech(folders.Path("program"), "This call started in the first folder and ends there.")).samples;
    Feed({speech});
    NameEachRecording({"Started here"});
    Click(IDC_RECORD);
    ASSERT_EQ(State(), RecorderState::Recording);
    ASSERT_TRUE(WaitUntil([&] { return source->Position() > 3 * 32000; }, 10s));
    Store(ESetting::WorkDir, other);
    dlg->ApplyOptions();
    EXPECT_EQ(State(), RecorderState::Recording) << "the options ended the recording";
    ASSERT_TRUE(WaitUntil([&] { return source->Position() >= sceneSamples; }, 20s));
    Click(IDC_STOP);
    ASSERT_TRUE(WaitUntil([&] { return m_names.isEmpty() && State() == RecorderState::Idle; }, 10s));

    const double fed = double(sceneSamples) / 32000;
    const Pcm kept = DecodeMp3(work + "Started here.mp3");
    EXPECT_NEAR(kept.Seconds(), fed, 1.5);
    EXPECT_GT(Rms(kept.samples), 300.0);
    CRecordingList index;
    EXPECT_TRUE(index.Load(work) && index.FindByName("Started here")) << "not listed where it lies";
    EXPECT_EQ(dlg->AppSettings().WorkDir, other);
    EXPECT_EQ(dlg->CallLog().Model().Count(), 0);
    EXPECT_EQ(Leftovers(work), QStringList{});
}

TEST_F(WorkFolderChangeWhileRecording, OneFileAutoRecordingIsFinishedWholeAndGoesOnInTheNewFolder)
{
    const auto first = ReadWav(MakeSpeech(folders.Path("program"), "Good morning, the first call of the day.")).samples;
    const auto second = ReadWav(MakeSpeech(folders.Path("program"), "And this one belongs to the new folder.")).samples;
    Feed({first, second});
    NameEachRecording({"Before the change", "After the change"});
    Click(IDC_AUTO_RECORD);
    ASSERT_EQ(State(), RecorderState::Listening);
    // The first speech is in the single file, the second not yet begun.
    const std::uint64_t secondStarts = 2 * 32000 + first.size() + 8 * 32000;
    ASSERT_TRUE(WaitUntil([&] { return source->Position() > secondStarts - 2 * 32000; }, 30s));
    ASSERT_EQ(State(), RecorderState::Listening);
    Store(ESetting::WorkDir, other);
    dlg->ApplyOptions();
    EXPECT_EQ(State(), RecorderState::Listening);
    ASSERT_TRUE(WaitUntil([&] { return source->Position() >= sceneSamples; }, 30s));
    ASSERT_TRUE(WaitUntil([&] { return State() == RecorderState::Listening; }, 10s));
    Click(IDC_AUTO_RECORD);
    ASSERT_TRUE(WaitUntil([&] { return m_names.isEmpty() && State() == RecorderState::Idle; }, 10s));

    const double firstKept = LoudSeconds(first, kThreshold) + 3, secondKept = LoudSeconds(second, kThreshold) + 3;
    EXPECT_NEAR(DecodeMp3(work + "Before the change.mp3").Seconds(), firstKept, 1.5);
    EXPECT_NEAR(DecodeMp3(other + "After the change.mp3").Seconds(), secondKept, 1.5);
    CRecordingList index;
    EXPECT_TRUE(index.Load(work) && index.FindByName("Before the change")) << "not listed where it lies";
    ASSERT_EQ(dlg->CallLog().Model().Count(), 1);
    EXPECT_EQ(dlg->CallLog().Model().Row(0).text[COL_NAME], "After the change");
    EXPECT_EQ(Leftovers(work), QStringList{});
    EXPECT_EQ(Leftovers(other), QStringList{});
}

}  // namespace
