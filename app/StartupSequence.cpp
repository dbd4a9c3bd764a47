#include "StartupSequence.h"

#include "RecordingNotices.h"
#include "RecordingSalvage.h"

#include "platform/Log.h"
#include "platform/Messages.h"
#include "platform/ModuleName.h"
#include "platform/ProgramFolder.h"
#include "platform/Prompt.h"
#include "platform/SoundCardProbe.h"
#include "platform/WorkerThread.h"
#include "resources/StringTable.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace sonvelle {

namespace {
constexpr int kCloseWaitStepMs = 100;
constexpr int kCloseWaitLimitMs = 10000;
constexpr int kNoticeDelayMs = 2000;
}  // namespace

CStartupSequence::CStartupSequence(IMainWindowHost& host, CAppSettings& settings)
    : m_host(host),
      m_settings(settings),
      m_store(settings),
      m_probe(&ControlloPresenzaScheda),
      m_sleep([](int ms) { QThread::msleep(static_cast<unsigned long>(ms)); })
{
}

bool CStartupSequence::OnInitDialog()
{
    using namespace StartupControl;
    m_host.BeginWaitCursor();
    m_largeFonts = m_host.HasLargeFonts();
    m_host.SetupControls();

    m_programFolder = m_programFolderOverride.isEmpty() ? sonvelle::ProgramFolder()
                                                        : WithTrailingSlash(m_programFolderOverride);
    DeleteLog();

    // Only looked for here; the writer thread loads it when it needs it.
    if (!QFileInfo(m_programFolder + PlatformModuleName(LoadText(IDS_ENCODER_LIBRARY))).isFile()) {
        m_closingForMissingLibrary = true;
        MessageBox(LoadText(IDS_ENCODER_LOAD_ERROR), PromptIcon::Stop);
        m_host.PostCloseToSelf();
        m_host.EndWaitCursor();
        return false;
    }

    m_host.SetWindowIcons();
    m_host.CreateWorkerThreads();

    const CStartupLoad load = m_store.LoadAtStartup(m_programFolder);
    m_host.SetCaption(load.caption);
    if (load.sendDisabled)
        m_host.EnableControl(Send, false);
    m_firstStart = load.firstStart;
    m_realignPending = load.realignPending;
    if (load.noticeTimer != 0)
        m_host.StartOneShotTimer(load.noticeTimer, kNoticeDelayMs);

    // Before any capture can reuse the writer's files: what the last run left
    // unstored becomes recordings, which the catalogue then lists.
    m_salvaged = CRecordingSalvage(m_settings.WorkDir).Run();
    if (!m_salvaged.isEmpty())
        m_host.StartOneShotTimer(kTimerSalvageNotice, kNoticeDelayMs);

    m_host.StartWorkerThreads(m_programFolder, m_settings.WorkDir);
    m_host.SetRecordingStateIdle();
    m_host.LogMixerLines();

    m_soundCardPresent = m_probe();
    if (!m_soundCardPresent) {
        MessageBox(LoadText(IDS_NO_SOUND_CARD), PromptIcon::Exclamation);
        for (int id : {Record, AutoRecording, Play, FastForward, FastRewind, StopPlay, Stop, Pause})
            m_host.EnableControl(id, false);
    } else {
        m_host.SetupMixer(m_settings, m_firstStart);
    }

    m_host.LoadCatalogueAndFillList(m_settings);
    m_host.EnableControl(Stop, false);
    if (m_settings.AvviaInAutoReg)
        m_host.SwitchAutoRecordingOn();
    if (m_settings.StartInTray)
        m_host.HideToTray();
    m_host.ClearPlayState();
    for (int id : {Save, Pause, FastForward, FastRewind})
        m_host.EnableControl(id, false);
    m_host.EndWaitCursor();
    return true;
}

bool CStartupSequence::OnTimer(int id)
{
    if (id == CSettingsStore::kTimerWorkFolderUnreachable) {
        MessageBox(LoadText(IDS_FOLDER_UNREACHABLE), PromptIcon::Exclamation);
        return true;
    }
    if (id == kTimerSalvageNotice) {
        TellRecordingsSalvaged(m_salvaged);
        return true;
    }
    if (id == CSettingsStore::kTimerWorkFolderBack) {
        MessageBox(LoadText(IDS_FOLDER_BACK), PromptIcon::Exclamation);
        // The import starts in the fallback folder while the realignment is pending.
        m_host.ImportAfterRealignment(CSettingsStore::FallbackWorkFolder(DataFolder()));
        return true;
    }
    return false;
}

void CStartupSequence::OnClose()
{
    WriteLog(QStringLiteral("Inizio chiusura applicazione"));
    m_host.BeginWaitCursor();
    if (m_closingForMissingLibrary) {
        WriteLog(QStringLiteral("Chiusura per mancanza DLL"));
        m_host.EndWaitCursor();
        return;
    }
    // Auto-recording is switched off whenever it is on, not only while a
    // segment runs: in one-file mode the growing recording waits for its name
    // while listening too, and switching off is what offers the save dialog.
    if (IsAutoRecordingOn(m_host.RecordingState()))
        m_host.SwitchAutoRecordingOff();
    WriteLog(QStringLiteral("Evento OnStopRec"));
    if (IsManualRecording(m_host.RecordingState()))
        m_host.StopManualRecording();
    WriteLog(QStringLiteral("Salva la lista"));
    m_host.SaveCatalogueIndex();
    WriteLog(QStringLiteral("Cancella il file"));
    // Without a work folder the name alone would point into whatever the current folder is.
    if (!m_settings.WorkDir.isEmpty())
        QFile::remove(WithTrailingSlash(m_settings.WorkDir) + LoadText(IDS_TEMP_RECORDING_FILE));
    m_host.RemoveTrayIcon();
    WriteLog(QStringLiteral("Setta volume speaker"));
    WriteLog(QStringLiteral("Impostazione vecchio volume speaker"));
    m_host.RestoreVolumes();
    WriteLog(QStringLiteral("Chiusura volume speaker"));
    WriteLog(QStringLiteral("Setta volume microfono"));
    WriteLog(QStringLiteral("Inizio chiusura thread..."));
    m_host.DeleteFindDialog();
    WaitForCaptureThread();
    m_host.EndWaitCursor();
}

void CStartupSequence::WaitForCaptureThread()
{
    CWorkerThread* capture = m_host.CaptureThread();
    if (!capture)
        return;
    WriteLog(QStringLiteral("Chiudo il thread Record Sound"));
    capture->PostThreadMessage(WM_REC_CLOSE);
    int waited = 1;
    bool active = true;
    do {
        active = capture->IsStillActive();
        m_sleep(kCloseWaitStepMs);
        waited += kCloseWaitStepMs;
    } while (active && waited < kCloseWaitLimitMs);
    WriteLog(QStringLiteral("Thread Record Sound chiuso"));
    if (waited > kCloseWaitLimitMs)
        WriteLog(QStringLiteral("Attesa oltre il timeout"));
}

}  // namespace sonvelle
