// The Options command: the sheet, then the settings applied to the running
// program, the work folder last.
//
// A work folder changed while a recording runs would take the recording's
// entry away from the recording control (the catalogue is reloaded) while its
// audio still lies in the old folder. So nothing is reloaded under a running
// recording: auto-recording is switched off (what it holds is finished into
// the folder where it started, or moved whole by the writer) and on again
// after the change, and a manual recording first ends where it started.

#include "app/SettingsStore.h"
#include "audio/RecordSound.h"
#include "audio/WriteSoundFile.h"
#include "mainwnd/ControlRules.h"
#include "mainwnd/MainDlg.h"
#include "mainwnd/MainDlgIds.h"
#include "mainwnd/RecordingControl.h"
#include "mainwnd/RecordingEngine.h"
#include "mainwnd/SpeakerLine.h"
#include "options/CDlgImpostazioniAvanzate.h"
#include "options/CDlgSetImpostazioni.h"
#include "options/COpzionePropertySheet.h"
#include "options/OptionsRegistry.h"
#include "platform/Log.h"
#include "platform/ProgramFolder.h"
#include "resources/StringTable.h"
#include "skin/CLevelMeter.h"
#include "store/RecordingList.h"

#include <QApplication>
#include <QFile>
#include <QSlider>

#include <algorithm>

namespace sonvelle {

namespace {

constexpr int kThresholdBytes = 7;   // 6 characters
constexpr int kSecondsBytes = 3;     // 2 characters
constexpr int kPlayAltBytes = 10;    // 9 characters

class CWaitCursor {
public:
    CWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CWaitCursor() { QApplication::restoreOverrideCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};

class CMainWindowCatalogue : public IOptionsCatalogue {
public:
    CMainWindowCatalogue(CCallLog& callLog, std::function<void()> recreate)
        : m_callLog(callLog), m_recreate(std::move(recreate))
    {
    }
    bool UsesIndexFile() const override { return m_callLog.Catalogue().IsIndexOpen(); }
    void RecreateIndex() override { m_recreate(); }

private:
    CCallLog& m_callLog;
    std::function<void()> m_recreate;
};

}  // namespace

void CMainDlg::OnOptions()
{
    {
        CDlgSetImpostazioni general;
        general.SetMixerSwitches(&m_mixerSwitches);
        CDlgImpostazioniAvanzate advanced;
        CMainWindowCatalogue catalogue(m_callLog, [this] { RecreateIndexNow(); });
        advanced.SetContext(m_appSettings.programFolder.isEmpty() ? ProgramFolder() : m_appSettings.programFolder,
                            &catalogue);
        COpzionePropertySheet sheet(general, advanced, nullptr);
        sheet.exec();
    }
    // OK or Cancel, what the settings hold now applies.
    ApplyOptions();
}

void CMainDlg::ApplyOptions()
{
    CAppSettings& s = m_appSettings;
    const RecorderState state = m_control->State();
    const bool autoOn = IsAutoRecordingOn(state);

    QString newFolder = s.WorkDir;
    COptionsKey key;
    if (key.Open()) {
        if (const auto folder = key.Read(ESetting::WorkDir); folder && !folder->isEmpty())
            newFolder = WithTrailingSlash(*folder);
        const bool folderChanges = newFolder != s.WorkDir;
        s.TempoAttesaRegAuto = key.Text(ESetting::TempoAttesaRegAuto, QStringLiteral("10"));

        // One restart of auto-recording serves a changed mode and a changed folder alike.
        const QString oneFile = key.Text(ESetting::RegAutoSalvaUnicoFile, QStringLiteral("0"));
        const bool modeChanges = oneFile != s.RegAutoSalvaUnicoFile;
        const bool restart = autoOn && (modeChanges || folderChanges);
        if (restart) {
            WriteLog(QStringLiteral("Registrazione automatica riavviata per le nuove impostazioni"));
            m_control->OnAutoRecording();
        }
        if (autoOn && modeChanges)
            s.RegAutoSalvaUnicoFile = oneFile;

        s.SogliaAttivazioneRegAuto = key.Text(ESetting::SogliaAttivazioneRegAuto, QStringLiteral("15000"), kThresholdBytes);
        if (m_levelMeter)
            m_levelMeter->SetThreshold(LeadingInt(s.SogliaAttivazioneRegAuto));
        s.ChiediConfermaAutoRec = key.Flag(ESetting::ChiediConfermaAutoRec, false);
        s.AvviaInAutoReg = key.Flag(ESetting::AvviaInAutoReg, false);
        s.AntiBump = key.Flag(ESetting::AntiBump, true);
        if (CRecordSound* capture = m_engine->Capture())
            capture->SetAntiBumpEnabled(s.AntiBump);

        s.AbilitaSegnaleAcustico = key.Flag(ESetting::AbilitaSegnaleAcustico, false);
        if (s.AbilitaSegnaleAcustico) {
            // A restart below mutes by itself, keeping the volume to give back.
            if (IsAutoRecordingOn(m_control->State()) && !restart) {
                if (m_speakers)
                    m_speakers->SetVolume(0);
                m_volume->setEnabled(false);
                m_volume->setValue(0);
            }
        } else {
            if (!m_volume->isEnabled()) {
                const std::uint32_t half = m_speakers ? m_speakers->Maximum() / 2 : 0;
                if (m_speakers)
                    m_speakers->SetVolume(half);
                m_volume->setEnabled(true);
                m_volume->setValue(static_cast<int>(std::min<std::uint32_t>(half, INT32_MAX)));
            }
            KillTimer(TIMER_WARNING_SOUND);
        }
        s.SegnaleAcusticoInviaDopo = key.Flag(ESetting::SegnaleAcusticoInviaDopo, true);
        const auto after = key.Read(ESetting::SegnaleAcusticoInviaDopoValore, kSecondsBytes);
        s.SegnaleAcusticoInviaDopoValore = after ? LeadingInt(*after) : 15;
        s.SegnaleAcusticoInviaOgni = key.Flag(ESetting::SegnaleAcusticoInviaOgni, false);
        const auto every = key.Read(ESetting::SegnaleAcusticoInviaOgniValore, kSecondsBytes);
        s.SegnaleAcusticoInviaOgniValore = every ? LeadingInt(*every) : 10;
        s.SegnaleAcusticoFile = key.Text(ESetting::SegnaleAcusticoFile,
                                         s.programFolder + LoadText(IDS_DEFAULT_WARNING_FILE));
        s.PlayAlternativo = key.Flag(ESetting::PlayAlternativo, false, kPlayAltBytes);
        s.Operatore = key.Text(ESetting::Operatore, QString());
        SetCaption(MainWindowCaption(s.Operatore));
        key.Close();

        m_callLog.Catalogue().SetMeasuringFlag(s.PlayAlternativo);
        // The writer keeps handing segments over one by one: the single file is put together here.
        m_engine->SetCaptureSettings(s.SilenceSeconds(), s.OneFileMode(), s.ActivationThreshold());

        // A later visit to the options replaces what an earlier one left waiting.
        m_deferredWorkFolder.clear();
        if (folderChanges) {
            if (IsManualRecording(m_control->State())) {
                WriteLog(QStringLiteral("Cambio cartella di lavoro rinviato alla fine della registrazione: ") + newFolder);
                m_deferredWorkFolder = newFolder;
            } else {
                ChangeWorkFolder(newFolder);
            }
        }
        if (restart && !IsAutoRecordingOn(m_control->State()))
            m_control->OnAutoRecording();
        return;
    }
    m_callLog.Catalogue().SetMeasuringFlag(s.PlayAlternativo);
    m_engine->SetCaptureSettings(s.SilenceSeconds(), s.OneFileMode(), s.ActivationThreshold());
}

void CMainDlg::ApplyDeferredWorkFolder()
{
    if (m_deferredWorkFolder.isEmpty() || IsManualRecording(m_control->State()))
        return;
    const QString folder = std::exchange(m_deferredWorkFolder, QString());
    if (folder == m_appSettings.WorkDir)
        return;
    const bool autoOn = IsAutoRecordingOn(m_control->State());
    if (autoOn)
        m_control->OnAutoRecording();
    ChangeWorkFolder(folder);
    if (autoOn)
        m_control->OnAutoRecording();
}

void CMainDlg::ChangeWorkFolder(const QString& folder)
{
    CWaitCursor wait;
    WriteLog(QStringLiteral("Cambio cartella di lavoro: ") + folder);
    m_callLog.SavePending();
    m_appSettings.WorkDir = WithTrailingSlash(folder);
    if (CWriteSoundFile* writer = m_engine->Writer())
        writer->SetWorkFolder(m_appSettings.WorkDir);
    m_control->OnStopPlaying();
    m_callLog.Load(m_appSettings.WorkDir, m_appSettings.PlayAlternativo);
    m_callLog.ForgetSelection();
    UpdateListDependentControls();
    update();
}

void CMainDlg::RecreateIndexNow()
{
    CRecordingList& catalogue = m_callLog.Catalogue();
    const auto& entries = catalogue.Entries();
    const bool inUse = std::any_of(entries.begin(), entries.end(), [](const auto& e) { return e->IsInUse(); });
    // A reload under a running recording would list its growing file as a
    // finished one and lose the recording's own entry: the index waits.
    if (inUse || IsRecording(m_control->State()) || m_control->PendingCount() > 0) {
        WriteLog(QStringLiteral("Indice non ricreato: registrazione in corso"));
        return;
    }
    const QString folder = catalogue.Folder().isEmpty() ? m_appSettings.WorkDir : catalogue.Folder();
    m_callLog.SavePending();
    const QString index = catalogue.IndexPath();
    if (QFile::exists(index) && !QFile::remove(index))
        WriteLog(QStringLiteral("Indice non cancellato: ") + index);
    m_callLog.Load(folder, m_appSettings.PlayAlternativo);
    UpdateListDependentControls();
}

}  // namespace sonvelle
