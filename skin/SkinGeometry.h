#pragma once
// The arithmetic behind the skinned controls, kept free of widgets so that it
// can be checked without a display.

#include <QRect>
#include <QString>

namespace sonvelle {

constexpr int kMaxLevel = 32767;
constexpr int kMeterSegments = 30;

// Level meter -------------------------------------------------------------

// Lit segments for a peak sample value: peak x 30 / 32767, nearest whole number, 0..30.
int LevelSegments(int peak);

enum class SegmentBand { Green, Yellow, OrangeRed };
// Band of segment k (1-based): 1-18 green, 19-24 yellow, 25-30 orange-red.
SegmentBand BandOfSegment(int k);

// Rectangle of segment k (1-based) inside a meter of that client size; empty
// when it would not fit.
QRect MeterSegmentRect(int k, QSize client);

// Marker column for a threshold, kept inside 0..width-1.
int ThresholdMarkerX(int width, int threshold);
// Threshold for a marker dropped at column x (x kept within 0..width).
int ThresholdAtX(int x, int width);
// Whether a point is close enough to the marker to grab it.
bool IsOnThresholdMarker(QPoint point, QSize client, int threshold);

// Position bar ------------------------------------------------------------

// Width of the elapsed part for a position in a range.
int ElapsedWidth(int pos, int min, int max, int width);
// The column a mouse x counts as: left of the bar counts as 2, right of it as the width.
int ClampSeekX(int x, int width);
// Seconds under column x: max x x / width, rounded.
int SecondsAtX(int x, int width, int max);
// Total minutes and seconds, "%02d:%02d".
QString MinutesSecondsText(int seconds);

// Coloured statics ----------------------------------------------------------

// Character height in pixels for a point size at a vertical resolution,
// negative as the platform's font height: -(points x dpi / 72).
int FontPixelHeight(int pointSize, int dpiY);

// Skinned buttons -----------------------------------------------------------

enum class ButtonImage { Up, Down, Focus, Disabled };

struct ButtonLook {
    bool pressed = false;
    bool hovered = false;
    bool focused = false;
    bool enabled = true;
};

struct AvailableImages {
    bool down = false;
    bool focus = false;
    bool disabled = false;
};

// The image a button shows; a state without its own image falls back to the normal one.
ButtonImage ChooseButtonImage(const ButtonLook& look, const AvailableImages& images);

}  // namespace sonvelle
