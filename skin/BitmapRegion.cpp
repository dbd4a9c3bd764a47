#include "BitmapRegion.h"

#include <vector>

namespace sonvelle {

std::optional<QRegion> BitmapToRegion(const QImage& bitmap, std::uint32_t keyColour, bool keyIsTransparent)
{
    if (bitmap.isNull())
        return std::nullopt;
    const QImage pixels = bitmap.convertToFormat(QImage::Format_RGB32);
    const QRgb key = keyColour & 0xFFFFFFu;

    std::vector<QRect> batch;
    batch.reserve(100);
    QRegion result;
    bool any = false;
    auto flush = [&] {
        if (batch.empty())
            return;
        QRegion part;
        part.setRects(batch.data(), static_cast<int>(batch.size()));
        result = result.united(part);
        batch.clear();
        any = true;
    };

    const int w = pixels.width();
    for (int y = 0; y < pixels.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        int x = 0;
        while (x < w) {
            auto wanted = [&](int i) { return ((row[i] & 0xFFFFFFu) == key) != keyIsTransparent; };
            while (x < w && !wanted(x))
                ++x;
            const int x0 = x;
            while (x < w && wanted(x))
                ++x;
            if (x > x0) {
                if (batch.size() == batch.capacity())
                    batch.reserve(batch.capacity() + 100);
                batch.emplace_back(x0, y, x - x0, 1);
                if (static_cast<int>(batch.size()) == kRegionBatch)
                    flush();
            }
        }
    }
    flush();
    if (!any)
        return std::nullopt;
    return result;
}

long long RegionArea(const QRegion& region)
{
    long long area = 0;
    for (const QRect& r : region)
        area += static_cast<long long>(r.width()) * r.height();
    return area;
}

}  // namespace sonvelle
