// The file steps of finished recordings: stored without replacing another
// file, grown segment by segment without a cut-off frame inside.

#include "store/RecordingFileStore.h"
#include "tests/store/StoreFixtures.h"

#include <gtest/gtest.h>

#include <vector>

namespace sonvelle {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

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
    EXPECT_EQ(StoreFileWithRetries(Path("b.snx"), Path("what?.mp3"), 1, 500, sleep).lastError, FileError::BadPath);

    WriteBytes(UnusedFilePath(dir.path() + "/", "SEG_", ".snx"), "");
    EXPECT_FALSE(QFile::exists(UnusedFilePath(dir.path() + "/", "SEG_", ".snx")));
}

// MPEG-1 layer III, 32 kbit/s, 32 kHz, mono: 144-byte frames.
QByteArray Frames(int count, int partialBytes)
{
    QByteArray frame(144, '\x55');
    frame.replace(0, 4, QByteArray("\xFF\xFB\x18\xC0", 4));
    return frame.repeated(count) + frame.left(partialBytes);
}

TEST_F(RecordingFileStore, JoinedSegmentsLeaveNoCutOffFrameInside)
{
    EXPECT_EQ(CompleteMpegFramesLength(Frames(3, 50)), 432);
    EXPECT_EQ(CompleteMpegFramesLength(Frames(3, 0)), 432);
    EXPECT_EQ(CompleteMpegFramesLength(Frames(0, 3)), 3);  // too short to judge: kept
    EXPECT_EQ(CompleteMpegFramesLength("not audio at all"), 16);
    // Frames that lose step halfway end where the last good frame ended.
    EXPECT_EQ(CompleteMpegFramesLength(Frames(2, 0) + "garbage" + Frames(2, 0)), 288);

    WriteBytes(Path("seg1.snx"), Frames(1000, 100));  // more than one read's worth
    WriteBytes(Path("seg2.snx"), Frames(5, 7));
    ASSERT_TRUE(AppendFileTo(Path("seg1.snx"), Path("single.mp3")));
    ASSERT_TRUE(AppendFileTo(Path("seg2.snx"), Path("single.mp3")));
    EXPECT_EQ(ReadBytes(Path("single.mp3")), Frames(1005, 0));
    // A missing segment neither changes nor creates the target.
    EXPECT_FALSE(AppendFileTo(Path("missing"), Path("single.mp3")));
    EXPECT_EQ(ReadBytes(Path("single.mp3")), Frames(1005, 0));
    EXPECT_FALSE(AppendFileTo(Path("missing"), Path("u.mp3")));
    EXPECT_FALSE(QFile::exists(Path("u.mp3")));
}

}  // namespace
}  // namespace sonvelle
