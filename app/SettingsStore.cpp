#include "SettingsStore.h"

#include "platform/Log.h"
#include "platform/ProgramFolder.h"
#include "platform/Registry.h"
#include "resources/StringTable.h"

#include <QDir>
#include <QFileInfo>

#include <optional>

namespace sonvelle {

namespace {

constexpr int kText = 260;           // 259 characters
constexpr int kThresholdBytes = 7;   // 6 characters
constexpr int kSecondsBytes = 3;     // 2 characters
constexpr int kPlayAltBytes = 10;    // 9 characters
constexpr int kProgramPathBytes = 4097;  // the whole program path, never a cut one

const QString kRunKey = QStringLiteral("Software\\Microsoft\\windows\\currentversion\\run");

QString Name(ESetting s)
{
    return SettingName(s);
}

QString RunKeyPath()
{
    const QString fromTable = LoadText(IDS_AUTOSTART_KEY);
    return fromTable.isEmpty() ? kRunKey : fromTable;
}

QString StartupEntryName()
{
    const QString fromTable = LoadText(IDS_AUTOSTART_NAME);
    return fromTable.isEmpty() ? QStringLiteral("SonvelleRecorder") : fromTable;
}

QString WithoutTrailingSlash(const QString& folder)
{
    return folder.endsWith('/') && folder.size() > 1 ? folder.chopped(1) : folder;
}

bool SameFolder(const QString& a, const QString& b)
{
    return QDir::cleanPath(QFileInfo(a).absoluteFilePath()) == QDir::cleanPath(QFileInfo(b).absoluteFilePath());
}

}  // namespace

QString CSettingsStore::FallbackWorkFolder(const QString& dataFolder)
{
    return WithTrailingSlash(dataFolder) + LoadText(IDS_DEFAULT_FOLDER);
}

void CSettingsStore::MigrateFromMachineKey()
{
    const QString path = SettingsKeyPath();
    {
        CRegKey user;
        if (user.Open(Hive::CurrentUser, path))
            return;
    }
    CRegKey machine;
    if (!machine.Open(Hive::LocalMachine, path, false))
        return;
    CRegKey user;
    if (!user.Create(Hive::CurrentUser, path))
        return;
    const ESetting order[] = {
        ESetting::WorkDir, ESetting::TempoAttesaRegAuto, ESetting::AvvioTaskBar, ESetting::RegAutoSalvaUnicoFile,
        ESetting::SogliaAttivazioneRegAuto, ESetting::ChiediConfermaAutoRec, ESetting::AvviaInAutoReg,
        ESetting::AntiBump, ESetting::AbilitaSegnaleAcustico, ESetting::SegnaleAcusticoInviaDopo,
        ESetting::SegnaleAcusticoInviaDopoValore, ESetting::SegnaleAcusticoInviaOgni,
        ESetting::SegnaleAcusticoInviaOgniValore, ESetting::SegnaleAcusticoFile, ESetting::VolumeRegistrazione,
        ESetting::PlayAlternativo, ESetting::Operatore, ESetting::PrimoLancio, ESetting::NoSend,
        ESetting::NoMicSelect, ESetting::DisableIndex};
    for (ESetting s : order)
        if (const auto value = machine.ReadText(Name(s), kText))
            user.WriteText(Name(s), *value);
}

CStartupLoad CSettingsStore::LoadAtStartup(const QString& programFolder, const QString& dataFolder)
{
    CAppSettings& s = m_settings;
    s.programFolder = WithTrailingSlash(programFolder);
    const QString fallback = FallbackWorkFolder(dataFolder.isEmpty() ? DataFolder() : dataFolder);
    const QString path = SettingsKeyPath();
    CStartupLoad result;
    result.caption = LoadText(IDS_WINDOW_CAPTION);

    // 1. A missing key is created with the defaults.
    {
        CRegKey key;
        if (!key.Open(Hive::CurrentUser, path) && key.Create(Hive::CurrentUser, path)) {
            key.WriteText(Name(ESetting::AvvioTaskBar), LoadText(IDS_DEFAULT_START_IN_TRAY));
            key.WriteText(Name(ESetting::TempoAttesaRegAuto), LoadText(IDS_DEFAULT_AUTO_STOP_WAIT));
            key.WriteText(Name(ESetting::RegAutoSalvaUnicoFile), LoadText(IDS_DEFAULT_AUTO_ONE_FILE));
            key.WriteText(Name(ESetting::SogliaAttivazioneRegAuto), LoadText(IDS_DEFAULT_AUTO_THRESHOLD));
            key.WriteText(Name(ESetting::ChiediConfermaAutoRec), LoadText(IDS_DEFAULT_CONFIRM_AUTO));
            key.WriteText(Name(ESetting::AvviaInAutoReg), LoadText(IDS_DEFAULT_AUTO_AT_START));
            key.WriteText(Name(ESetting::AntiBump), LoadText(IDS_DEFAULT_ANTI_BUMP));
            key.WriteText(Name(ESetting::WorkDir), fallback);
            key.WriteText(Name(ESetting::AbilitaSegnaleAcustico), LoadText(IDS_DEFAULT_WARNING_ON));
            key.WriteText(Name(ESetting::SegnaleAcusticoInviaDopo), LoadText(IDS_DEFAULT_WARNING_ONCE));
            key.WriteText(Name(ESetting::SegnaleAcusticoInviaDopoValore), LoadText(IDS_DEFAULT_WARNING_ONCE_SECONDS));
            key.WriteText(Name(ESetting::SegnaleAcusticoInviaOgni), LoadText(IDS_DEFAULT_WARNING_REPEAT));
            key.WriteText(Name(ESetting::SegnaleAcusticoInviaOgniValore), LoadText(IDS_DEFAULT_WARNING_REPEAT_SECONDS));
            key.WriteText(Name(ESetting::SegnaleAcusticoFile), s.programFolder + LoadText(IDS_DEFAULT_WARNING_FILE));
            key.WriteText(Name(ESetting::PlayAlternativo), QStringLiteral("0"));
        }
    }

    // 2. Nothing is read when the key cannot be opened.
    CRegKey key;
    if (!key.Open(Hive::CurrentUser, path))
        return result;
    result.keyRead = true;
    auto read = [&key](ESetting setting, int bytes = kText) { return key.ReadText(Name(setting), bytes); };
    auto write = [&key](ESetting setting, const QString& text) { key.WriteText(Name(setting), text); };

    WriteLog(QStringLiteral("Dump Impostazioni:"));

    // Work folder and its checks.
    const auto workDir = read(ESetting::WorkDir);
    // An empty folder text would make the checks record the root folder for realignment.
    if (workDir && !workDir->isEmpty()) {
        s.WorkDir = WithTrailingSlash(*workDir);
    } else {
        s.WorkDir = fallback;
        write(ESetting::WorkDir, s.WorkDir);
    }
    {
        const QString folder = WithoutTrailingSlash(s.WorkDir);
        const QFileInfo info(folder);
        bool checkRealign = true;
        if (!info.exists()) {
            // The fallback folder itself missing is simply made again; it is not an unreachable folder.
            if (!SameFolder(folder, WithoutTrailingSlash(fallback))) {
                write(ESetting::CartellaDaRiallineare, folder + '/');
                s.CartellaDaRiallineare = folder + '/';
                s.WorkDir = fallback;
                write(ESetting::WorkDir, s.WorkDir);
                write(ESetting::Riallinea, QStringLiteral("1"));
                s.Riallinea = true;
                result.noticeTimer = kTimerWorkFolderUnreachable;
                checkRealign = false;
            }
        } else if (!info.isDir()) {
            s.WorkDir = fallback;
            write(ESetting::WorkDir, s.WorkDir);
        }
        if (checkRealign) {
            const auto realign = read(ESetting::Riallinea);
            s.Riallinea = realign && IsFlagOn(*realign);
            if (s.Riallinea) {
                const auto earlier = read(ESetting::CartellaDaRiallineare);
                if (earlier && !earlier->isEmpty()) {
                    s.CartellaDaRiallineare = WithTrailingSlash(*earlier);
                    if (QFileInfo(WithoutTrailingSlash(*earlier)).isDir()) {
                        result.noticeTimer = kTimerWorkFolderBack;
                        result.realignPending = true;
                        s.WorkDir = s.CartellaDaRiallineare;
                        write(ESetting::WorkDir, s.WorkDir);
                        write(ESetting::Riallinea, QStringLiteral("0"));
                        s.Riallinea = false;
                    }
                }
            }
        }
        WriteLog(QStringLiteral("-->WorkDir:") + s.WorkDir);
        QDir().mkpath(s.WorkDir);
    }

    auto textOr = [&](ESetting setting, const QString& fallbackText, int bytes = kText) {
        const auto value = read(setting, bytes);
        return value ? *value : fallbackText;
    };

    s.TempoAttesaRegAuto = textOr(ESetting::TempoAttesaRegAuto, QStringLiteral("10"));
    WriteLog(QStringLiteral("-->TempoSilenzio:") + s.TempoAttesaRegAuto);
    s.AvvioTaskBar = textOr(ESetting::AvvioTaskBar, QStringLiteral("0"));
    s.StartInTray = IsFlagOn(s.AvvioTaskBar);
    WriteLog(QStringLiteral("-->ModAvvio:") + s.AvvioTaskBar);
    s.RegAutoSalvaUnicoFile = textOr(ESetting::RegAutoSalvaUnicoFile, QStringLiteral("0"));
    WriteLog(QStringLiteral("-->ModSalvataggio:") + s.RegAutoSalvaUnicoFile);
    s.SogliaAttivazioneRegAuto = textOr(ESetting::SogliaAttivazioneRegAuto, QStringLiteral("15000"), kThresholdBytes);
    WriteLog(QStringLiteral("-->SglAttivazione:") + s.SogliaAttivazioneRegAuto);

    const QString confirm = textOr(ESetting::ChiediConfermaAutoRec, QStringLiteral("0"));
    s.ChiediConfermaAutoRec = IsFlagOn(confirm);
    WriteLog(QStringLiteral("-->ChiediConfermaInRegAuto:") + confirm);
    const QString autoStart = textOr(ESetting::AvviaInAutoReg, QStringLiteral("0"));
    s.AvviaInAutoReg = IsFlagOn(autoStart);
    WriteLog(QStringLiteral("-->AvviaInAutoReg:") + autoStart);
    const QString antiBump = textOr(ESetting::AntiBump, QStringLiteral("1"));
    s.AntiBump = IsFlagOn(antiBump);
    WriteLog(QStringLiteral("-->AbilitaAntiBump:") + antiBump);

    s.AbilitaSegnaleAcustico = IsFlagOn(textOr(ESetting::AbilitaSegnaleAcustico, QStringLiteral("0")));
    s.SegnaleAcusticoInviaDopo = IsFlagOn(textOr(ESetting::SegnaleAcusticoInviaDopo, QStringLiteral("1")));
    if (const auto after = read(ESetting::SegnaleAcusticoInviaDopoValore, kSecondsBytes)) {
        s.SegnaleAcusticoInviaDopoValore = LeadingInt(*after);
        WriteLog(QStringLiteral("-->SegnaleAcusticoDopo:") + *after);
    } else {
        s.SegnaleAcusticoInviaDopoValore = 15;
    }
    const QString every = textOr(ESetting::SegnaleAcusticoInviaOgni, QStringLiteral("0"));
    s.SegnaleAcusticoInviaOgni = IsFlagOn(every);
    WriteLog(QStringLiteral("-->AbilitaSegnaleAcusticoOgni:") + every);
    if (const auto interval = read(ESetting::SegnaleAcusticoInviaOgniValore, kSecondsBytes)) {
        s.SegnaleAcusticoInviaOgniValore = LeadingInt(*interval);
        WriteLog(QStringLiteral("-->SegnaleAcusticoOgni:") + *interval);
    } else {
        s.SegnaleAcusticoInviaOgniValore = 10;
    }

    const auto sound = read(ESetting::SegnaleAcusticoFile);
    s.SegnaleAcusticoFile = sound ? *sound : s.programFolder + LoadText(IDS_DEFAULT_WARNING_FILE);
    WriteLog(QStringLiteral("-->PathSegnaleAcustico:") + sound.value_or(QString()));

    const auto volume = read(ESetting::VolumeRegistrazione);
    s.VolumeRegistrazioneStored = volume.has_value();
    if (volume) {
        s.VolumeRegistrazione = LeadingInt(*volume);
    } else {
        s.VolumeRegistrazione = 0;
        write(ESetting::VolumeRegistrazione, QStringLiteral("32767"));
    }
    WriteLog(QStringLiteral("-->VolumeRec:") + volume.value_or(QString()));

    const QString playAlt = textOr(ESetting::PlayAlternativo, QStringLiteral("0"), kPlayAltBytes);
    s.PlayAlternativo = IsFlagOn(playAlt);
    WriteLog(QStringLiteral("-->PlayAlternativo:") + playAlt);

    const auto op = read(ESetting::Operatore);
    s.Operatore = op ? *op : QString();
    if (!s.Operatore.isEmpty())
        result.caption = LoadText(IDS_WINDOW_CAPTION) + QStringLiteral(" (") + s.Operatore + QStringLiteral(")");
    WriteLog(QStringLiteral("-->Operatore:") + s.Operatore);

    const auto first = read(ESetting::PrimoLancio);
    s.PrimoLancio = !first || IsFlagOn(*first);
    result.firstStart = s.PrimoLancio;
    write(ESetting::PrimoLancio, QStringLiteral("0"));

    const QString noSend = textOr(ESetting::NoSend, QStringLiteral("0"));
    s.NoSend = IsFlagOn(noSend);
    result.sendDisabled = s.NoSend;
    WriteLog(QStringLiteral("-->SendDisabilitato:") + noSend);
    const QString noMic = textOr(ESetting::NoMicSelect, QStringLiteral("0"));
    s.NoMicSelect = IsFlagOn(noMic);
    s.SelectMicrophone = !s.NoMicSelect;
    WriteLog(QStringLiteral("-->NoMicSelect:") + noMic);
    s.DisableIndex = IsFlagOn(textOr(ESetting::DisableIndex, QStringLiteral("0")));
    return result;
}

void CSettingsStore::ReloadAutoRecordingValues()
{
    CRegKey key;
    if (!key.Open(Hive::CurrentUser, SettingsKeyPath()))
        return;
    if (const auto v = key.ReadText(Name(ESetting::TempoAttesaRegAuto), kText))
        m_settings.TempoAttesaRegAuto = *v;
    if (const auto v = key.ReadText(Name(ESetting::RegAutoSalvaUnicoFile), kText))
        m_settings.RegAutoSalvaUnicoFile = *v;
    if (const auto v = key.ReadText(Name(ESetting::SogliaAttivazioneRegAuto), kThresholdBytes))
        m_settings.SogliaAttivazioneRegAuto = *v;
}

void CSettingsStore::SaveThreshold(int threshold)
{
    WriteValue(Name(ESetting::SogliaAttivazioneRegAuto), QString::number(threshold));
    m_settings.SogliaAttivazioneRegAuto = QString::number(threshold);
}

bool CSettingsStore::WriteValue(const QString& name, const QString& text)
{
    CRegKey key;
    return key.Open(Hive::CurrentUser, SettingsKeyPath()) && key.WriteText(name, text);
}

bool CSettingsStore::HasStartupEntry()
{
    CRegKey key;
    return key.Open(Hive::CurrentUser, RunKeyPath()) && key.ReadText(StartupEntryName(), kProgramPathBytes).has_value();
}

bool CSettingsStore::SetStartupEntry(bool on, const QString& programPath)
{
    CRegKey key;
    if (!key.Open(Hive::CurrentUser, RunKeyPath()))
        return false;
    if (on)
        return key.WriteText(StartupEntryName(), programPath);
    key.DeleteValue(StartupEntryName());
    return !key.ReadText(StartupEntryName(), kProgramPathBytes).has_value();
}

}  // namespace sonvelle
