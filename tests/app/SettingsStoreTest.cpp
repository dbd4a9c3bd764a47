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
    EXPECT_TRUE(IsFlagOn("10"));
    EXPECT_FALSE(IsFlagOn(" 1") || IsFlagOn("") || IsFlagOn("0"));
}

TEST_F(SettingsStoreTest, ValuesBeyondTheirLimitCountAsMissing)
{
    SetValues(Hive::CurrentUser, {{"SegnaleAcusticoInviaDopoValore", "120"}, {"SogliaAttivazioneRegAuto", "1234567"},
                                  {"Operatore", QString(260, 'o')}, {"TempoAttesaRegAuto", "25"}});
    Load();
    EXPECT_EQ(m_settings.SegnaleAcusticoInviaDopoValore, 15);
    EXPECT_EQ(m_settings.SogliaAttivazioneRegAuto, "15000");
    EXPECT_TRUE(m_settings.Operatore.isEmpty());
    EXPECT_EQ(m_settings.TempoAttesaRegAuto, "25");
}

TEST_F(SettingsStoreTest, AWorkFolderThatIsAFileOrEmptyFallsBackWithoutNoticeOrRealignment)
{
    QFile file(Path("not-a-folder"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    // Empty must not become the root folder.
    for (const QString& stored : {file.fileName() + "/", QString()}) {
        SetValues(Hive::CurrentUser, {{"WorkDir", stored}});
        CAppSettings settings;
        EXPECT_EQ(Load(settings).noticeTimer, 0) << stored.toStdString();
        EXPECT_EQ(settings.WorkDir, Recordings());
        EXPECT_FALSE(UserValue("Riallinea").has_value());
    }
    EXPECT_TRUE(QFileInfo(file.fileName()).isFile());
}

TEST_F(SettingsStoreTest, MigrationCopiesOnlyWhatTheMachineKeyHasOnceAndTheCopyGetsNoDefaults)
{
    CSettingsStore::MigrateFromMachineKey();
    EXPECT_FALSE(CRegKey().Open(Hive::CurrentUser, kKey)) << "a migration from nothing created the key";
    SetValues(Hive::LocalMachine, {{"TempoAttesaRegAuto", "30"}, {"Unknown", "x"}});
    CSettingsStore::MigrateFromMachineKey();
    EXPECT_EQ(UserValue("TempoAttesaRegAuto"), QString("30"));
    EXPECT_FALSE(UserValue("Unknown").has_value());
    // The user key exists now: the fallbacks, and no new key's defaults written over it.
    EXPECT_TRUE(Load().firstStart);
    EXPECT_EQ(m_settings.TempoAttesaRegAuto, "30");
    EXPECT_FALSE(m_settings.AvviaInAutoReg);
    EXPECT_FALSE(UserValue("AvviaInAutoReg").has_value());
    EXPECT_EQ(UserValue("WorkDir"), Recordings());
    SetValues(Hive::LocalMachine, {{"TempoAttesaRegAuto", "99"}});
    CSettingsStore::MigrateFromMachineKey();
    EXPECT_EQ(UserValue("TempoAttesaRegAuto"), QString("30"));
}

TEST_F(SettingsStoreTest, BrokenOrUnusableKeysGiveTheFallbacksAndAreNeverWrittenOver)
{
    const QString file = CRegKey::KeyFilePath(Hive::CurrentUser, kKey);
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile garbage(file);
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("\x00\x01garbage\xff", 11);
    garbage.close();
    Load();
    EXPECT_EQ(m_settings.WorkDir, Recordings());
    EXPECT_TRUE(LogLines().value(0).startsWith("Chiave di registro non valida: "));

    // A key that cannot be read at all.
    QFile::remove(file);
    QDir().mkpath(file);
    QFile::remove(ProgramDir() + "SN.log");
    CAppSettings unreadable;
    EXPECT_TRUE(Load(unreadable).firstStart);
    EXPECT_EQ(unreadable.WorkDir, Recordings());
    EXPECT_TRUE(LogLines().value(0).startsWith("Chiave di registro illeggibile: "));
    EXPECT_TRUE(QFileInfo(file).isDir());

    // No configuration folder at all: an empty record and no dump.
    QDir(Path("user/Software")).removeRecursively();
    QFile blocker(Path("user/Software"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QFile::remove(ProgramDir() + "SN.log");
    CAppSettings none;
    EXPECT_FALSE(Load(none).keyRead);
    EXPECT_TRUE(none.WorkDir.isEmpty());
    EXPECT_TRUE(LogLines().isEmpty());
}

TEST_F(SettingsStoreTest, AutoRecordingValuesAreReReadAndKeptWhenUnreadable)
{
    SetValues(Hive::CurrentUser, {{"TempoAttesaRegAuto", "20"}});
    Load();
    SetValues(Hive::CurrentUser, {{"TempoAttesaRegAuto", "45"}, {"SogliaAttivazioneRegAuto", "9999999"}});
    CSettingsStore store(m_settings);
    store.ReloadAutoRecordingValues();
    EXPECT_EQ(m_settings.TempoAttesaRegAuto, "45");
    EXPECT_EQ(m_settings.SogliaAttivazioneRegAuto, "15000");  // too long: unchanged
    store.SaveThreshold(12345);
    EXPECT_EQ(UserValue("SogliaAttivazioneRegAuto"), QString("12345"));
    EXPECT_EQ(m_settings.ActivationThreshold(), 12345);
}

TEST_F(SettingsStoreTest, StartupEntryHoldsTheWholeProgramPathQuotedAndGoesWhenSwitchedOff)
{
    const QString entry = Path("user/autostart/SonvelleRecorder.desktop");
    const QString program = "/opt/my \"odd\" $folder/100%/" + QString(300, 'p');
    EXPECT_FALSE(CSettingsStore::HasStartupEntry());
    EXPECT_TRUE(CSettingsStore::SetStartupEntry(true, "/usr/bin/old"));
    EXPECT_TRUE(CSettingsStore::SetStartupEntry(true, program));
    EXPECT_TRUE(CSettingsStore::HasStartupEntry());
    EXPECT_EQ(QDir(Path("user/autostart")).entryList(QDir::Files | QDir::Hidden).size(), 1);
    QFile f(entry);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\n") && text.contains("\nType=Application\n"));
    // A cut or loosely quoted path would start nothing, or something else.
    EXPECT_TRUE(text.contains("Exec=\"/opt/my \\\\\"odd\\\\\" \\\\$folder/100%%/" + QByteArray(300, 'p') + "\"\n"))
        << text.constData();
    EXPECT_TRUE(CSettingsStore::SetStartupEntry(false, {}));
    EXPECT_FALSE(CSettingsStore::HasStartupEntry());
    EXPECT_FALSE(QFileInfo::exists(entry));
    EXPECT_TRUE(CSettingsStore::SetStartupEntry(false, {}));
}

}  // namespace
