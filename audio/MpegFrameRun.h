#pragma once
// Whole MPEG audio (Layer III) frames in a byte string, as the encoder writes
// them: a file cut anywhere is kept up to its last whole frame.

#include <QByteArray>

namespace sonvelle {

// The run of whole MPEG audio frames in a byte string: where it begins (a
// frame cut at the front is skipped), where its last whole frame ends.
struct MpegFrameRun {
    qint64 begin = 0;
    qint64 end = 0;
    qint64 frames = 0;
    double seconds = 0;
    bool IsEmpty() const { return frames == 0; }
};
MpegFrameRun FindMpegFrameRun(const QByteArray& data);

}  // namespace sonvelle
