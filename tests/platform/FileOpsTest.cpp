#include "platform/FileOps.h"
#include "platform/ModuleName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

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

TEST(FileNames, ReservedAndControlCharactersAreRefusedAndLibraryNamesMapToSharedObjects)
{
    for (const char* bad : {"a<b", "a>b", "a:b", "a\"b", "a\\b", "a|b", "what?", "star*", "tab\tname", "a/b", "\x01"})
        EXPECT_TRUE(HasForbiddenNameCharacter(QString::fromUtf8(bad))) << bad;
    for (const char* good : {"Recording 1", "tmp_nome_reg.dtm", "Rossi, Mario (2)", "caf\xc3\xa9 #1 & co.", "a.b.c"})
        EXPECT_FALSE(HasForbiddenNameCharacter(QString::fromUtf8(good))) << good;
    EXPECT_EQ(PlatformModuleName("encodermp3.dll"), "encodermp3.so");
    EXPECT_EQ(PlatformModuleName("MAPI32.DLL"), "MAPI32.so");
    EXPECT_EQ(PlatformModuleName("libfoo.so"), "libfoo.so");
}

class MoveTest : public ::testing::Test {
protected:
    QString P(const QString& name) const { return m_dir.path() + "/" + name; }
    QStringList Listing() const { return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden); }
    QTemporaryDir m_dir;
};

TEST_F(MoveTest, MovesCopiesAndRenamesToTheSameName)
{
    Put(P("a.dtm"), "audio");
    QDir().mkpath(P("sub"));
    EXPECT_EQ(MoveFileNoReplace(P("a.dtm"), P("sub/Rossi.mp3")), FileError::None);
    EXPECT_FALSE(QFileInfo::exists(P("a.dtm")));
    EXPECT_EQ(Get(P("sub/Rossi.mp3")), "audio");
    EXPECT_EQ(MoveFileNoReplace(P("sub/Rossi.mp3"), P("sub/./Rossi.mp3")), FileError::None);
    EXPECT_EQ(Get(P("sub/Rossi.mp3")), "audio");

    QByteArray big;
    for (int i = 0; i < 200000; ++i)
        big.append(static_cast<char>(i * 7));
    Put(P("src"), big);
    EXPECT_EQ(CopyFileNoReplace(P("src"), P("copy.mp3")), FileError::None);
    EXPECT_EQ(Get(P("copy.mp3")), big);
    EXPECT_EQ(Get(P("src")), big);
}

TEST_F(MoveTest, RefusalsLeaveEveryFileAsItWas)
{
    Put(P("new.dtm"), "new");
    Put(P("old.mp3"), "old");
    using Op = std::function<FileError(const QString&, const QString&)>;
    const Op move = MoveFileNoReplace, copy = CopyFileNoReplace;
    struct Case {
        const char* what;
        Op op;
        QString from, to;
        FileError error;
    };
    const Case cases[] = {
        {"move over an existing file", move, P("new.dtm"), P("old.mp3"), FileError::AccessDenied},
        {"copy over an existing file", copy, P("new.dtm"), P("old.mp3"), FileError::AccessDenied},
        {"move to a forbidden name", move, P("new.dtm"), P("what?.mp3"), FileError::BadPath},
        {"copy to a forbidden name", copy, P("new.dtm"), P("a|b.mp3"), FileError::BadPath},
        {"move of nothing", move, P("nothing"), P("x.mp3"), FileError::NotFound},
        {"copy of nothing", copy, P("nothing"), P("x.mp3"), FileError::NotFound},
        {"move into no folder", move, P("new.dtm"), P("no/such/folder/x.mp3"), FileError::NotFound},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.op(c.from, c.to), c.error) << c.what;
    EXPECT_EQ(Get(P("new.dtm")), "new");
    EXPECT_EQ(Get(P("old.mp3")), "old");
    EXPECT_EQ(Listing(), (QStringList{"new.dtm", "old.mp3"}));
}

TEST_F(MoveTest, AcrossFileSystemsTheTargetAppearsWholeAndTheSourceGoes)
{
    ASSERT_TRUE(QFileInfo(QStringLiteral("/dev/shm")).isWritable()) << "/dev/shm is needed as a second file system";
    QTemporaryDir shm(QStringLiteral("/dev/shm/sonvelle-test-XXXXXX"));
    ASSERT_TRUE(shm.isValid());
    const QByteArray audio(300000, 'a');
    Put(shm.path() + "/tmp.dtm", audio);
    EXPECT_EQ(MoveFileNoReplace(shm.path() + "/tmp.dtm", P("Rossi.mp3")), FileError::None);
    EXPECT_EQ(Get(P("Rossi.mp3")), audio);
    EXPECT_FALSE(QFileInfo::exists(shm.path() + "/tmp.dtm"));
    // An existing target across file systems is refused too, and nothing is left behind.
    Put(shm.path() + "/second.dtm", "second");
    EXPECT_EQ(MoveFileNoReplace(shm.path() + "/second.dtm", P("Rossi.mp3")), FileError::AccessDenied);
    EXPECT_EQ(Get(shm.path() + "/second.dtm"), "second");
    EXPECT_EQ(Get(P("Rossi.mp3")), audio);
    EXPECT_EQ(Listing(), QStringList{"Rossi.mp3"});
}

}  // namespace
