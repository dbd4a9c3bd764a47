#include "AppTestEnvironment.h"

#include "app/SettingsStore.h"
#include "platform/Registry.h"

#include <QFileInfo>

using namespace sonvelle;

namespace {

const QString kKey = QStringLiteral("Software\\Orsolan\\Sonvelle");

class SettingsStoreTest : public AppTest {
protected:
    void SetValues(Hive hive, const QList<QPair<QString, QString>>& values)
    {
        CRegKey key;
        ASSERT_TRUE(key.Create(hive, kKey));
        for (const auto& [name, text] : values)
            ASSERT_TRUE(key.WriteText(name, text));
    }
    std::optional<QString> UserValue(const QString& name) const
    {
        CRegKey key;
        if (!key.Open(Hive::CurrentUser, kKey, false))
            return std::nullopt;
        return key.ReadText(name, 100000);
    }
    CStartupLoad Load()
    {
        CSettingsStore store(m_settings);
        return store.LoadAtStartup(ProgramDir());
    }

    CAppSettings m_settings;
};

TEST_F(SettingsStoreTest, ValueNamesAndKeyComeFromTheTable)
{
    EXPECT_EQ(SettingsKeyPath(), kKey);
    const QStringList expected = {"WorkDir", "Riallinea", "CartellaDaRiallineare", "TempoAttesaRegAuto",
                                  "AvvioTaskBar", "RegAutoSalvaUnicoFile", "SogliaAttivazioneRegAuto",
                                  "ChiediConfermaAutoRec", "AvviaInAutoReg", "AntiBump", "AbilitaSegnaleAcustico",
                                  "SegnaleAcusticoInviaDopo", "SegnaleAcusticoInviaDopoValore",
                                  "SegnaleAcusticoInviaOgni", "SegnaleAcusticoInviaOgniValore",
                                  "SegnaleAcusticoFile", "VolumeRegistrazione", "PlayAlternativo", "Operatore",
                                  "PrimoLancio", "NoSend", "NoMicSelect", "DisableIndex"};
    for (int i = 0; i < expected.size(); ++i)
        EXPECT_EQ(SettingName(static_cast<ESetting>(i)), expected[i]);
}

TEST_F(SettingsStoreTest, LeadingDigitsConversion)
{
    EXPECT_EQ(LeadingInt("15000"), 15000);
    EXPECT_EQ(LeadingInt("  42abc"), 42);
    EXPECT_EQ(LeadingInt("-7"), -7);
    EXPECT_EQ(LeadingInt("abc"), 0);
    EXPECT_EQ(LeadingInt(""), 0);
    EXPECT_EQ(LeadingInt("99999999999999999999"), 2147483647);
    EXPECT_TRUE(IsFlagOn("1"));
    EXPECT_TRUE(IsFlagOn("10"));
    EXPECT_FALSE(IsFlagOn(" 1"));
    EXPECT_FALSE(IsFlagOn(""));
}

TEST_F(SettingsStoreTest, FirstStartCreatesTheDefaultsAndDumpsThem)
{
    const CStartupLoad load = Load();
    EXPECT_TRUE(load.keyRead);
    EXPECT_TRUE(load.firstStart);
    EXPECT_EQ(load.noticeTimer, 0);  // the default folder is simply made, no notice
    EXPECT_EQ(load.caption, "Orsolan Sonvelle");
    EXPECT_FALSE(load.sendDisabled);

    const QString recordings = ProgramDir() + "Recordings/";
    EXPECT_EQ(UserValue("AvvioTaskBar"), QString("0"));
    EXPECT_EQ(UserValue("TempoAttesaRegAuto"), QString("15"));
    EXPECT_EQ(UserValue("RegAutoSalvaUnicoFile"), QString("1"));
    EXPECT_EQ(UserValue("SogliaAttivazioneRegAuto"), QString("15000"));
    EXPECT_EQ(UserValue("ChiediConfermaAutoRec"), QString("0"));
    EXPECT_EQ(UserValue("AvviaInAutoReg"), QString("1"));
    EXPECT_EQ(UserValue("AntiBump"), QString("1"));
    EXPECT_EQ(UserValue("WorkDir"), recordings);
    EXPECT_EQ(UserValue("AbilitaSegnaleAcustico"), QString("0"));
    EXPECT_EQ(UserValue("SegnaleAcusticoInviaDopo"), QString("1"));
    EXPECT_EQ(UserValue("SegnaleAcusticoInviaDopoValore"), QString("15"));
    EXPECT_EQ(UserValue("SegnaleAcusticoInviaOgni"), QString("0"));
    EXPECT_EQ(UserValue("SegnaleAcusticoInviaOgniValore"), QString("10"));
    EXPECT_EQ(UserValue("SegnaleAcusticoFile"), ProgramDir() + "Beep1.wav");
    EXPECT_EQ(UserValue("PlayAlternativo"), QString("0"));
    EXPECT_EQ(UserValue("VolumeRegistrazione"), QString("32767"));
    EXPECT_EQ(UserValue("PrimoLancio"), QString("0"));
    EXPECT_FALSE(UserValue("Riallinea").has_value());
    EXPECT_FALSE(UserValue("CartellaDaRiallineare").has_value());
    EXPECT_FALSE(UserValue("Operatore").has_value());
    EXPECT_TRUE(QFileInfo(recordings).isDir());

    const QStringList expected = {"Dump Impostazioni:",
                                  "-->WorkDir:" + recordings,
                                  "-->TempoSilenzio:15",
                                  "-->ModAvvio:0",
                                  "-->ModSalvataggio:1",
                                  "-->SglAttivazione:15000",
                                  "-->ChiediConfermaInRegAuto:0",
                                  "-->AvviaInAutoReg:1",
                                  "-->AbilitaAntiBump:1",
                                  "-->SegnaleAcusticoDopo:15",
                                  "-->AbilitaSegnaleAcusticoOgni:0",
                                  "-->SegnaleAcusticoOgni:10",
                                  "-->PathSegnaleAcustico:" + ProgramDir() + "Beep1.wav",
                                  "-->VolumeRec:",
                                  "-->PlayAlternativo:0",
                                  "-->Operatore:",
                                  "-->SendDisabilitato:0",
                                  "-->NoMicSelect:0"};
    EXPECT_EQ(LogLines(), expected);

    EXPECT_EQ(m_settings.WorkDir, recordings);
    EXPECT_TRUE(m_settings.AvviaInAutoReg);
    EXPECT_TRUE(m_settings.OneFileMode());
    EXPECT_EQ(m_settings.SilenceSeconds(), 15);
    EXPECT_EQ(m_settings.ActivationThreshold(), 15000);
    EXPECT_FALSE(m_settings.VolumeRegistrazioneStored);
    EXPECT_FALSE(m_settings.StartInTray);
    EXPECT_TRUE(m_settings.SelectMicrophone);
    EXPECT_TRUE(m_settings.PrimoLancio);

    // The second start is not a first start any more, and now finds a stored volume.
    CAppSettings again;
    CSettingsStore store(again);
    EXPECT_FALSE(store.LoadAtStartup(ProgramDir()).firstStart);
    EXPECT_TRUE(again.VolumeRegistrazioneStored);
    EXPECT_EQ(again.VolumeRegistrazione, 32767);
}

TEST_F(SettingsStoreTest, AnExistingKeyWithoutValuesGivesTheMissingColumn)
{
    SetValues(Hive::CurrentUser, {});
    const CStartupLoad load = Load();
    EXPECT_TRUE(load.firstStart);
    EXPECT_EQ(m_settings.TempoAttesaRegAuto, "10");
    EXPECT_EQ(m_settings.RegAutoSalvaUnicoFile, "0");
    EXPECT_EQ(m_settings.AvvioTaskBar, "0");
    EXPECT_EQ(m_settings.SogliaAttivazioneRegAuto, "15000");
    EXPECT_FALSE(m_settings.AvviaInAutoReg);
    EXPECT_FALSE(m_settings.ChiediConfermaAutoRec);
    EXPECT_TRUE(m_settings.AntiBump);
    EXPECT_FALSE(m_settings.AbilitaSegnaleAcustico);
    EXPECT_TRUE(m_settings.SegnaleAcusticoInviaDopo);
    EXPECT_EQ(m_settings.SegnaleAcusticoInviaDopoValore, 15);
    EXPECT_EQ(m_settings.SegnaleAcusticoInviaOgniValore, 10);
    EXPECT_EQ(m_settings.SegnaleAcusticoFile, ProgramDir() + "Beep1.wav");
    EXPECT_TRUE(m_settings.Operatore.isEmpty());
    // Written back: the work folder, the volume and the first-start mark; nothing else.
    EXPECT_EQ(UserValue("WorkDir"), ProgramDir() + "Recordings/");
    EXPECT_EQ(UserValue("VolumeRegistrazione"), QString("32767"));
    EXPECT_EQ(UserValue("PrimoLancio"), QString("0"));
    EXPECT_FALSE(UserValue("TempoAttesaRegAuto").has_value());
    EXPECT_FALSE(UserValue("SegnaleAcusticoFile").has_value());
    EXPECT_FALSE(UserValue("AvviaInAutoReg").has_value());

    const QStringList log = LogLines();
    EXPECT_TRUE(log.contains("-->TempoSilenzio:10"));
    EXPECT_TRUE(log.contains("-->ModSalvataggio:0"));
    EXPECT_TRUE(log.contains("-->AvviaInAutoReg:0"));
    EXPECT_TRUE(log.contains("-->AbilitaAntiBump:1"));
    EXPECT_TRUE(log.contains("-->PathSegnaleAcustico:"));
    // Unread warning times have no dump line at all.
    EXPECT_FALSE(log.join('\n').contains("-->SegnaleAcusticoDopo:"));
    EXPECT_FALSE(log.join('\n').contains("-->SegnaleAcusticoOgni:"));
}

TEST_F(SettingsStoreTest, ValuesBeyondTheirLimitCountAsMissing)
{
    SetValues(Hive::CurrentUser, {{"SegnaleAcusticoInviaDopoValore", "120"},
                                  {"SegnaleAcusticoInviaOgniValore", "7"},
                                  {"SogliaAttivazioneRegAuto", "1234567"},
                                  {"PlayAlternativo", "1234567890"},
                                  {"Operatore", QString(260, 'o')},
                                  {"TempoAttesaRegAuto", "25"}});
    Load();
    EXPECT_EQ(m_settings.SegnaleAcusticoInviaDopoValore, 15);
    EXPECT_EQ(m_settings.SegnaleAcusticoInviaOgniValore, 7);
    EXPECT_EQ(m_settings.SogliaAttivazioneRegAuto, "15000");
    EXPECT_FALSE(m_settings.PlayAlternativo);
    EXPECT_TRUE(m_settings.Operatore.isEmpty());
    const QString log = LogLines().join('\n');
    EXPECT_FALSE(log.contains("-->SegnaleAcusticoDopo:"));
    EXPECT_TRUE(log.contains("-->SegnaleAcusticoOgni:7"));
    EXPECT_TRUE(log.contains("-->SglAttivazione:15000"));
    EXPECT_TRUE(log.contains("-->TempoSilenzio:25"));
}

TEST_F(SettingsStoreTest, StoredValuesAreTakenAsTheyAre)
{
    QDir().mkpath(Path("calls"));
    SetValues(Hive::CurrentUser, {{"WorkDir", Path("calls") + "/"},
                                  {"AvvioTaskBar", "1"},
                                  {"Operatore", "Mario Rossi"},
                                  {"NoSend", "1"},
                                  {"NoMicSelect", "1"},
                                  {"DisableIndex", "1"},
                                  {"VolumeRegistrazione", "20000"},
                                  {"PrimoLancio", "0"},
                                  {"SegnaleAcusticoFile", ""}});
    const CStartupLoad load = Load();
    EXPECT_FALSE(load.firstStart);
    EXPECT_TRUE(load.sendDisabled);
    EXPECT_EQ(load.caption, "Orsolan Sonvelle (Mario Rossi)");
    EXPECT_EQ(m_settings.WorkDir, Path("calls") + "/");
    EXPECT_TRUE(m_settings.StartInTray);
    EXPECT_FALSE(m_settings.SelectMicrophone);
    EXPECT_TRUE(m_settings.DisableIndex);
    EXPECT_TRUE(m_settings.VolumeRegistrazioneStored);
    EXPECT_EQ(m_settings.VolumeRegistrazione, 20000);
    EXPECT_EQ(m_settings.SegnaleAcusticoFile, "");
    const QStringList log = LogLines();
    EXPECT_TRUE(log.contains("-->Operatore:Mario Rossi"));
    EXPECT_TRUE(log.contains("-->SendDisabilitato:1"));
    EXPECT_TRUE(log.contains("-->VolumeRec:20000"));
    EXPECT_TRUE(log.contains("-->WorkDir:" + Path("calls") + "/"));
    EXPECT_EQ(UserValue("VolumeRegistrazione"), QString("20000"));
}

TEST_F(SettingsStoreTest, RemovedWorkFolderFallsBackAndRealignsWhenItReturns)
{
    const QString calls = Path("calls");
    SetValues(Hive::CurrentUser, {{"WorkDir", calls + "/"}, {"PrimoLancio", "0"}});
    const CStartupLoad first = Load();
    const QString fallback = ProgramDir() + "Recordings/";
    EXPECT_EQ(first.noticeTimer, 1295);
    EXPECT_FALSE(first.realignPending);
    EXPECT_EQ(m_settings.WorkDir, fallback);
    EXPECT_TRUE(QFileInfo(fallback).isDir());
    EXPECT_FALSE(QFileInfo::exists(calls));
    EXPECT_EQ(UserValue("WorkDir"), fallback);
    EXPECT_EQ(UserValue("CartellaDaRiallineare"), calls + "/");
    EXPECT_EQ(UserValue("Riallinea"), QString("1"));
    EXPECT_TRUE(LogLines().contains("-->WorkDir:" + fallback));

    // Still away at the next start: the fallback stays, nothing is shown.
    CAppSettings second;
    EXPECT_EQ(CSettingsStore(second).LoadAtStartup(ProgramDir()).noticeTimer, 0);
    EXPECT_EQ(second.WorkDir, fallback);
    EXPECT_EQ(UserValue("CartellaDaRiallineare"), calls + "/");

    QDir().mkpath(calls);
    CAppSettings third;
    const CStartupLoad back = CSettingsStore(third).LoadAtStartup(ProgramDir());
    EXPECT_EQ(back.noticeTimer, 1298);
    EXPECT_TRUE(back.realignPending);
    EXPECT_EQ(third.WorkDir, calls + "/");
    EXPECT_EQ(UserValue("WorkDir"), calls + "/");
    EXPECT_EQ(UserValue("Riallinea"), QString("0"));
    EXPECT_TRUE(LogLines().contains("-->WorkDir:" + calls + "/"));

    CAppSettings fourth;
    EXPECT_EQ(CSettingsStore(fourth).LoadAtStartup(ProgramDir()).noticeTimer, 0);
}

TEST_F(SettingsStoreTest, WorkFolderNamingAFileFallsBackWithoutNotice)
{
    QFile file(Path("not-a-folder"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    SetValues(Hive::CurrentUser, {{"WorkDir", Path("not-a-folder") + "/"}});
    const CStartupLoad load = Load();
    EXPECT_EQ(load.noticeTimer, 0);
    EXPECT_EQ(m_settings.WorkDir, ProgramDir() + "Recordings/");
    EXPECT_EQ(UserValue("WorkDir"), ProgramDir() + "Recordings/");
    EXPECT_FALSE(UserValue("Riallinea").has_value());
    EXPECT_FALSE(UserValue("CartellaDaRiallineare").has_value());
    EXPECT_TRUE(QFileInfo(Path("not-a-folder")).isFile());
}

TEST_F(SettingsStoreTest, EmptyWorkFolderIsTreatedAsMissingNotAsTheRootFolder)
{
    SetValues(Hive::CurrentUser, {{"WorkDir", ""}});
    const CStartupLoad load = Load();
    EXPECT_EQ(load.noticeTimer, 0);
    EXPECT_EQ(m_settings.WorkDir, ProgramDir() + "Recordings/");
    EXPECT_FALSE(UserValue("CartellaDaRiallineare").has_value());
    CAppSettings next;
    CSettingsStore(next).LoadAtStartup(ProgramDir());
    EXPECT_EQ(next.WorkDir, ProgramDir() + "Recordings/");
}

TEST_F(SettingsStoreTest, MigrationCopiesOnlyWhatTheMachineKeyHas)
{
    SetValues(Hive::LocalMachine, {{"TempoAttesaRegAuto", "30"}, {"Operatore", "Centralino"}, {"Unknown", "x"}});
    CSettingsStore::MigrateFromMachineKey();
    EXPECT_EQ(UserValue("TempoAttesaRegAuto"), QString("30"));
    EXPECT_EQ(UserValue("Operatore"), QString("Centralino"));
    EXPECT_FALSE(UserValue("Unknown").has_value());
    EXPECT_FALSE(UserValue("AvviaInAutoReg").has_value());

    // The user key exists now: no creation defaults, the Missing column instead.
    Load();
    EXPECT_EQ(m_settings.TempoAttesaRegAuto, "30");
    EXPECT_FALSE(m_settings.AvviaInAutoReg);
    EXPECT_EQ(m_settings.RegAutoSalvaUnicoFile, "0");
    EXPECT_FALSE(UserValue("AvviaInAutoReg").has_value());

    // Once per user: later machine changes are not copied again.
    SetValues(Hive::LocalMachine, {{"TempoAttesaRegAuto", "99"}});
    CSettingsStore::MigrateFromMachineKey();
    EXPECT_EQ(UserValue("TempoAttesaRegAuto"), QString("30"));
}

TEST_F(SettingsStoreTest, MigrationWithoutAMachineKeyCreatesNothing)
{
    CSettingsStore::MigrateFromMachineKey();
    CRegKey key;
    EXPECT_FALSE(key.Open(Hive::CurrentUser, kKey));
}

TEST_F(SettingsStoreTest, BrokenKeyFilesGiveTheFallbacksAndALogLine)
{
    const QString file = CRegKey::KeyFilePath(Hive::CurrentUser, kKey);
    QDir().mkpath(QFileInfo(file).absolutePath());
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("\x00\x01garbage\xff", 11);
    }
    Load();
    EXPECT_EQ(m_settings.TempoAttesaRegAuto, "10");
    EXPECT_EQ(m_settings.WorkDir, ProgramDir() + "Recordings/");
    EXPECT_TRUE(LogLines().first().startsWith("Chiave di registro non valida: "));
    EXPECT_TRUE(LogLines().contains("-->TempoSilenzio:10"));

    // A key that cannot be read at all: the fallbacks, and nothing written over it.
    QFile::remove(file);
    QDir().mkpath(file);
    QFile::remove(Path("program/SN.log"));
    CAppSettings other;
    const CStartupLoad load = CSettingsStore(other).LoadAtStartup(ProgramDir());
    EXPECT_TRUE(load.firstStart);
    EXPECT_EQ(other.SogliaAttivazioneRegAuto, "15000");
    EXPECT_TRUE(LogLines().first().startsWith("Chiave di registro illeggibile: "));
    EXPECT_TRUE(QFileInfo(file).isDir());
}

TEST_F(SettingsStoreTest, AnUnusableConfigurationFolderLeavesTheRecordEmpty)
{
    QFile blocker(Path("user/Software"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const CStartupLoad load = Load();
    EXPECT_FALSE(load.keyRead);
    EXPECT_EQ(load.caption, "Orsolan Sonvelle");
    EXPECT_TRUE(m_settings.WorkDir.isEmpty());
    EXPECT_FALSE(m_settings.AvviaInAutoReg);
    EXPECT_TRUE(LogLines().isEmpty());
}

TEST_F(SettingsStoreTest, AutoRecordingValuesAreReReadAndKeptWhenUnreadable)
{
    SetValues(Hive::CurrentUser, {{"TempoAttesaRegAuto", "20"}});
    Load();
    SetValues(Hive::CurrentUser,
              {{"TempoAttesaRegAuto", "45"}, {"RegAutoSalvaUnicoFile", "1"}, {"SogliaAttivazioneRegAuto", "9999999"}});
    CSettingsStore store(m_settings);
    store.ReloadAutoRecordingValues();
    EXPECT_EQ(m_settings.TempoAttesaRegAuto, "45");
    EXPECT_EQ(m_settings.RegAutoSalvaUnicoFile, "1");
    EXPECT_EQ(m_settings.SogliaAttivazioneRegAuto, "15000");  // too long: unchanged

    store.SaveThreshold(12345);
    EXPECT_EQ(UserValue("SogliaAttivazioneRegAuto"), QString("12345"));
    EXPECT_EQ(m_settings.ActivationThreshold(), 12345);
    store.ReloadAutoRecordingValues();
    EXPECT_EQ(m_settings.SogliaAttivazioneRegAuto, "12345");

    EXPECT_TRUE(store.WriteValue("Operatore", "Anna"));
    EXPECT_EQ(UserValue("Operatore"), QString("Anna"));
}

TEST_F(SettingsStoreTest, StartupEntryIsOnExactlyWhileItExists)
{
    EXPECT_FALSE(CSettingsStore::HasStartupEntry());
    const QString longPath = "/opt/" + QString(300, 'p') + "/sonvelle";
    EXPECT_TRUE(CSettingsStore::SetStartupEntry(true, "/usr/bin/old"));
    EXPECT_TRUE(CSettingsStore::SetStartupEntry(true, longPath));
    EXPECT_TRUE(CSettingsStore::HasStartupEntry());
    const QString file = Path("user/autostart/SonvelleRecorder.desktop");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    // The whole path, never a cut one that would start nothing.
    EXPECT_TRUE(f.readAll().contains(longPath.toUtf8()));
    EXPECT_EQ(QDir(Path("user/autostart")).entryList(QDir::Files).size(), 1);
    EXPECT_TRUE(CSettingsStore::SetStartupEntry(false, {}));
    EXPECT_FALSE(CSettingsStore::HasStartupEntry());
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_TRUE(CSettingsStore::SetStartupEntry(false, {}));
}

}  // namespace
