#pragma once
// Picture files of one colour each and a look at bitmaps' pixels, for the
// thumbnail tests.

#include <windows.h>

#include <string>
#include <vector>

enum class TestPicture { RedPng300x150, GreenJpeg20x40, BlueGif30x30 };

bool WritePicture(const std::wstring& path, TestPicture picture);
// A 24-bit BMP file of one colour.
bool WriteBmp(const std::wstring& path, int width, int height, COLORREF colour);

SIZE BitmapDimensions(HBITMAP bitmap);

// Every pixel of a bitmap, read once.
class PixelSnapshot {
public:
    explicit PixelSnapshot(HBITMAP bitmap);
    // CLR_INVALID outside the bitmap or when it was unreadable.
    COLORREF At(int x, int y) const;
    SIZE Size() const { return size_; }

private:
    SIZE size_{};
    std::vector<BYTE> bgra_;
};

// The colour of one pixel of any bitmap; CLR_INVALID outside it or when unreadable.
COLORREF PixelOf(HBITMAP bitmap, int x, int y);
// Each of red, green and blue within `tolerance` (lossy formats shift colours a little).
bool CloseColour(COLORREF a, COLORREF b, int tolerance = 8);
