#include "platform/Autostart.h"
#include "platform/Registry.h"

#include "support/TagBytes.h"
#include "support/TestFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace sonvelle;

namespace {

const QString kKey = QStringLiteral("Software\\Orsolan\\Sonvelle");

class RegistryTest : public ::testing::Test {
protected:
    QString UserFile() const { return CRegKey::KeyFilePath(Hive::CurrentUser, kKey); }
    void WriteRaw(const QByteArray& bytes)
    {
        QDir().mkpath(QFileInfo(UserFile()).absolutePath());
        ASSERT_TRUE(test::WriteBytes(UserFile(), bytes));
    }

    test::CTestFolders m_folders;
};

TEST_F(RegistryTest, NothingClimbsOutOfTheHiveAndAKeyNotOpenTakesNoWrite)
{
    EXPECT_TRUE(CRegKey::KeyFilePath(Hive::CurrentUser, "Software\\..\\..\\etc").isEmpty());
    EXPECT_FALSE(CRegKey().Create(Hive::CurrentUser, "Software\\..\\..\\escape"));
    CRegKey user;
    EXPECT_FALSE(user.Open(Hive::CurrentUser, kKey));
    EXPECT_FALSE(user.WriteText("WorkDir", "x"));
}

// The read limit counts UTF-8 bytes and the terminator: 260 by default.
TEST_F(RegistryTest, ValuesRoundTripWhateverTheyHoldWithinTheReadLimitAndAReadOnlyKeyTakesNoWrite)
{
    CRegKey key;
    ASSERT_TRUE(key.Create(Hive::CurrentUser, kKey));
    key.WriteText("Accent", "\u00e9\u00e9");
    key.WriteText("Long260", QString(260, 'a'));
    const QString awkward = QStringLiteral("tab\there\nnew line\r\\back\\slash # not a comment ümlaut 日本");
    const std::pair<QString, QString> values[] = {
        {"Operatore", awkward}, {"Empty", ""}, {"Name\twith\ttabs", "v"}, {"A", "1"}, {"B", "2"}};
    for (const auto& [name, text] : values)
        EXPECT_TRUE(key.WriteText(name, text)) << name.toStdString();
    EXPECT_TRUE(key.DeleteValue("A"));
    EXPECT_FALSE(key.DeleteValue("A"));
    key.Close();

    CRegKey again;
    ASSERT_TRUE(again.Open(Hive::CurrentUser, kKey, false));
    for (const auto& [name, text] : values)
        EXPECT_EQ(again.ReadText(name), name == "A" ? std::nullopt : std::optional(text)) << name.toStdString();
    EXPECT_FALSE(again.WriteText("Operatore", "changed"));
    EXPECT_EQ(again.ReadText("Operatore"), awkward);
    EXPECT_FALSE(again.ReadText("Accent", 4).has_value());
    EXPECT_TRUE(again.ReadText("Accent", 5).has_value());
    EXPECT_EQ(again.ReadText("Long260", 261), QString(260, 'a'));
    EXPECT_FALSE(again.ReadText("Long260").has_value());
}

TEST_F(RegistryTest, WritesReplaceTheFileWholeAndLeaveNoLitter)
{
    CRegKey key;
    ASSERT_TRUE(key.Create(Hive::CurrentUser, kKey));
    key.WriteText("A", "1");
    struct stat before, after;
    ASSERT_EQ(stat(QFile::encodeName(UserFile()).constData(), &before), 0);
    key.WriteText("B", QString(10000, 'b'));
    ASSERT_EQ(stat(QFile::encodeName(UserFile()).constData(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino) << "the old file was rewritten in place";
    EXPECT_EQ(QDir(m_folders.Path("user/Software/Orsolan")).entryList(QDir::Files | QDir::Hidden),
              QStringList{"Sonvelle.conf"});
    // A value that would make the file too big is refused and changes nothing.
    EXPECT_FALSE(key.WriteText("C", QString(300 * 1024, 'y')));
    EXPECT_EQ(key.ReadText("A"), QString("1"));
}

TEST_F(RegistryTest, BrokenFilesReadAsNoValuesAndAWriteKeepsThemAside)
{
    const QByteArray broken[] = {QByteArray("WorkDir\t/ok/\nthis line has no tab\n"), QByteArray("A\tbad escape \\q\n"),
                                 QByteArray("A\t\xff\xfe not utf-8\n"), QByteArray("A\tbinary\0zero\n", 14),
                                 "A\t1\nB\t" + QByteArray(300 * 1024, 'x') + "\n"};
    for (const QByteArray& bytes : broken) {
        WriteRaw(bytes);
        CRegKey key;
        ASSERT_TRUE(key.Open(Hive::CurrentUser, kKey));
        EXPECT_FALSE(key.ReadText("A").has_value() || key.ReadText("WorkDir").has_value()) << bytes.left(30).data();
    }
    WriteRaw("no tab at all");
    CRegKey key;
    ASSERT_TRUE(key.Open(Hive::CurrentUser, kKey));
    EXPECT_TRUE(key.WriteText("PrimoLancio", "0"));
    EXPECT_EQ(key.ReadText("PrimoLancio"), QString("0"));
    EXPECT_EQ(test::ReadBytes(UserFile() + ".corrupt"), QByteArray("no tab at all"));
}

// Autostart files can be edited by hand: what does not read back as one argument is no entry.
TEST(AutostartExec, ArgumentsRoundTripAndMalformedOnesAreRefused)
{
    EXPECT_EQ(UnquoteExecArgument(QuoteExecArgument("/x\\y/`z`")), QString("/x\\y/`z`"));
    EXPECT_EQ(UnquoteExecArgument("/plain/path"), QString("/plain/path"));
    EXPECT_FALSE(UnquoteExecArgument("\"unterminated \\\"").has_value());
    EXPECT_FALSE(UnquoteExecArgument("two words").has_value());
}

}  // namespace
