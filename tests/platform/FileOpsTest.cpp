#include "platform/FileOps.h"
#include "platform/ModuleName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace sonvelle;

namespace {

void Put(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray Get(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

TEST(ForbiddenNames, WindowsReservedAndControlCharactersAreRefused)
{
    for (const char* bad : {"a<b", "a>b", "a:b", "a\"b", "a\\b", "a|b", "what?", "star*", "tab\tname", "a/b"})
        EXPECT_TRUE(HasForbiddenNameCharacter(QString::fromUtf8(bad))) << bad;
    EXPECT_TRUE(HasForbiddenNameCharacter(QString(QChar(0x01))));
    for (const char* good : {"Recording 1", "tmp_nome_reg.dtm", "Rossi, Mario (2)", "caf\xc3\xa9 #1 & co.", "a.b.c"})
        EXPECT_FALSE(HasForbiddenNameCharacter(QString::fromUtf8(good))) << good;
}

TEST(ModuleNames, WindowsLibraryNamesMapToSharedObjects)
{
    EXPECT_EQ(PlatformModuleName("encodermp3.dll"), "encodermp3.so");
    EXPECT_EQ(PlatformModuleName("MAPI32.DLL"), "MAPI32.so");
    EXPECT_EQ(PlatformModuleName("libfoo.so"), "libfoo.so");
}

class MoveTest : public ::testing::Test {
protected:
    QString P(const QString& name) const { return m_dir.path() + "/" + name; }
    QTemporaryDir m_dir;
};

TEST_F(MoveTest, MovesAndRenames)
{
    Put(P("a.dtm"), "audio");
    QDir().mkpath(P("sub"));
    EXPECT_EQ(MoveFileNoReplace(P("a.dtm"), P("sub/Rossi.mp3")), FileError::None);
    EXPECT_FALSE(QFileInfo::exists(P("a.dtm")));
    EXPECT_EQ(Get(P("sub/Rossi.mp3")), "audio");
}

TEST_F(MoveTest, NeverReplacesAnExistingTarget)
{
    Put(P("new.dtm"), "new");
    Put(P("old.mp3"), "old");
    EXPECT_EQ(MoveFileNoReplace(P("new.dtm"), P("old.mp3")), FileError::AccessDenied);
    EXPECT_EQ(Get(P("new.dtm")), "new");
    EXPECT_EQ(Get(P("old.mp3")), "old");
    EXPECT_EQ(CopyFileNoReplace(P("new.dtm"), P("old.mp3")), FileError::AccessDenied);
    EXPECT_EQ(Get(P("old.mp3")), "old");
}

TEST_F(MoveTest, ForbiddenCharacterInTheTargetIsABadPath)
{
    Put(P("a.dtm"), "audio");
    EXPECT_EQ(MoveFileNoReplace(P("a.dtm"), P("what?.mp3")), FileError::BadPath);
    EXPECT_EQ(MoveFileNoReplace(P("a.dtm"), P("a:b.mp3")), FileError::BadPath);
    EXPECT_EQ(CopyFileNoReplace(P("a.dtm"), P("a|b.mp3")), FileError::BadPath);
    EXPECT_EQ(Get(P("a.dtm")), "audio");
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.dtm"});
}

TEST_F(MoveTest, MissingSourceOrFolderIsNotFound)
{
    EXPECT_EQ(MoveFileNoReplace(P("nothing"), P("x.mp3")), FileError::NotFound);
    Put(P("a.dtm"), "audio");
    EXPECT_EQ(MoveFileNoReplace(P("a.dtm"), P("no/such/folder/x.mp3")), FileError::NotFound);
    EXPECT_EQ(CopyFileNoReplace(P("nothing"), P("x.mp3")), FileError::NotFound);
    EXPECT_EQ(Get(P("a.dtm")), "audio");
}

TEST_F(MoveTest, RenamingAFileToItsOwnNameSucceedsAndKeepsIt)
{
    Put(P("a.mp3"), "audio");
    EXPECT_EQ(MoveFileNoReplace(P("a.mp3"), P("./a.mp3")), FileError::None);
    EXPECT_EQ(Get(P("a.mp3")), "audio");
}

TEST_F(MoveTest, CopyLeavesTheSourceAndMakesAnExactCopy)
{
    QByteArray big;
    for (int i = 0; i < 200000; ++i)
        big.append(static_cast<char>(i * 7));
    Put(P("src"), big);
    EXPECT_EQ(CopyFileNoReplace(P("src"), P("copy.mp3")), FileError::None);
    EXPECT_EQ(Get(P("copy.mp3")), big);
    EXPECT_EQ(Get(P("src")), big);
}

TEST_F(MoveTest, AcrossFileSystemsTheTargetAppearsWholeAndTheSourceGoes)
{
    if (!QFileInfo(QStringLiteral("/dev/shm")).isWritable())
        GTEST_FAIL() << "/dev/shm is needed as a second file system";
    QTemporaryDir shm(QStringLiteral("/dev/shm/sonvelle-test-XXXXXX"));
    ASSERT_TRUE(shm.isValid());
    QByteArray audio(300000, 'a');
    Put(shm.path() + "/tmp.dtm", audio);
    EXPECT_EQ(MoveFileNoReplace(shm.path() + "/tmp.dtm", P("Rossi.mp3")), FileError::None);
    EXPECT_EQ(Get(P("Rossi.mp3")), audio);
    EXPECT_FALSE(QFileInfo::exists(shm.path() + "/tmp.dtm"));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Rossi.mp3"});

    // An existing target across file systems is refused too, and nothing is left behind.
    Put(shm.path() + "/second.dtm", "second");
    EXPECT_EQ(MoveFileNoReplace(shm.path() + "/second.dtm", P("Rossi.mp3")), FileError::AccessDenied);
    EXPECT_EQ(Get(shm.path() + "/second.dtm"), "second");
    EXPECT_EQ(Get(P("Rossi.mp3")), audio);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Rossi.mp3"});
}

}  // namespace
