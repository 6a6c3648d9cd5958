#include "core/picture_block.h"

#include <cstdlib>
#include <cstring>

namespace orv {
namespace {

void put16(unsigned char* p, uint16_t v)
{
    p[0] = v & 0xff;
    p[1] = v >> 8;
}
void put32(unsigned char* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = (v >> (8 * i)) & 0xff;
}

} // namespace

PictureBlock::~PictureBlock() { reset(); }

void PictureBlock::reset()
{
    std::free(m_base);
    m_base = nullptr;
    m_w = m_h = 0;
}

bool PictureBlock::allocate(int w, int h)
{
    reset();
    if (w <= 0 || h <= 0 || w > 16384 || h > 16384)
        return false;
    const size_t image = size_t(w) * size_t(h) * 4;
    void* mem = nullptr;
    if (posix_memalign(&mem, 64, 64 + image) != 0)
        return false;
    m_base = static_cast<unsigned char*>(mem);
    m_w = w;
    m_h = h;
    unsigned char* hdr = m_base + kLead;
    std::memset(hdr, 0, kHeaderSize);
    hdr[0] = 'B';
    hdr[1] = 'M';
    put32(hdr + 2, uint32_t(kHeaderSize + image));
    put32(hdr + 10, uint32_t(kHeaderSize));
    put32(hdr + 14, 40);
    put32(hdr + 18, uint32_t(w));
    put32(hdr + 22, uint32_t(-h));
    put16(hdr + 26, 1);
    put16(hdr + 28, 32);
    put32(hdr + 30, 0); // BI_RGB
    put32(hdr + 34, uint32_t(image));
    put32(hdr + 38, 2835);
    put32(hdr + 42, 2835);
    return true;
}

} // namespace orv
