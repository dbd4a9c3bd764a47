#pragma once
// The settings record: one field per settings value, named as the value,
// plus the derived fields and the program folder the defaults are built on.

#include "platform/LeadingInt.h"

#include <QString>

namespace sonvelle {

enum class ESetting {
    WorkDir,
    Riallinea,
    CartellaDaRiallineare,
    TempoAttesaRegAuto,
    AvvioTaskBar,
    RegAutoSalvaUnicoFile,
    SogliaAttivazioneRegAuto,
    ChiediConfermaAutoRec,
    AvviaInAutoReg,
    AntiBump,
    AbilitaSegnaleAcustico,
    SegnaleAcusticoInviaDopo,
    SegnaleAcusticoInviaDopoValore,
    SegnaleAcusticoInviaOgni,
    SegnaleAcusticoInviaOgniValore,
    SegnaleAcusticoFile,
    VolumeRegistrazione,
    PlayAlternativo,
    Operatore,
    PrimoLancio,
    NoSend,
    NoMicSelect,
    DisableIndex,
};

// The value's name as stored (most come from the string table).
QString SettingName(ESetting setting);

// The settings key of the current user, "Software\Orsolan\Sonvelle".
QString SettingsKeyPath();

// A flag is on when its text starts with "1".
inline bool IsFlagOn(const QString& text)
{
    return text.startsWith(u'1');
}


struct CAppSettings {
    QString programFolder;  // ends with "/"

    QString WorkDir;  // ends with "/"
    bool Riallinea = false;
    QString CartellaDaRiallineare;
    QString TempoAttesaRegAuto;
    QString AvvioTaskBar;
    QString RegAutoSalvaUnicoFile;
    QString SogliaAttivazioneRegAuto;
    bool ChiediConfermaAutoRec = false;
    bool AvviaInAutoReg = false;
    bool AntiBump = false;
    bool AbilitaSegnaleAcustico = false;
    bool SegnaleAcusticoInviaDopo = false;
    int SegnaleAcusticoInviaDopoValore = 0;
    bool SegnaleAcusticoInviaOgni = false;
    int SegnaleAcusticoInviaOgniValore = 0;
    QString SegnaleAcusticoFile;
    int VolumeRegistrazione = 0;
    bool VolumeRegistrazioneStored = false;  // false: half the mixer's maximum is used
    bool PlayAlternativo = false;
    QString Operatore;
    bool PrimoLancio = false;  // this is the first start
    bool NoSend = false;
    bool NoMicSelect = false;
    bool DisableIndex = false;

    bool StartInTray = false;        // AvvioTaskBar is "1"
    bool SelectMicrophone = true;    // unless NoMicSelect is "1"

    int SilenceSeconds() const { return LeadingInt(TempoAttesaRegAuto); }
    int ActivationThreshold() const { return LeadingInt(SogliaAttivazioneRegAuto); }
    bool OneFileMode() const { return IsFlagOn(RegAutoSalvaUnicoFile); }
};

}  // namespace sonvelle
