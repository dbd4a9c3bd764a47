#include "mainwnd/AppRecordingSettings.h"

#include "app/AppSettings.h"
#include "app/SettingsStore.h"

namespace sonvelle {

RecordingSettings CAppRecordingSettings::Current() const
{
    RecordingSettings s;
    s.operatorName = m_settings.Operatore;
    s.silenceSeconds = LeadingInt(m_settings.TempoAttesaRegAuto);
    s.oneFile = IsFlagOn(m_settings.RegAutoSalvaUnicoFile);
    s.threshold = LeadingInt(m_settings.SogliaAttivazioneRegAuto);
    s.askConfirmation = m_settings.ChiediConfermaAutoRec;
    s.warningSound = m_settings.AbilitaSegnaleAcustico;
    s.warningAfter = m_settings.SegnaleAcusticoInviaDopo;
    s.warningAfterSeconds = m_settings.SegnaleAcusticoInviaDopoValore;
    s.warningEvery = m_settings.SegnaleAcusticoInviaOgni;
    s.warningEverySeconds = m_settings.SegnaleAcusticoInviaOgniValore;
    s.warningFile = m_settings.SegnaleAcusticoFile;
    s.playAlternative = m_settings.PlayAlternativo;
    return s;
}

void CAppRecordingSettings::ReloadAutoRecordingValues()
{
    m_store.ReloadAutoRecordingValues();
}

void CAppRecordingSettings::SaveThreshold(int threshold)
{
    m_store.SaveThreshold(threshold);
}

}  // namespace sonvelle
