#include "store/RecordingFileStore.h"
#include "tests/store/StoreFixtures.h"

#include <gtest/gtest.h>

namespace sonvelle {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

class RecordingFileStore : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString Path(const QString& name) const { return dir.path() + "/" + name; }
};

// Moving over another file with retries is driven through the recording control (RecordingFilesTest).
TEST_F(RecordingFileStore, BadPathIsToldApartAndUnusedPathsAreUnused)
{
    WriteBytes(Path("b.snx"), "b");
    EXPECT_EQ(StoreFileWithRetries(Path("b.snx"), Path("what?.mp3"), 1, 500, [](int) {}).lastError, FileError::BadPath);
    EXPECT_EQ(ReadBytes(Path("b.snx")), "b");
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
    // Segments that are no audio at all are joined whole through the recording control (RecordingFilesTest).
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
