#include "AppSettings.h"

#include "resources/StringTable.h"

namespace sonvelle {

QString SettingName(ESetting setting)
{
    switch (setting) {
    case ESetting::WorkDir: return LoadText(57);
    case ESetting::Riallinea: return QStringLiteral("Riallinea");
    case ESetting::CartellaDaRiallineare: return QStringLiteral("CartellaDaRiallineare");
    case ESetting::TempoAttesaRegAuto: return LoadText(58);
    case ESetting::AvvioTaskBar: return LoadText(59);
    case ESetting::RegAutoSalvaUnicoFile: return LoadText(60);
    case ESetting::SogliaAttivazioneRegAuto: return LoadText(70);
    case ESetting::ChiediConfermaAutoRec: return LoadText(71);
    case ESetting::AvviaInAutoReg: return LoadText(74);
    case ESetting::AntiBump: return LoadText(90);
    case ESetting::AbilitaSegnaleAcustico: return LoadText(285);
    case ESetting::SegnaleAcusticoInviaDopo: return LoadText(287);
    case ESetting::SegnaleAcusticoInviaDopoValore: return LoadText(289);
    case ESetting::SegnaleAcusticoInviaOgni: return LoadText(291);
    case ESetting::SegnaleAcusticoInviaOgniValore: return LoadText(293);
    case ESetting::SegnaleAcusticoFile: return LoadText(295);
    case ESetting::VolumeRegistrazione: return LoadText(332);
    case ESetting::PlayAlternativo: return LoadText(415);
    case ESetting::Operatore: return LoadText(426);
    case ESetting::PrimoLancio: return LoadText(427);
    case ESetting::NoSend: return LoadText(429);
    case ESetting::NoMicSelect: return QStringLiteral("NoMicSelect");
    case ESetting::DisableIndex: return LoadText(417);
    }
    return {};
}

QString SettingsKeyPath()
{
    return LoadText(53);
}

}  // namespace sonvelle
