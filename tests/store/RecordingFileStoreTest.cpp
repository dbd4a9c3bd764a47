// The file steps of finished recordings: stored without replacing another
// file, grown segment by segment without a cut-off frame inside.

#include "store/RecordingFileStore.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

namespace sonvelle {
namespace {

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class RecordingFileStore : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString Path(const QString& name) const { return dir.path() + "/" + name; }
};

TEST_F(RecordingFileStore, MovesAndNeverReplaces)
{
    std::vector<int> sleeps;
    auto sleep = [&](int ms) { sleeps.push_back(ms); };
    WriteBytes(Path("a.snx"), "a");
    StoreResult ok = StoreFileWithRetries(Path("a.snx"), Path("A.mp3"), 10, 500, sleep);
    EXPECT_TRUE(ok.stored);
    EXPECT_EQ(ok.attempts, 1);
    EXPECT_FALSE(QFile::exists(Path("a.snx")));

    WriteBytes(Path("b.snx"), "b");
    StoreResult refused = StoreFileWithRetries(Path("b.snx"), Path("A.mp3"), 3, 500, sleep);
    EXPECT_FALSE(refused.stored);
    EXPECT_EQ(refused.attempts, 3);
    EXPECT_EQ(refused.lastError, FileError::AccessDenied);
    EXPECT_EQ(ReadBytes(Path("A.mp3")), "a");
    EXPECT_EQ(ReadBytes(Path("b.snx")), "b");
    EXPECT_EQ(sleeps, (std::vector<int>{500, 500}));

    StoreResult bad = StoreFileWithRetries(Path("b.snx"), Path("what?.mp3"), 1, 500, sleep);
    EXPECT_EQ(bad.lastError, FileError::BadPath);
}

TEST_F(RecordingFileStore, AppendsWholeSegmentsAndCreatesTheTarget)
{
    WriteBytes(Path("s1"), QByteArray(200000, 'x'));
    WriteBytes(Path("s2"), "tail");
    EXPECT_TRUE(AppendFileTo(Path("s1"), Path("t.mp3")));
    EXPECT_TRUE(AppendFileTo(Path("s2"), Path("t.mp3")));
    EXPECT_EQ(ReadBytes(Path("t.mp3")), QByteArray(200000, 'x') + "tail");
    EXPECT_FALSE(AppendFileTo(Path("missing"), Path("t.mp3")));
    EXPECT_EQ(QFileInfo(Path("t.mp3")).size(), 200004);
    EXPECT_FALSE(AppendFileTo(Path("missing"), Path("u.mp3")));
    EXPECT_FALSE(QFile::exists(Path("u.mp3")));
}

// MPEG-1 layer III, 32 kbit/s, 32 kHz, mono: 144-byte frames.
QByteArray Frames(int count, int partialBytes)
{
    QByteArray frame(144, '\x55');
    frame[0] = '\xFF';
    frame[1] = '\xFB';
    frame[2] = '\x18';
    frame[3] = '\xC0';
    QByteArray data;
    for (int i = 0; i < count; ++i)
        data += frame;
    return data + frame.left(partialBytes);
}

TEST_F(RecordingFileStore, JoinedSegmentsLeaveNoCutOffFrameInside)
{
    EXPECT_EQ(CompleteMpegFramesLength(Frames(3, 50)), 432);
    EXPECT_EQ(CompleteMpegFramesLength(Frames(3, 0)), 432);
    EXPECT_EQ(CompleteMpegFramesLength(Frames(0, 3)), 3);  // too short to judge: kept
    EXPECT_EQ(CompleteMpegFramesLength("not audio at all"), 16);
    // Frames that lose step halfway end where the last good frame ended.
    EXPECT_EQ(CompleteMpegFramesLength(Frames(2, 0) + "garbage" + Frames(2, 0)), 288);

    WriteBytes(Path("seg1.snx"), Frames(10, 100));
    WriteBytes(Path("seg2.snx"), Frames(5, 7));
    ASSERT_TRUE(AppendFileTo(Path("seg1.snx"), Path("single.mp3")));
    ASSERT_TRUE(AppendFileTo(Path("seg2.snx"), Path("single.mp3")));
    EXPECT_EQ(ReadBytes(Path("single.mp3")), Frames(15, 0));
}

TEST_F(RecordingFileStore, UnusedNamesSkipExistingFiles)
{
    const QString folder = dir.path() + "/";
    const QString first = UnusedFilePath(folder, "SEG_", ".snx");
    WriteBytes(first, "");
    const QString second = UnusedFilePath(folder, "SEG_", ".snx");
    EXPECT_NE(first, second);
    EXPECT_TRUE(second.endsWith(".snx"));
    EXPECT_FALSE(QFile::exists(second));
}

}  // namespace
}  // namespace sonvelle
