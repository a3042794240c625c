// Internal to the graphics layer: the objects behind the handles of Gdi.h.
#pragma once

#include <cstdint>
#include <vector>

#include "win/Gdi.h"

namespace NUVWin::gdi {

enum class Kind { Bitmap, Region, Palette, DC, Brush, Pen, Font };

struct Object {
    explicit Object(Kind k) : kind(k) {}
    virtual ~Object() = default;
    Kind kind;
    bool stock = false;
};

struct DC;

// Zero-filled pixel memory. Large blocks are mapped from the system, already zeroed and backed by
// huge pages where the system allows, so a big bitmap neither clears its memory twice nor takes a
// fault for every page when it is first written.
class PixelBuffer {
public:
    PixelBuffer() = default;
    PixelBuffer(const PixelBuffer& o) { *this = o; }
    PixelBuffer& operator=(const PixelBuffer& o);
    ~PixelBuffer() { Release(); }
    void Assign(std::size_t n);
    std::uint8_t* data() { return p_; }
    const std::uint8_t* data() const { return p_; }
    std::size_t size() const { return size_; }

private:
    void Release();
    std::uint8_t* p_ = nullptr;
    std::size_t size_ = 0;
    bool mapped_ = false;
};

struct Bitmap : Object {
    Bitmap() : Object(Kind::Bitmap) {}
    int width = 0;
    int height = 0;
    int bpp = 1;
    int stride = 0;
    bool topDown = true;
    bool dib = false;
    std::vector<RGBQUAD> colors;  // DIB sections of up to 8 bits
    PixelBuffer storage;
    DC* selectedIn = nullptr;

    std::uint8_t* Row(int y) { return storage.data() + static_cast<std::size_t>(topDown ? y : height - 1 - y) * stride; }
    const std::uint8_t* Row(int y) const { return const_cast<Bitmap*>(this)->Row(y); }
    bool Monochrome() const { return bpp == 1 && !dib; }
};

struct Palette : Object {
    Palette() : Object(Kind::Palette) {}
    std::vector<PALETTEENTRY> entries;
};

struct Region : Object {
    Region() : Object(Kind::Region) {}
    std::vector<RECT> rects;  // banded, see Gdi.h
    RECT bounds{0, 0, 0, 0};
};

struct DC : Object {
    DC() : Object(Kind::DC) {}
    bool memory = false;
    int bpp = 32;                // of the device it was made for
    Bitmap* bitmap = nullptr;    // memory contexts
    Bitmap* stockBitmap = nullptr;
    Palette* palette = nullptr;
    COLORREF bkColor = RGB(255, 255, 255);
    COLORREF textColor = RGB(0, 0, 0);
};

// Handle bookkeeping: only live objects are accepted back.
void Track(Object* o);
void Untrack(Object* o);
Object* Find(const void* handle, Kind kind);

template <class T>
T* As(const void* handle, Kind kind) {
    return static_cast<T*>(Find(handle, kind));
}

}  // namespace NUVWin::gdi
