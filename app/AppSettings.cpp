#include "AppSettings.h"

#include "resources/StringTable.h"

namespace sonvelle {

QString SettingName(ESetting setting)
{
    switch (setting) {
    case ESetting::WorkDir: return LoadText(IDS_KEY_WORK_DIR);
    case ESetting::Riallinea: return QStringLiteral("Riallinea");
    case ESetting::CartellaDaRiallineare: return QStringLiteral("CartellaDaRiallineare");
    case ESetting::TempoAttesaRegAuto: return LoadText(IDS_KEY_AUTO_STOP_WAIT);
    case ESetting::AvvioTaskBar: return LoadText(IDS_KEY_START_IN_TRAY);
    case ESetting::RegAutoSalvaUnicoFile: return LoadText(IDS_KEY_AUTO_ONE_FILE);
    case ESetting::SogliaAttivazioneRegAuto: return LoadText(IDS_KEY_AUTO_THRESHOLD);
    case ESetting::ChiediConfermaAutoRec: return LoadText(IDS_KEY_CONFIRM_AUTO);
    case ESetting::AvviaInAutoReg: return LoadText(IDS_KEY_AUTO_AT_START);
    case ESetting::AntiBump: return LoadText(IDS_KEY_ANTI_BUMP);
    case ESetting::AbilitaSegnaleAcustico: return LoadText(IDS_KEY_WARNING_ON);
    case ESetting::SegnaleAcusticoInviaDopo: return LoadText(IDS_KEY_WARNING_ONCE);
    case ESetting::SegnaleAcusticoInviaDopoValore: return LoadText(IDS_KEY_WARNING_ONCE_SECONDS);
    case ESetting::SegnaleAcusticoInviaOgni: return LoadText(IDS_KEY_WARNING_REPEAT);
    case ESetting::SegnaleAcusticoInviaOgniValore: return LoadText(IDS_KEY_WARNING_REPEAT_SECONDS);
    case ESetting::SegnaleAcusticoFile: return LoadText(IDS_KEY_WARNING_FILE);
    case ESetting::VolumeRegistrazione: return LoadText(IDS_KEY_RECORD_VOLUME);
    case ESetting::PlayAlternativo: return LoadText(IDS_KEY_ALT_PLAY);
    case ESetting::Operatore: return LoadText(IDS_KEY_OPERATOR);
    case ESetting::PrimoLancio: return LoadText(IDS_KEY_FIRST_RUN);
    case ESetting::NoSend: return LoadText(IDS_KEY_NO_SEND);
    case ESetting::NoMicSelect: return QStringLiteral("NoMicSelect");
    case ESetting::DisableIndex: return LoadText(IDS_KEY_DISABLE_INDEX);
    }
    return {};
}

QString SettingsKeyPath()
{
    return LoadText(IDS_SETTINGS_KEY);
}

}  // namespace sonvelle
