#pragma once
// A window shape cut out of a bitmap.

#include <QImage>
#include <QRegion>

#include <cstdint>
#include <optional>

namespace sonvelle {

// Rectangles are united into the result in batches of this many.
constexpr int kRegionBatch = 2000;

// One rectangle per row and maximal run of pixels that are not the key colour
// (or that are, with keyIsTransparent false). The key is 0xRRGGBB and must match
// exactly; alpha is ignored. No region when no pixel qualifies.
std::optional<QRegion> BitmapToRegion(const QImage& bitmap, std::uint32_t keyColour, bool keyIsTransparent = true);

// Number of pixels a region covers (its rectangles never overlap).
long long RegionArea(const QRegion& region);

}  // namespace sonvelle
