#include "clips/SourceProbe.h"

#include <cstring>
#include <limits>

namespace {

// The largest picture side the engine ever produces; anything above it in a
// thumbnail header is garbage, not a picture.
constexpr int32_t kMaxThumbnailSide = 16384;
constexpr int kBlockHeaderSize = 54;

int32_t readLe32(const unsigned char* p)
{
    uint32_t v = uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
    int32_t out;
    std::memcpy(&out, &v, sizeof out);
    return out;
}

uint16_t readLe16(const unsigned char* p) { return uint16_t(p[0] | (p[1] << 8)); }

} // namespace

namespace SourceProbe {

QString stemOf(const QString& name)
{
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

bool checkThumbnail(const unsigned char* block, uint32_t width, uint32_t height, QByteArray& pixels)
{
    if (!block)
        return false;
    // Trust the block only when its own header describes the picture the
    // reader reported: a 32-bit uncompressed bitmap of exactly that size.
    if (block[0] != 'B' || block[1] != 'M')
        return false;
    const int32_t pixelOffset = readLe32(block + 10);
    const int32_t headerWidth = readLe32(block + 18);
    const int32_t headerHeight = readLe32(block + 22);
    const uint16_t bitsPerPixel = readLe16(block + 28);
    const int32_t compression = readLe32(block + 30);
    if (pixelOffset != kBlockHeaderSize || bitsPerPixel != 32 || compression != 0)
        return false;
    if (headerHeight == std::numeric_limits<int32_t>::min())
        return false;
    const int32_t absHeight = headerHeight < 0 ? -headerHeight : headerHeight;
    if (headerWidth <= 0 || absHeight <= 0 || headerWidth > kMaxThumbnailSide
        || absHeight > kMaxThumbnailSide)
        return false;
    if (uint32_t(headerWidth) != width || uint32_t(absHeight) != height)
        return false;
    // The block's own size field must cover exactly these pixels.
    const int64_t pixelBytes = int64_t(headerWidth) * absHeight * 4;
    if (int64_t(uint32_t(readLe32(block + 2))) != kBlockHeaderSize + pixelBytes)
        return false;

    // Deep copy: the block belongs to the reader and dies with it.
    const unsigned char* source = block + kBlockHeaderSize;
    const int stride = headerWidth * 4;
    pixels.resize(int(pixelBytes));
    for (int y = 0; y < absHeight; ++y) {
        // A positive height stores the rows bottom-up.
        const int row = headerHeight < 0 ? y : absHeight - 1 - y;
        std::memcpy(pixels.data() + size_t(y) * size_t(stride), source + size_t(row) * size_t(stride),
                    size_t(stride));
    }
    return true;
}

} // namespace SourceProbe
