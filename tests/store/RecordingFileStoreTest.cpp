#include "store/RecordingFileStore.h"
#include "tests/store/StoreFixtures.h"

#include <gtest/gtest.h>

namespace sonvelle {
namespace {

using namespace testing;

// MPEG-1 layer III, 32 kbit/s, 32 kHz, mono: 144-byte frames.
QByteArray Frames(int count, int partialBytes)
{
    QByteArray frame(144, '\x55');
    frame.replace(0, 4, QByteArray("\xFF\xFB\x18\xC0", 4));
    return frame.repeated(count) + frame.left(partialBytes);
}

// Retried moves and joined segments that are no audio at all are met through the recording control.
TEST(RecordingFileStore, JoinedSegmentsLeaveNoCutOffFrameInsideAndStagingNamesAreUnused)
{
    QTemporaryDir dir;
    const auto path = [&](const QString& name) { return dir.path() + "/" + name; };
    // Frames that lose step halfway end where the last good frame ended.
    EXPECT_EQ(CompleteMpegFramesLength(Frames(2, 0) + "garbage" + Frames(2, 0)), 288);

    WriteBytes(path("seg1.snx"), Frames(1000, 100));  // more than one read's worth
    WriteBytes(path("seg2.snx"), Frames(5, 7));
    ASSERT_TRUE(AppendFileTo(path("seg1.snx"), path("single.mp3")));
    ASSERT_TRUE(AppendFileTo(path("seg2.snx"), path("single.mp3")));
    EXPECT_EQ(ReadBytes(path("single.mp3")), Frames(1005, 0));
    // A missing segment neither changes nor creates the target.
    EXPECT_FALSE(AppendFileTo(path("missing"), path("single.mp3")));
    EXPECT_EQ(ReadBytes(path("single.mp3")), Frames(1005, 0));
    EXPECT_FALSE(AppendFileTo(path("missing"), path("u.mp3")));
    EXPECT_FALSE(QFile::exists(path("u.mp3")));

    WriteBytes(UnusedFilePath(dir.path() + "/", "SEG_", ".snx"), "");
    EXPECT_FALSE(QFile::exists(UnusedFilePath(dir.path() + "/", "SEG_", ".snx")));
}

}  // namespace
}  // namespace sonvelle
