#pragma once
// Playing time of a recording's file. The catalogue asks through this
// interface; the player can stand behind it with its own measurement.

#include <QString>

namespace sonvelle {

class IDurationMeter {
public:
    virtual ~IDurationMeter() = default;
    // Seconds of audio in the file; a negative value when it cannot be measured.
    // `alternativeMethod` is the "Alternative playing method" setting.
    virtual double MeasureSeconds(const QString& path, bool alternativeMethod) = 0;
};

// Decodes frame headers with libmpg123, starting after the file's own tag
// (whose size counts its header), so that no audio frame is skipped.
class CMpegDurationMeter : public IDurationMeter {
public:
    double MeasureSeconds(const QString& path, bool alternativeMethod) override;
};

// The meter used when none is set.
IDurationMeter& DefaultDurationMeter();

}  // namespace sonvelle
