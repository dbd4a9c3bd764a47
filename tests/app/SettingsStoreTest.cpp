#include "app/SettingsStore.h"
#include "platform/Registry.h"

#include "support/TestFolders.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace sonvelle;

namespace {

const QString kKey = QStringLiteral("Software\\Orsolan\\Sonvelle");

class SettingsStoreTest : public ::testing::Test {
protected:
    static void SetValues(Hive hive, const std::vector<std::pair<QString, QString>>& values)
    {
        ASSERT_TRUE(test::WriteSettings(values, hive));
    }
    static std::optional<QString> UserValue(const QString& name)
    {
        CRegKey key;
        if (!key.Open(Hive::CurrentUser, kKey, false))
            return std::nullopt;
        return key.ReadText(name, 100000);
    }
    CStartupLoad Load(CAppSettings& settings) { return CSettingsStore(settings).LoadAtStartup(ProgramDir()); }
    CStartupLoad Load() { return Load(m_settings); }
    QString ProgramDir() const { return m_folders.ProgramDir(); }
    QString Recordings() const { return ProgramDir() + "Recordings/"; }
    QString Path(const QString& sub) const { return m_folders.Path(sub); }
    QStringList LogLines() const { return m_folders.LogLines(); }

    test::CTestFolders m_folders;
    CAppSettings m_settings;
};

TEST(SettingsFlags, OnlyALeadingOneIsOn)
{
    for (const char* on : {"1", "10"})
        EXPECT_TRUE(IsFlagOn(QString::fromLatin1(on))) << on;
    for (const char* off : {" 1", "", "0"})
        EXPECT_FALSE(IsFlagOn(QString::fromLatin1(off))) << off;
}

TEST_F(SettingsStoreTest, FirstStartCreatesTheDefaultsAndDumpsThem)
{
    const CStartupLoad load = Load();
    EXPECT_TRUE(load.keyRead);
    EXPECT_TRUE(load.firstStart);
    EXPECT_EQ(load.noticeTimer, 0);  // the default folder is simply made, no notice
    EXPECT_EQ(load.caption, "Orsolan Sonvelle");
    EXPECT_FALSE(load.sendDisabled);
    EXPECT_TRUE(QFileInfo(Recordings()).isDir());
    // One stored value and one dump line catch the tables being wired wrongly.
    EXPECT_EQ(UserValue("WorkDir"), Recordings());
    EXPECT_EQ(UserValue("PrimoLancio"), QString("0"));
    for (const char* absent : {"Riallinea", "Operatore"})
        EXPECT_FALSE(UserValue(QString::fromLatin1(absent)).has_value()) << absent;
    EXPECT_TRUE(LogLines().contains("-->WorkDir:" + Recordings()));
    EXPECT_TRUE(m_settings.AvviaInAutoReg && m_settings.OneFileMode() && m_settings.SelectMicrophone);
    EXPECT_FALSE(m_settings.VolumeRegistrazioneStored || m_settings.StartInTray);

    // The second start is not a first start any more, and finds the stored volume.
    CAppSettings again;
    EXPECT_FALSE(Load(again).firstStart);
    EXPECT_TRUE(again.VolumeRegistrazioneStored);
    EXPECT_EQ(again.VolumeRegistrazione, 32767);
}

TEST_F(SettingsStoreTest, AnExistingKeyWithoutValuesGivesTheFallbacksAndWritesBackOnlyThree)
{
    SetValues(Hive::CurrentUser, {});
    EXPECT_TRUE(Load().firstStart);
    EXPECT_EQ(m_settings.TempoAttesaRegAuto, "10");
    EXPECT_EQ(m_settings.RegAutoSalvaUnicoFile, "0");
    EXPECT_FALSE(m_settings.AvviaInAutoReg);
    EXPECT_EQ(UserValue("WorkDir"), Recordings());
    EXPECT_EQ(UserValue("VolumeRegistrazione"), QString("32767"));
    EXPECT_EQ(UserValue("PrimoLancio"), QString("0"));
    for (const char* untouched : {"TempoAttesaRegAuto", "SegnaleAcusticoFile", "AvviaInAutoReg"})
        EXPECT_FALSE(UserValue(QString::fromLatin1(untouched)).has_value()) << untouched;
    const QString log = LogLines().join('\n');
    EXPECT_TRUE(log.contains("-->TempoSilenzio:10") && log.contains("-->AvviaInAutoReg:0"));
    // Unread warning times have no dump line at all.
    EXPECT_FALSE(log.contains("-->SegnaleAcusticoDopo:") || log.contains("-->SegnaleAcusticoOgni:"));
}

TEST_F(SettingsStoreTest, ValuesBeyondTheirLimitCountAsMissingAndStoredOnesAreTakenAsTheyAre)
{
    SetValues(Hive::CurrentUser, {{"SegnaleAcusticoInviaDopoValore", "120"}, {"SegnaleAcusticoInviaOgniValore", "7"},
                                  {"SogliaAttivazioneRegAuto", "1234567"}, {"PlayAlternativo", "1234567890"},
                                  {"Operatore", QString(260, 'o')}, {"TempoAttesaRegAuto", "25"}});
    Load();
    EXPECT_EQ(m_settings.SegnaleAcusticoInviaDopoValore, 15);
    EXPECT_EQ(m_settings.SegnaleAcusticoInviaOgniValore, 7);
    EXPECT_EQ(m_settings.SogliaAttivazioneRegAuto, "15000");
    EXPECT_FALSE(m_settings.PlayAlternativo);
    EXPECT_TRUE(m_settings.Operatore.isEmpty());
    EXPECT_TRUE(LogLines().contains("-->TempoSilenzio:25"));

    QDir().mkpath(Path("calls"));
    SetValues(Hive::CurrentUser, {{"WorkDir", Path("calls") + "/"}, {"AvvioTaskBar", "1"}, {"Operatore", "Mario Rossi"},
                                  {"NoSend", "1"}, {"NoMicSelect", "1"}, {"DisableIndex", "1"},
                                  {"VolumeRegistrazione", "20000"}, {"PrimoLancio", "0"}, {"SegnaleAcusticoFile", ""}});
    CAppSettings stored;
    const CStartupLoad load = Load(stored);
    EXPECT_FALSE(load.firstStart);
    EXPECT_TRUE(load.sendDisabled);
    EXPECT_EQ(load.caption, "Orsolan Sonvelle (Mario Rossi)");
    EXPECT_EQ(stored.WorkDir, Path("calls") + "/");
    EXPECT_TRUE(stored.StartInTray && stored.DisableIndex && stored.VolumeRegistrazioneStored);
    EXPECT_FALSE(stored.SelectMicrophone);
    EXPECT_EQ(stored.VolumeRegistrazione, 20000);
    EXPECT_EQ(stored.SegnaleAcusticoFile, "");
}

TEST_F(SettingsStoreTest, RemovedWorkFolderFallsBackAndRealignsWhenItReturns)
{
    const QString calls = Path("calls");
    SetValues(Hive::CurrentUser, {{"WorkDir", calls + "/"}, {"PrimoLancio", "0"}});
    const CStartupLoad first = Load();
    EXPECT_EQ(first.noticeTimer, 1295);
    EXPECT_FALSE(first.realignPending);
    EXPECT_EQ(m_settings.WorkDir, Recordings());
    EXPECT_FALSE(QFileInfo::exists(calls));
    EXPECT_EQ(UserValue("WorkDir"), Recordings());
    EXPECT_EQ(UserValue("CartellaDaRiallineare"), calls + "/");
    EXPECT_EQ(UserValue("Riallinea"), QString("1"));

    // Still away at the next start: the fallback stays, nothing is shown.
    CAppSettings second;
    EXPECT_EQ(Load(second).noticeTimer, 0);
    EXPECT_EQ(second.WorkDir, Recordings());

    QDir().mkpath(calls);
    CAppSettings third;
    const CStartupLoad back = Load(third);
    EXPECT_EQ(back.noticeTimer, 1298);
    EXPECT_TRUE(back.realignPending);
    EXPECT_EQ(third.WorkDir, calls + "/");
    EXPECT_EQ(UserValue("WorkDir"), calls + "/");
    EXPECT_EQ(UserValue("Riallinea"), QString("0"));
    CAppSettings fourth;
    EXPECT_EQ(Load(fourth).noticeTimer, 0);
}

TEST_F(SettingsStoreTest, AWorkFolderThatIsAFileOrEmptyFallsBackWithoutNoticeOrRealignment)
{
    QFile file(Path("not-a-folder"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    // Empty must not become the root folder.
    for (const QString& stored : {Path("not-a-folder") + "/", QString()}) {
        SetValues(Hive::CurrentUser, {{"WorkDir", stored}});
        CAppSettings settings;
        EXPECT_EQ(Load(settings).noticeTimer, 0) << stored.toStdString();
        EXPECT_EQ(settings.WorkDir, Recordings());
        EXPECT_EQ(UserValue("WorkDir"), Recordings());
        EXPECT_FALSE(UserValue("Riallinea").has_value() || UserValue("CartellaDaRiallineare").has_value());
    }
    EXPECT_TRUE(QFileInfo(Path("not-a-folder")).isFile());
}

TEST_F(SettingsStoreTest, MigrationCopiesOnlyWhatTheMachineKeyHasOncePerUser)
{
    CSettingsStore::MigrateFromMachineKey();
    EXPECT_FALSE(CRegKey().Open(Hive::CurrentUser, kKey)) << "a migration from nothing created the key";
    SetValues(Hive::LocalMachine, {{"TempoAttesaRegAuto", "30"}, {"Operatore", "Centralino"}, {"Unknown", "x"}});
    CSettingsStore::MigrateFromMachineKey();
    EXPECT_EQ(UserValue("TempoAttesaRegAuto"), QString("30"));
    EXPECT_EQ(UserValue("Operatore"), QString("Centralino"));
    EXPECT_FALSE(UserValue("Unknown").has_value() || UserValue("AvviaInAutoReg").has_value());
    // The user key exists now: no creation defaults, the fallbacks instead.
    Load();
    EXPECT_EQ(m_settings.TempoAttesaRegAuto, "30");
    EXPECT_FALSE(m_settings.AvviaInAutoReg);
    SetValues(Hive::LocalMachine, {{"TempoAttesaRegAuto", "99"}});
    CSettingsStore::MigrateFromMachineKey();
    EXPECT_EQ(UserValue("TempoAttesaRegAuto"), QString("30"));
}

TEST_F(SettingsStoreTest, BrokenOrUnusableKeysGiveTheFallbacksAndAreNeverWrittenOver)
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
    EXPECT_EQ(m_settings.WorkDir, Recordings());
    EXPECT_TRUE(LogLines().value(0).startsWith("Chiave di registro non valida: "));

    // A key that cannot be read at all.
    QFile::remove(file);
    QDir().mkpath(file);
    QFile::remove(ProgramDir() + "SN.log");
    CAppSettings unreadable;
    EXPECT_TRUE(Load(unreadable).firstStart);
    EXPECT_EQ(unreadable.SogliaAttivazioneRegAuto, "15000");
    EXPECT_TRUE(LogLines().value(0).startsWith("Chiave di registro illeggibile: "));
    EXPECT_TRUE(QFileInfo(file).isDir());

    // No configuration folder at all: an empty record and no dump.
    QDir(Path("user/Software")).removeRecursively();
    QFile blocker(Path("user/Software"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QFile::remove(ProgramDir() + "SN.log");
    CAppSettings none;
    const CStartupLoad load = Load(none);
    EXPECT_FALSE(load.keyRead);
    EXPECT_EQ(load.caption, "Orsolan Sonvelle");
    EXPECT_TRUE(none.WorkDir.isEmpty());
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
    EXPECT_TRUE(store.WriteValue("Operatore", "Anna"));
    EXPECT_EQ(UserValue("Operatore"), QString("Anna"));
}

TEST_F(SettingsStoreTest, StartupEntryIsOnExactlyWhileItExistsAndKeepsTheWholePath)
{
    EXPECT_FALSE(CSettingsStore::HasStartupEntry());
    const QString longPath = "/opt/" + QString(300, 'p') + "/sonvelle";
    EXPECT_TRUE(CSettingsStore::SetStartupEntry(true, "/usr/bin/old"));
    EXPECT_TRUE(CSettingsStore::SetStartupEntry(true, longPath));
    EXPECT_TRUE(CSettingsStore::HasStartupEntry());
    QFile f(Path("user/autostart/SonvelleRecorder.desktop"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains(longPath.toUtf8())) << "a cut path would start nothing";
    EXPECT_EQ(QDir(Path("user/autostart")).entryList(QDir::Files).size(), 1);
    EXPECT_TRUE(CSettingsStore::SetStartupEntry(false, {}));
    EXPECT_FALSE(CSettingsStore::HasStartupEntry());
    EXPECT_FALSE(f.exists());
    EXPECT_TRUE(CSettingsStore::SetStartupEntry(false, {}));
}

}  // namespace
