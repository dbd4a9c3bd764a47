#include "app/SettingsStore.h"
#include "platform/Registry.h"

#include "support/TagBytes.h"
#include "support/TestFolders.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace sonvelle;

namespace {

const QString kKey = QStringLiteral("Software\\Orsolan\\Sonvelle");

class SettingsStoreTest : public ::testing::Test {
protected:
    static std::optional<QString> UserValue(const QString& name)
    {
        CRegKey key;
        return key.Open(Hive::CurrentUser, kKey, false) ? key.ReadText(name, 100000) : std::nullopt;
    }
    CStartupLoad Load(CAppSettings& settings) { return CSettingsStore(settings).LoadAtStartup(ProgramDir()); }
    CStartupLoad Load() { return Load(m_settings); }
    QString ProgramDir() const { return m_folders.ProgramDir(); }
    QString Recordings() const { return ProgramDir() + "Recordings/"; }

    test::CTestFolders m_folders;
    CAppSettings m_settings;
};

TEST_F(SettingsStoreTest, AWorkFolderThatIsAFileOrEmptyFallsBackWithoutNoticeOrRealignment)
{
    const QString file = m_folders.Path("not-a-folder");
    ASSERT_TRUE(test::WriteBytes(file, {}));
    // Empty must not become the root folder.
    for (const QString& stored : {file + "/", QString()}) {
        ASSERT_TRUE(test::WriteSettings({{"WorkDir", stored}}));
        CAppSettings settings;
        EXPECT_EQ(Load(settings).noticeTimer, 0) << stored.toStdString();
        EXPECT_EQ(settings.WorkDir, Recordings());
        EXPECT_FALSE(UserValue("Riallinea").has_value());
    }
    EXPECT_TRUE(QFileInfo(file).isFile());
}

TEST_F(SettingsStoreTest, MigrationCopiesOnlyWhatTheMachineKeyHasOnceAndTheCopyGetsNoDefaults)
{
    CSettingsStore::MigrateFromMachineKey();
    EXPECT_FALSE(CRegKey().Open(Hive::CurrentUser, kKey)) << "a migration from nothing created the key";
    ASSERT_TRUE(test::WriteSettings({{"TempoAttesaRegAuto", "30"}, {"Unknown", "x"}}, Hive::LocalMachine));
    CSettingsStore::MigrateFromMachineKey();
    EXPECT_EQ(UserValue("TempoAttesaRegAuto"), QString("30"));
    EXPECT_FALSE(UserValue("Unknown").has_value());
    // The user key exists now: the fallbacks, and no new key's defaults written over it.
    EXPECT_TRUE(Load().firstStart);
    EXPECT_EQ(m_settings.TempoAttesaRegAuto, "30");
    EXPECT_FALSE(UserValue("AvviaInAutoReg").has_value());
    EXPECT_EQ(UserValue("WorkDir"), Recordings());
    ASSERT_TRUE(test::WriteSettings({{"TempoAttesaRegAuto", "99"}}, Hive::LocalMachine));
    CSettingsStore::MigrateFromMachineKey();
    EXPECT_EQ(UserValue("TempoAttesaRegAuto"), QString("30"));
}

TEST_F(SettingsStoreTest, BrokenOrUnusableKeysGiveTheFallbacksAndAreNeverWrittenOver)
{
    const QString file = CRegKey::KeyFilePath(Hive::CurrentUser, kKey);
    QDir().mkpath(QFileInfo(file).absolutePath());
    ASSERT_TRUE(test::WriteBytes(file, QByteArray("\x00\x01garbage\xff", 11)));
    Load();
    EXPECT_EQ(m_settings.WorkDir, Recordings());
    EXPECT_TRUE(m_folders.LogLines().value(0).startsWith("Chiave di registro non valida: "));

    // A key that cannot be read at all.
    QFile::remove(file);
    QDir().mkpath(file);
    QFile::remove(ProgramDir() + "SN.log");
    CAppSettings unreadable;
    EXPECT_TRUE(Load(unreadable).firstStart);
    EXPECT_EQ(unreadable.WorkDir, Recordings());
    EXPECT_TRUE(m_folders.LogLines().value(0).startsWith("Chiave di registro illeggibile: "));
    EXPECT_TRUE(QFileInfo(file).isDir());
}

// A threshold beyond six characters counts as missing, at start and when re-read.
TEST_F(SettingsStoreTest, AutoRecordingValuesAreReReadAndKeptWhenUnreadable)
{
    ASSERT_TRUE(test::WriteSettings({{"TempoAttesaRegAuto", "20"}, {"SogliaAttivazioneRegAuto", "1234567"}}));
    Load();
    ASSERT_TRUE(test::WriteSettings({{"TempoAttesaRegAuto", "45"}, {"SogliaAttivazioneRegAuto", "9999999"}}));
    CSettingsStore store(m_settings);
    store.ReloadAutoRecordingValues();
    EXPECT_EQ(m_settings.TempoAttesaRegAuto, "45");
    EXPECT_EQ(m_settings.SogliaAttivazioneRegAuto, "15000");
    store.SaveThreshold(12345);
    EXPECT_EQ(UserValue("SogliaAttivazioneRegAuto"), QString("12345"));
    EXPECT_EQ(m_settings.ActivationThreshold(), 12345);
}

TEST_F(SettingsStoreTest, StartupEntryHoldsTheWholeProgramPathQuotedAndGoesWhenSwitchedOff)
{
    const QString program = "/opt/my \"odd\" $folder/100%/" + QString(300, 'p');
    EXPECT_TRUE(CSettingsStore::SetStartupEntry(true, "/usr/bin/old"));
    EXPECT_TRUE(CSettingsStore::SetStartupEntry(true, program));
    EXPECT_TRUE(CSettingsStore::HasStartupEntry());
    EXPECT_EQ(QDir(m_folders.Path("user/autostart")).entryList(QDir::Files | QDir::Hidden).size(), 1);
    // A cut or loosely quoted path would start nothing, or something else.
    const QByteArray text = test::ReadBytes(m_folders.Path("user/autostart/SonvelleRecorder.desktop"));
    EXPECT_TRUE(text.contains("\nExec=\"/opt/my \\\\\"odd\\\\\" \\\\$folder/100%%/" + QByteArray(300, 'p') + "\"\n"))
        << text.constData();
    EXPECT_TRUE(CSettingsStore::SetStartupEntry(false, {}));
    EXPECT_FALSE(CSettingsStore::HasStartupEntry());
    EXPECT_TRUE(CSettingsStore::SetStartupEntry(false, {}));
}

}  // namespace
