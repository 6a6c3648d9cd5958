#include "picture_block.h"

#include <cstring>

namespace orvfake::detail {

namespace {

constexpr uintptr_t kAlignment = 64;

void putLe(unsigned char* at, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        at[i] = static_cast<unsigned char>(value >> (8 * i));
}

} // namespace

unsigned char* PictureBlock::fill(int w, int h, uint32_t argb)
{
    clear();
    if (w < 1 || h < 1 || w > 16384 || h > 16384)
        return nullptr;
    const uint32_t pixelBytes = 4u * static_cast<uint32_t>(w) * static_cast<uint32_t>(h);
    m_storage.reset(new unsigned char[kHeaderSize + pixelBytes + kAlignment]);

    const uintptr_t start = reinterpret_cast<uintptr_t>(m_storage.get()) + kHeaderSize;
    const uintptr_t pixelsAt = (start + kAlignment - 1) & ~(kAlignment - 1);
    unsigned char* block = m_storage.get() + (pixelsAt - start);

    std::memset(block, 0, kHeaderSize);
    block[0] = 'B';
    block[1] = 'M';
    putLe(block + 2, kHeaderSize + pixelBytes, 4);
    putLe(block + 10, kHeaderSize, 4);
    putLe(block + 14, 40, 4);
    putLe(block + 18, static_cast<uint32_t>(w), 4);
    putLe(block + 22, static_cast<uint32_t>(-h), 4);
    putLe(block + 26, 1, 2);
    putLe(block + 28, 32, 2);
    putLe(block + 34, pixelBytes, 4);
    putLe(block + 38, 2835, 4);
    putLe(block + 42, 2835, 4);

    const unsigned char pixel[4] = {static_cast<unsigned char>(argb), static_cast<unsigned char>(argb >> 8),
                                    static_cast<unsigned char>(argb >> 16), 255};
    unsigned char* p = block + kHeaderSize;
    for (uint32_t i = 0; i < pixelBytes; i += 4)
        std::memcpy(p + i, pixel, 4);
    return block;
}

void PictureBlock::clear() { m_storage.reset(); }

} // namespace orvfake::detail
