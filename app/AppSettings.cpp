#include "AppSettings.h"

#include "resources/StringTable.h"

#include <limits>

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

int LeadingInt(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r' ||
                               text[i] == '\v' || text[i] == '\f'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i].unicode() - '0');
        if (value > std::numeric_limits<int>::max())
            return negative ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    }
    return static_cast<int>(negative ? -value : value);
}

}  // namespace sonvelle
