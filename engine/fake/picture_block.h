// The engine's picture block: a 54-byte BMP header (negative height:
// top-down) and w*h pixels B,G,R,255, placed so that block+54 is 64-byte
// aligned and Qt can wrap the pixels without copying.
#ifndef ORVALTA_FAKE_PICTURE_BLOCK_H
#define ORVALTA_FAKE_PICTURE_BLOCK_H

#include <cstdint>
#include <memory>

namespace orvfake::detail {

class PictureBlock
{
public:
    static constexpr int kHeaderSize = 54;

    // Rebuilds the block as w x h of one colour; NULL for a size out of 1..16384.
    unsigned char* fill(int w, int h, uint32_t argb);
    void clear();

private:
    std::unique_ptr<unsigned char[]> m_storage;
};

} // namespace orvfake::detail

#endif // ORVALTA_FAKE_PICTURE_BLOCK_H
