#include "SkinGeometry.h"

#include <algorithm>
#include <cstdint>

namespace sonvelle {

int LevelSegments(int peak)
{
    if (peak <= 0)
        return 0;
    // Peaks above full scale (a wider sample type) still light no more than the meter has.
    const std::int64_t p = std::min(peak, kMaxLevel);
    return static_cast<int>((p * kMeterSegments * 2 + kMaxLevel) / (2 * kMaxLevel));
}

SegmentBand BandOfSegment(int k)
{
    if (k <= kMeterSegments * 6 / 10)
        return SegmentBand::Green;
    if (k <= kMeterSegments * 8 / 10)
        return SegmentBand::Yellow;
    return SegmentBand::OrangeRed;
}

QRect MeterSegmentRect(int k, QSize client)
{
    const int w = (client.width() - 1) / kMeterSegments;
    if (k < 1 || k > kMeterSegments || w <= 0 || client.height() < 3)
        return {};
    const int left = (k - 1) * w + 1;
    const int right = std::min(left + w - 1, client.width() - 1);  // inclusive
    if (right < left)
        return {};
    return QRect(QPoint(left, 1), QPoint(right, client.height() - 2));
}

int ThresholdMarkerX(int width, int threshold)
{
    if (width <= 0)
        return 0;
    // 64-bit steps: the stored threshold is not clamped, and a wild value must not overflow.
    const std::int64_t t = threshold;
    const std::int64_t x = width - width * ((kMaxLevel - t) * 1000 / kMaxLevel) / 1000;
    return static_cast<int>(std::clamp<std::int64_t>(x, 0, width - 1));
}

int ThresholdAtX(int x, int width)
{
    if (width <= 0)
        return 0;
    const std::int64_t cx = std::clamp(x, 0, width);
    return static_cast<int>(kMaxLevel - ((width - cx) * 1000 / width) * kMaxLevel / 1000);
}

bool IsOnThresholdMarker(QPoint point, QSize client, int threshold)
{
    const int markerX = ThresholdMarkerX(client.width(), threshold);
    return point.x() >= markerX - 5 && point.x() <= markerX + 5 && point.y() >= 0 && point.y() < client.height();
}

int ElapsedWidth(int pos, int min, int max, int width)
{
    const std::int64_t span = static_cast<std::int64_t>(max) - min;
    if (span <= 0 || pos <= 0 || width <= 0)
        return 0;
    return static_cast<int>(std::min<std::int64_t>(static_cast<std::int64_t>(pos) * width / span, width));
}

int ClampSeekX(int x, int width)
{
    if (x < 0)
        return 2;
    return std::min(x, std::max(width, 0));
}

int SecondsAtX(int x, int width, int max)
{
    if (width <= 0)
        return 0;
    const std::int64_t num = static_cast<std::int64_t>(max) * x;
    // Nearest whole second, halves away from zero.
    return static_cast<int>(num >= 0 ? (2 * num + width) / (2 * width) : -((-2 * num + width) / (2 * width)));
}

QString MinutesSecondsText(int seconds)
{
    if (seconds < 0)
        seconds = 0;
    return QString::asprintf("%02d:%02d", seconds / 60, seconds % 60);
}

int FontPixelHeight(int pointSize, int dpiY)
{
    return -(pointSize * dpiY / 72);
}

ButtonImage ChooseButtonImage(const ButtonLook& look, const AvailableImages& images)
{
    if ((look.pressed || look.hovered) && images.down)
        return ButtonImage::Down;
    if (look.focused && images.focus)
        return ButtonImage::Focus;
    if (!look.enabled && images.disabled)
        return ButtonImage::Disabled;
    return ButtonImage::Up;
}

}  // namespace sonvelle
