// The sound server going away in the middle of a call and coming back: the
// real main window listening for voice on a private server of its own
// (PulseAudio, or PipeWire's pulse server when SONVELLE_SOUND_SERVER_KIND is
// "pipewire"), which the test stops and starts again.

#include "audio/RecordSound.h"
#include "mainwnd/CallLogModel.h"
#include "mainwnd/MainDlg.h"
#include "mainwnd/MainDlgIds.h"
#include "mainwnd/RecordingControl.h"
#include "mainwnd/RecordingEngine.h"
#include "mainwnd/RecordingWindowAdapter.h"
#include "platform/Message.h"
#include "platform/ProgramFolder.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"
#include "store/RecordingEntry.h"
#include "support/EventWait.h"
#include "support/PrivateSoundServer.h"
#include "support/SoundFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace sonvelle;
using namespace sonvelle::test;

namespace {

class SoundServerLoss : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        SetProgramFolderForTesting(m_dir.path() + "/");
        SetPrompt(&prompt);
        work = m_dir.path() + "/work/";
        speechFolder = m_dir.path() + "/speech";
        QDir().mkpath(work);
        QDir().mkpath(speechFolder);
        server = std::make_unique<CPrivateSoundServer>();
        ASSERT_TRUE(server->Start()) << "the private " << server->Kind().toStdString() << " server did not start";
        dlg = std::make_unique<CMainDlg>();
        CAppSettings& s = dlg->AppSettings();
        s.WorkDir = work;
        s.TempoAttesaRegAuto = "3";
        s.RegAutoSalvaUnicoFile = "0";
        s.SogliaAttivazioneRegAuto = "2000";
        s.AntiBump = true;
        dlg->InitialiseWindowOnly();
        dlg->show();
        dlg->RecordingEngine().StartWorkerThreads(SONVELLE_ENCODER_DIR, work);
    }
    void TearDown() override
    {
        dlg.reset();
        server.reset();
        SetPrompt(nullptr);
        SetProgramFolderForTesting({});
    }
    void Click(int id)
    {
        PostMessageTo(dlg.get(), WM_COMMAND, static_cast<WPARAM>(id));
        QCoreApplication::processEvents();
    }
    RecorderState State() { return dlg->RecordingControl().State(); }
    CCallLogModel& Rows() { return dlg->CallLog().Model(); }
    QStringList Recordings() { return QDir(work).entryList({"*" + LoadText(IDS_EXT_MP3)}, QDir::Files); }
    int NoticesShown(int textId)
    {
        int n = 0;
        for (const auto& shown : prompt.ShownSoFar())
            n += shown.text == LoadText(textId);
        return n;
    }
    // Plays into the microphone's feed without waiting for the end.
    std::unique_ptr<QProcess> Speak(const QString& wav)
    {
        auto p = std::make_unique<QProcess>();
        p->start("paplay", {"-d", "micfeed", wav});
        return p;
    }

    CScriptedPrompt prompt;
    std::unique_ptr<CPrivateSoundServer> server;
    std::unique_ptr<CMainDlg> dlg;
    QString work;
    QString speechFolder;

private:
    QTemporaryDir m_dir;
};

TEST_F(SoundServerLoss, ACallCutByTheServerIsStoredTheUserToldOnceAndListeningResumes)
{
    const QString speech = MakeSpeech(speechFolder, "Good morning, this is the bank calling about your account. "
                                                           "We would like to talk about your savings.");
    ASSERT_FALSE(speech.isEmpty());
    CRecordSound* capture = dlg->RecordingEngine().Capture();
    Click(IDC_AUTO_RECORD);
    ASSERT_EQ(State(), RecorderState::Listening);
    ASSERT_TRUE(WaitUntil([&] { return capture->IsRecording(); }, std::chrono::milliseconds(5000)));

    // The first call: voice starts a segment, then the server goes away mid-sentence.
    auto first = Speak(speech);
    ASSERT_TRUE(WaitUntil([&] { return State() == RecorderState::AutoRecording; }, std::chrono::milliseconds(10000)));
    WaitUntil([] { return false; }, std::chrono::milliseconds(1500));
    ASSERT_TRUE(server->Stop());
    QElapsedTimer sinceLoss;
    sinceLoss.start();
    first->waitForFinished(5000);

    ASSERT_TRUE(WaitUntil([&] { return Recordings().size() == 1; }, std::chrono::milliseconds(2000 + 3000))) << "the call was not stored";
    EXPECT_FALSE(capture->IsRecording());
    EXPECT_EQ(State(), RecorderState::Listening);
    EXPECT_EQ(Rows().Count(), 1);
    const Pcm cut = DecodeMp3(work + Recordings().front());
    EXPECT_EQ(cut.rate, 32000);
    EXPECT_GT(cut.Seconds(), 1.0);
    ASSERT_TRUE(WaitUntil([&] { return NoticesShown(433) == 1; }, std::chrono::milliseconds(3000)));

    // Back after 5 s: listening resumes with no action, and nobody is told twice.
    while (sinceLoss.elapsed() < 5000)
        WaitUntil([] { return false; }, std::chrono::milliseconds(50));
    ASSERT_TRUE(server->Start());
    ASSERT_TRUE(WaitUntil([&] { return capture->IsRecording(); }, std::chrono::milliseconds(5000))) << "capture did not resume";
    EXPECT_EQ(State(), RecorderState::Listening);

    // The second call is recorded as a call of its own.
    auto second = Speak(speech);
    ASSERT_TRUE(WaitUntil([&] { return State() == RecorderState::AutoRecording; }, std::chrono::milliseconds(10000)));
    second->waitForFinished(15000);
    ASSERT_TRUE(WaitUntil([&] { return Recordings().size() == 2; }, std::chrono::milliseconds(10000)));
    EXPECT_EQ(Rows().Count(), 2);
    for (const QString& file : Recordings())
        EXPECT_GT(DecodeMp3(work + file).Seconds(), 1.0) << file.toStdString();
    EXPECT_EQ(prompt.ShownSoFar().size(), 1u);
    EXPECT_TRUE(QDir(work).entryList({"*.snx"}, QDir::Files).isEmpty());
    Click(IDC_AUTO_RECORD);
    EXPECT_EQ(State(), RecorderState::Idle);
}

TEST_F(SoundServerLoss, AManualRecordingCutByTheServerIsStoredAndStartsAgainWhenItIsBack)
{
    int saved = 0;
    dlg->RecordingWindow().SetSaveStepForTesting([&](CRecordingEntry& entry, const QString& folder, const QString& file) {
        const QString from = file.isEmpty() ? entry.m_strFolder + LoadText(IDS_TEMP_RECORDING_FILE) : file;
        ++saved;
        entry.m_strName = QString("Manual %1").arg(saved);
        entry.m_strFolder = folder;
        entry.SetState(kStateTagPending);
        return QFile::rename(from, folder + entry.m_strName + LoadText(IDS_EXT_MP3));
    });
    const QString speech = MakeSpeech(speechFolder, "This is a dictated note about the meeting with the bank.");
    ASSERT_FALSE(speech.isEmpty());
    CRecordSound* capture = dlg->RecordingEngine().Capture();
    Click(IDC_RECORD);
    ASSERT_EQ(State(), RecorderState::Recording);
    ASSERT_TRUE(WaitUntil([&] { return capture->IsRecording(); }, std::chrono::milliseconds(5000)));
    auto note = Speak(speech);
    note->waitForFinished(15000);
    ASSERT_TRUE(server->Stop());

    // Stored as at a Stop, and the user told once.
    ASSERT_TRUE(WaitUntil([&] { return saved == 1 && State() == RecorderState::Idle; }, std::chrono::milliseconds(5000)));
    EXPECT_GT(DecodeMp3(work + "Manual 1" + LoadText(IDS_EXT_MP3)).Seconds(), 2.0);
    ASSERT_TRUE(WaitUntil([&] { return NoticesShown(433) == 1; }, std::chrono::milliseconds(3000)));

    // Back: a new manual recording runs without any action.
    ASSERT_TRUE(server->Start());
    ASSERT_TRUE(WaitUntil([&] { return State() == RecorderState::Recording && capture->IsRecording(); }, std::chrono::milliseconds(5000)));
    Speak(speech)->waitForFinished(15000);
    Click(IDC_STOP);
    ASSERT_TRUE(WaitUntil([&] { return saved == 2 && State() == RecorderState::Idle; }, std::chrono::milliseconds(5000)));
    EXPECT_GT(DecodeMp3(work + "Manual 2" + LoadText(IDS_EXT_MP3)).Seconds(), 2.0);
    EXPECT_EQ(Rows().Count(), 2);
    EXPECT_EQ(prompt.ShownSoFar().size(), 1u);
}

}  // namespace
