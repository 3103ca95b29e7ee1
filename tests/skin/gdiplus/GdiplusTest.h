// GDI+ for a whole test program, and pixel helpers for GDI+ bitmaps.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "skin/ImageStrip.h"
#include "skin/gdiplus/GdiplusSession.h"

namespace skintest {

class GdiplusEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    session_.emplace();
    ASSERT_TRUE(session_->Started());
  }
  void TearDown() override { session_.reset(); }

 private:
  std::optional<skin::GdiplusSession> session_;
};

// One session per program, around all its tests.
inline ::testing::Environment* const kGdiplus =
    ::testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

// The pixel as non-premultiplied ARGB.
inline uint32_t PixelAt(Gdiplus::Bitmap& b, int x, int y) {
  Gdiplus::Color c;
  b.GetPixel(x, y, &c);
  return c.GetValue();
}

// True when every channel of the two colours differs by at most `tolerance`.
inline bool Near(uint32_t a, uint32_t b, unsigned tolerance = 0x20) {
  for (int shift = 0; shift < 32; shift += 8) {
    const int ca = static_cast<int>((a >> shift) & 0xFF), cb = static_cast<int>((b >> shift) & 0xFF);
    if (static_cast<unsigned>(ca > cb ? ca - cb : cb - ca) > tolerance) return false;
  }
  return true;
}

// A sheet of `count` columns, each `columnWidth` wide and filled with its own colour.
inline skin::ImagePtr ColumnSheet(const std::vector<uint32_t>& colours, int columnWidth,
                                  int height) {
  const int count = static_cast<int>(colours.size());
  skin::ImagePtr sheet(new Gdiplus::Bitmap(count * columnWidth, height, PixelFormat32bppARGB));
  Gdiplus::Graphics g(sheet.get());
  for (int i = 0; i < count; ++i) {
    Gdiplus::SolidBrush brush{Gdiplus::Color(colours[static_cast<size_t>(i)])};
    g.FillRectangle(&brush, i * columnWidth, 0, columnWidth, height);
  }
  return sheet;
}

inline skin::ImagePtr SolidBitmap(uint32_t argb, int width, int height) {
  return ColumnSheet({argb}, width, height);
}

// Writes the image as a PNG file, for a person to look at.
inline bool SavePng(Gdiplus::Image& image, const wchar_t* path) {
  UINT count = 0, size = 0;
  if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return false;
  std::vector<unsigned char> buffer(size);
  auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  if (Gdiplus::GetImageEncoders(count, size, codecs) != Gdiplus::Ok) return false;
  for (UINT i = 0; i < count; ++i) {
    if (std::wstring(codecs[i].MimeType) == L"image/png") {
      return image.Save(path, &codecs[i].Clsid, nullptr) == Gdiplus::Ok;
    }
  }
  return false;
}

}  // namespace skintest
