// The picture block handed out by Info_GetVideoImage: a 54-byte BMP header
// (negative height, top-down) and w*h pixels B,G,R,255. The pixels start on
// a 64-byte boundary so that a QImage can wrap them without copying.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orv {

class PictureBlock
{
public:
    PictureBlock() = default;
    ~PictureBlock();
    PictureBlock(const PictureBlock&) = delete;
    PictureBlock& operator=(const PictureBlock&) = delete;

    // Allocates and writes the header; returns false on a bad size or OOM.
    bool allocate(int w, int h);
    void reset();

    unsigned char* block() const { return m_base ? m_base + kLead : nullptr; }
    unsigned char* pixels() const { return m_base ? m_base + 64 : nullptr; }
    int width() const { return m_w; }
    int height() const { return m_h; }

    static constexpr size_t kHeaderSize = 54;

private:
    static constexpr size_t kLead = 64 - kHeaderSize;
    unsigned char* m_base = nullptr;
    int m_w = 0, m_h = 0;
};

} // namespace orv
