#include "platform/FileOps.h"

#include "support/TagBytes.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace sonvelle;
using test::ReadBytes;
using test::WriteBytes;

namespace {

class MoveTest : public ::testing::Test {
protected:
    QString P(const QString& name) const { return m_dir.path() + "/" + name; }
    QStringList Listing() const { return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden); }
    QTemporaryDir m_dir;
};

TEST_F(MoveTest, RenamesToTheSameNameAndRefusalsLeaveEveryFileAsItWas)
{
    ASSERT_TRUE(WriteBytes(P("new.dtm"), "new"));
    ASSERT_TRUE(WriteBytes(P("old.mp3"), "old"));
    EXPECT_EQ(MoveFileNoReplace(P("old.mp3"), P("./old.mp3")), FileError::None);
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
        {"copy to a forbidden name", copy, P("new.dtm"), P("a|b.mp3"), FileError::BadPath},
        {"copy of nothing", copy, P("nothing"), P("x.mp3"), FileError::NotFound},
        {"move into no folder", move, P("new.dtm"), P("no/such/folder/x.mp3"), FileError::NotFound},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.op(c.from, c.to), c.error) << c.what;
    EXPECT_EQ(ReadBytes(P("new.dtm")), "new");
    EXPECT_EQ(ReadBytes(P("old.mp3")), "old");
    EXPECT_EQ(Listing(), (QStringList{"new.dtm", "old.mp3"}));
}

TEST_F(MoveTest, AcrossFileSystemsTheTargetAppearsWholeAndTheSourceGoes)
{
    ASSERT_TRUE(QFileInfo(QStringLiteral("/dev/shm")).isWritable()) << "/dev/shm is needed as a second file system";
    QTemporaryDir shm(QStringLiteral("/dev/shm/sonvelle-test-XXXXXX"));
    ASSERT_TRUE(shm.isValid());
    const QByteArray audio(300000, 'a');
    ASSERT_TRUE(WriteBytes(shm.path() + "/tmp.dtm", audio));
    EXPECT_EQ(MoveFileNoReplace(shm.path() + "/tmp.dtm", P("Rossi.mp3")), FileError::None);
    EXPECT_EQ(ReadBytes(P("Rossi.mp3")), audio);
    EXPECT_FALSE(QFileInfo::exists(shm.path() + "/tmp.dtm"));
    // An existing target across file systems is refused too, and nothing is left behind.
    ASSERT_TRUE(WriteBytes(shm.path() + "/second.dtm", "second"));
    EXPECT_EQ(MoveFileNoReplace(shm.path() + "/second.dtm", P("Rossi.mp3")), FileError::AccessDenied);
    EXPECT_EQ(ReadBytes(shm.path() + "/second.dtm"), "second");
    EXPECT_EQ(ReadBytes(P("Rossi.mp3")), audio);
    EXPECT_EQ(Listing(), QStringList{"Rossi.mp3"});
}

}  // namespace
