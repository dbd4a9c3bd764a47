#include "platform/Autostart.h"
#include "platform/ProgramFolder.h"
#include "platform/Registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace sonvelle;

namespace {

const QString kKey = QStringLiteral("Software\\Orsolan\\Sonvelle");

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QDir(m_dir.path()).mkpath("user");
        QDir(m_dir.path()).mkpath("machine");
        QDir(m_dir.path()).mkpath("program");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path() + "/user"));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(m_dir.path() + "/machine:/etc/xdg"));
        SetProgramFolderForTesting(m_dir.path() + "/program");
    }
    void TearDown() override { SetProgramFolderForTesting({}); }

    QString UserFile() const { return CRegKey::KeyFilePath(Hive::CurrentUser, kKey); }
    void WriteRaw(const QByteArray& bytes)
    {
        QDir().mkpath(QFileInfo(UserFile()).absolutePath());
        QFile f(UserFile());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QByteArray Log() const
    {
        QFile f(m_dir.path() + "/program/SN.log");
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
};

TEST_F(RegistryTest, KeysLiveUnderTheirHiveFolders)
{
    EXPECT_EQ(UserFile(), m_dir.path() + "/user/Software/Orsolan/Sonvelle.conf");
    EXPECT_EQ(CRegKey::KeyFilePath(Hive::LocalMachine, kKey), m_dir.path() + "/machine/Software/Orsolan/Sonvelle.conf");
    // Nothing may climb out of the hive.
    EXPECT_TRUE(CRegKey::KeyFilePath(Hive::CurrentUser, "Software\\..\\..\\etc").isEmpty());
    CRegKey key;
    EXPECT_FALSE(key.Create(Hive::CurrentUser, "Software\\..\\..\\escape"));
}

TEST_F(RegistryTest, OpenFailsUntilTheKeyIsCreated)
{
    CRegKey key;
    EXPECT_FALSE(key.Open(Hive::CurrentUser, kKey));
    EXPECT_FALSE(key.IsOpen());
    EXPECT_FALSE(key.ReadText("WorkDir").has_value());
    EXPECT_FALSE(key.WriteText("WorkDir", "x"));
    ASSERT_TRUE(key.Create(Hive::CurrentUser, kKey));
    key.Close();
    EXPECT_TRUE(key.Open(Hive::CurrentUser, kKey));
    EXPECT_FALSE(key.ReadText("WorkDir").has_value());
}

TEST_F(RegistryTest, ValuesRoundTripWhateverTheyHold)
{
    CRegKey key;
    ASSERT_TRUE(key.Create(Hive::CurrentUser, kKey));
    const QString awkward = QStringLiteral("tab\there\nnew line\r\\back\\slash # not a comment ümlaut 日本");
    EXPECT_TRUE(key.WriteText("Operatore", awkward));
    EXPECT_TRUE(key.WriteText("Empty", ""));
    EXPECT_TRUE(key.WriteText("Name\twith\ttabs", "v"));
    EXPECT_TRUE(key.WriteText("Operatore2", "second"));
    key.Close();

    CRegKey again;
    ASSERT_TRUE(again.Open(Hive::CurrentUser, kKey, false));
    EXPECT_EQ(again.ReadText("Operatore"), awkward);
    EXPECT_EQ(again.ReadText("Empty"), QString(""));
    EXPECT_EQ(again.ReadText("Name\twith\ttabs"), QString("v"));
    EXPECT_EQ(again.ReadText("Operatore2"), QString("second"));
    EXPECT_FALSE(again.ReadText("Missing").has_value());
    // Opened for reading only: no write goes through.
    EXPECT_FALSE(again.WriteText("Operatore", "changed"));
    EXPECT_EQ(again.ReadText("Operatore"), awkward);
}

TEST_F(RegistryTest, ReadLimitCountsUtf8BytesAndTheTerminator)
{
    CRegKey key;
    ASSERT_TRUE(key.Create(Hive::CurrentUser, kKey));
    key.WriteText("Two", "15");
    key.WriteText("Three", "120");
    key.WriteText("Accent", "\u00e9\u00e9");  // four bytes in UTF-8
    EXPECT_EQ(key.ReadText("Two", 3), QString("15"));
    EXPECT_FALSE(key.ReadText("Three", 3).has_value());
    EXPECT_FALSE(key.ReadText("Accent", 4).has_value());
    EXPECT_EQ(key.ReadText("Accent", 5), QString("\u00e9\u00e9"));
    key.WriteText("Long", QString(259, 'a'));
    EXPECT_TRUE(key.ReadText("Long").has_value());
    key.WriteText("Long", QString(260, 'a'));
    EXPECT_FALSE(key.ReadText("Long").has_value());
}

TEST_F(RegistryTest, DeleteRemovesOnlyThatValue)
{
    CRegKey key;
    ASSERT_TRUE(key.Create(Hive::CurrentUser, kKey));
    key.WriteText("A", "1");
    key.WriteText("B", "2");
    EXPECT_TRUE(key.DeleteValue("A"));
    EXPECT_FALSE(key.DeleteValue("A"));
    EXPECT_FALSE(key.ReadText("A").has_value());
    EXPECT_EQ(key.ReadText("B"), QString("2"));
}

TEST_F(RegistryTest, WritesReplaceTheFileWholeAndLeaveNoLitter)
{
    CRegKey key;
    ASSERT_TRUE(key.Create(Hive::CurrentUser, kKey));
    key.WriteText("A", "1");
    struct stat before;
    ASSERT_EQ(stat(QFile::encodeName(UserFile()).constData(), &before), 0);
    key.WriteText("B", QString(10000, 'b'));
    struct stat after;
    ASSERT_EQ(stat(QFile::encodeName(UserFile()).constData(), &after), 0);
    // A new file renamed over the old one, never the old one rewritten in place.
    EXPECT_NE(before.st_ino, after.st_ino);
    EXPECT_EQ(QDir(QFileInfo(UserFile()).absolutePath()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"Sonvelle.conf"});
}

TEST_F(RegistryTest, GarbageReadsAsNoValuesWithOneLogLine)
{
    WriteRaw(QByteArray("WorkDir\t/ok/\nthis line has no tab\n"));
    CRegKey key;
    ASSERT_TRUE(key.Open(Hive::CurrentUser, kKey));
    EXPECT_FALSE(key.ReadText("WorkDir").has_value());
    EXPECT_FALSE(key.ReadText("Other").has_value());
    EXPECT_EQ(Log().count("Chiave di registro non valida: "), 1);

    WriteRaw(QByteArray("A\tbad escape \\q\n"));
    CRegKey second;
    ASSERT_TRUE(second.Open(Hive::CurrentUser, kKey));
    EXPECT_FALSE(second.ReadText("A").has_value());

    WriteRaw(QByteArray("A\t\xff\xfe not utf-8\n"));
    CRegKey third;
    ASSERT_TRUE(third.Open(Hive::CurrentUser, kKey));
    EXPECT_FALSE(third.ReadText("A").has_value());

    WriteRaw(QByteArray("A\tbinary\0zero\n", 14));
    CRegKey fourth;
    ASSERT_TRUE(fourth.Open(Hive::CurrentUser, kKey));
    EXPECT_FALSE(fourth.ReadText("A").has_value());
}

TEST_F(RegistryTest, WritingOverGarbageKeepsTheGarbageAside)
{
    WriteRaw(QByteArray("no tab at all"));
    CRegKey key;
    ASSERT_TRUE(key.Open(Hive::CurrentUser, kKey));
    EXPECT_TRUE(key.WriteText("PrimoLancio", "0"));
    EXPECT_EQ(key.ReadText("PrimoLancio"), QString("0"));
    QFile aside(UserFile() + ".corrupt");
    ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
    EXPECT_EQ(aside.readAll(), QByteArray("no tab at all"));
}

TEST_F(RegistryTest, OversizedFileReadsAsNoValues)
{
    QByteArray big = "A\t1\nB\t";
    big += QByteArray(300 * 1024, 'x');
    big += '\n';
    WriteRaw(big);
    CRegKey key;
    ASSERT_TRUE(key.Open(Hive::CurrentUser, kKey));
    EXPECT_FALSE(key.ReadText("A").has_value());
    EXPECT_TRUE(Log().contains("Chiave di registro non valida: "));
    // A value that would make the file too big is refused and changes nothing.
    CRegKey fresh;
    QFile::remove(UserFile());
    ASSERT_TRUE(fresh.Create(Hive::CurrentUser, kKey));
    fresh.WriteText("A", "1");
    EXPECT_FALSE(fresh.WriteText("B", QString(300 * 1024, 'y')));
    EXPECT_EQ(fresh.ReadText("A"), QString("1"));
}

TEST_F(RegistryTest, UnreadableKeyReadsAsNoValuesAndIsNeverOverwritten)
{
    // (The tests may run as root, which reads any file: a folder in the key's
    // place is what stays unreadable for everyone.)
    QDir().mkpath(UserFile());
    CRegKey key;
    ASSERT_TRUE(key.Open(Hive::CurrentUser, kKey));
    EXPECT_FALSE(key.ReadText("WorkDir").has_value());
    EXPECT_FALSE(key.WriteText("WorkDir", "/x/"));
    EXPECT_FALSE(key.DeleteValue("WorkDir"));
    EXPECT_TRUE(QFileInfo(UserFile()).isDir());
    EXPECT_TRUE(Log().contains("Chiave di registro illeggibile: "));
    CRegKey create;
    EXPECT_TRUE(create.Create(Hive::CurrentUser, kKey));  // the key exists, only its values are lost to us
}

TEST_F(RegistryTest, UnwritablePlaceFailsQuietly)
{
    QFile blocker(m_dir.path() + "/user/Software");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    CRegKey key;
    EXPECT_FALSE(key.Create(Hive::CurrentUser, kKey));
    EXPECT_FALSE(key.WriteText("A", "1"));
}

TEST_F(RegistryTest, MachineKeyIsSeparateFromTheUserKey)
{
    CRegKey machine;
    ASSERT_TRUE(machine.Create(Hive::LocalMachine, kKey));
    machine.WriteText("WorkDir", "/machine/");
    CRegKey user;
    EXPECT_FALSE(user.Open(Hive::CurrentUser, kKey));
    ASSERT_TRUE(user.Create(Hive::CurrentUser, kKey));
    EXPECT_FALSE(user.ReadText("WorkDir").has_value());
}

TEST_F(RegistryTest, RunKeyValuesAreAutostartEntries)
{
    const QString run = QStringLiteral("Software\\Microsoft\\windows\\currentversion\\run");
    const QString entry = m_dir.path() + "/user/autostart/SonvelleRecorder.desktop";
    CRegKey key;
    ASSERT_TRUE(key.Open(Hive::CurrentUser, run));
    EXPECT_FALSE(key.ReadText("SonvelleRecorder").has_value());
    EXPECT_FALSE(key.DeleteValue("SonvelleRecorder"));

    const QString program = QStringLiteral("/opt/my \"odd\" $folder/100%/sonvelle");
    ASSERT_TRUE(key.WriteText("SonvelleRecorder", "/old/path"));
    ASSERT_TRUE(key.WriteText("SonvelleRecorder", program));
    EXPECT_TRUE(QFileInfo::exists(entry));
    EXPECT_EQ(key.ReadText("SonvelleRecorder"), program);
    EXPECT_EQ(QDir(m_dir.path() + "/user/autostart").entryList(QDir::Files | QDir::Hidden).size(), 1);

    QFile f(entry);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(text.contains("\nType=Application\n"));
    EXPECT_TRUE(text.contains("Exec=\"/opt/my \\\\\"odd\\\\\" \\\\$folder/100%%/sonvelle\"\n")) << text.constData();
    f.close();

    EXPECT_TRUE(key.DeleteValue("SonvelleRecorder"));
    EXPECT_FALSE(QFileInfo::exists(entry));
    EXPECT_FALSE(key.ReadText("SonvelleRecorder").has_value());
}

TEST(AutostartQuoting, QuotedArgumentsComeBackUnchanged)
{
    for (const QString& path : {QString("/usr/bin/sonvelle"), QString("/a b/c"), QString("/x\\y/`z`/$HOME/%f"),
                                QString("/q\"uote")}) {
        EXPECT_EQ(UnquoteExecArgument(QuoteExecArgument(path)), path) << path.toStdString();
    }
    EXPECT_EQ(UnquoteExecArgument("/plain/path"), QString("/plain/path"));
    EXPECT_FALSE(UnquoteExecArgument("\"unterminated \\\"").has_value());
    EXPECT_FALSE(UnquoteExecArgument("two words").has_value());
}

}  // namespace
