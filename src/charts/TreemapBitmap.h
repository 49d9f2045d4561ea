#pragma once
// An 8-bit RGBA bitmap in sRGB: bytes red, green, blue, alpha per pixel (alpha
// premultiplied, here always 255), row 0 at the top. A view wraps bytes() as a
// QImage of Format_RGBA8888_Premultiplied without copying and sets its device
// pixel ratio to `scale`. Pixels are stored as whole words so the buffer is
// filled in one pass.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plenwick {

struct TreemapBitmap {
    int width = 0;          // pixels
    int height = 0;         // pixels
    std::size_t stride = 0; // bytes per row
    double scale = 1;       // pixels per point
    std::vector<std::uint32_t> words; // one per pixel, bytes in memory order

    std::uint8_t* bytes() noexcept { return reinterpret_cast<std::uint8_t*>(words.data()); }
    const std::uint8_t* bytes() const noexcept { return reinterpret_cast<const std::uint8_t*>(words.data()); }
    const std::uint8_t* pixel(int x, int y) const {
        return bytes() + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * 4;
    }
};

} // namespace plenwick
