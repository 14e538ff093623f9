#include "Graphics.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "Math.h"

namespace quillfen::vcl {

void TFont::SetState(const TFontState& state) {
  if (state == state_) return;
  state_ = state;
  Changed();
}

void TFont::SetName(const std::string& name) {
  if (name == state_.Name) return;
  state_.Name = name;
  Changed();
}

void TFont::SetHeight(int height) {
  if (height == state_.Height) return;
  state_.Height = height;
  Changed();
}

int TFont::Size() const { return -MulDiv(state_.Height, 72, PixelsPerInch); }

void TFont::SetSize(int points) { SetHeight(-MulDiv(points, PixelsPerInch, 72)); }

void TFont::SetColor(TColor color) {
  if (color == state_.Color) return;
  state_.Color = color;
  Changed();
}

void TFont::SetStyle(TFontStyles style) {
  if (style == state_.Style) return;
  state_.Style = style;
  Changed();
}

void TFont::SetCharset(TFontCharset charset) {
  if (charset == state_.Charset) return;
  state_.Charset = charset;
  Changed();
}

HFONT TFont::Handle() {
  if (!handle_) handle_ = MakeFont(state_);
  return static_cast<HFONT>(handle_.get());
}

void TFont::Changed() {
  handle_.reset();
  if (OnChange) OnChange();
}

void TBitmap::Release() {
  canvas_.reset();
  selection_.reset();
  dc_.reset();
  owner_.reset();
  bitmap_ = nullptr;
  width_ = height_ = 0;
}

TGdiCanvas& TBitmap::Canvas() {
  if (!canvas_) {
    TWindowDC screen(nullptr);
    dc_ = std::make_unique<TMemoryDC>(screen.get());
    if (bitmap_) selection_ = std::make_unique<TSelectGuard>(dc_->get(), static_cast<HGDIOBJ>(bitmap_));
    canvas_ = std::make_unique<TGdiCanvas>(dc_->get());
  }
  return *canvas_;
}

void TBitmap::SetSize(int width, int height) {
  if (width == width_ && height == height_ && bitmap_) return;
  Release();
  if (width > 0 && height > 0) {
    TWindowDC screen(nullptr);
    owner_ = MakeCompatibleBitmap(screen.get(), width, height);
    bitmap_ = static_cast<HBITMAP>(owner_.get());
    width_ = width;
    height_ = height;
    ::PatBlt(Canvas().Handle(), 0, 0, width, height, WHITENESS);
  }
  if (OnChange) OnChange();
}

void TBitmap::SetHandle(HBITMAP bitmap) {
  Release();
  if (bitmap) {
    BITMAP info{};
    ::GetObjectA(bitmap, sizeof info, &info);
    owner_ = TGdiObject(bitmap);
    bitmap_ = bitmap;
    width_ = info.bmWidth;
    height_ = info.bmHeight;
  }
  if (OnChange) OnChange();
}

void TBitmap::Assign(const TBitmap& other) {
  if (&other == this) return;
  if (other.Empty()) {
    Release();
    if (OnChange) OnChange();
    return;
  }
  HBITMAP copy = static_cast<HBITMAP>(::CopyImage(other.bitmap_, IMAGE_BITMAP, 0, 0, 0));
  if (!copy) throw EOutOfResources("Out of system resources: bitmap copy");
  SetHandle(copy);
}

bool TBitmap::LoadFromResourceName(HINSTANCE module, const std::string& name) {
  HBITMAP bitmap = static_cast<HBITMAP>(
      ::LoadImageA(module, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!bitmap) return false;
  SetHandle(bitmap);
  return true;
}

bool TBitmap::LoadFromBmpData(const std::uint8_t* data, std::size_t size) {
  auto u16 = [&](std::size_t at) { return static_cast<unsigned>(data[at] | data[at + 1] << 8); };
  auto u32 = [&](std::size_t at) {
    return static_cast<std::uint32_t>(data[at] | data[at + 1] << 8 | data[at + 2] << 16 |
                                      static_cast<std::uint32_t>(data[at + 3]) << 24);
  };
  constexpr std::size_t kFileHeader = 14;
  if (!data || size < kFileHeader + sizeof(BITMAPINFOHEADER) || data[0] != 'B' || data[1] != 'M')
    return false;
  const std::uint32_t bitsOffset = u32(10);
  const std::uint32_t infoSize = u32(kFileHeader);
  if (infoSize < sizeof(BITMAPINFOHEADER) || infoSize > size - kFileHeader) return false;
  const auto width = static_cast<std::int32_t>(u32(kFileHeader + 4));
  const auto height = static_cast<std::int32_t>(u32(kFileHeader + 8));
  const unsigned bitCount = u16(kFileHeader + 14);
  const std::uint32_t compression = u32(kFileHeader + 16);
  std::uint32_t colours = u32(kFileHeader + 32);
  if (width <= 0 || width > 16384 || height == 0 || height > 16384 || height < -16384) return false;
  if (compression != BI_RGB) return false;
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32) return false;
  if (bitCount <= 8 && (colours == 0 || colours > (1u << bitCount))) colours = 1u << bitCount;
  if (bitCount > 8) colours = 0;
  const std::size_t paletteEnd = kFileHeader + infoSize + std::size_t{colours} * 4;
  const std::size_t stride = ((static_cast<std::size_t>(width) * bitCount + 31) / 32) * 4;
  const std::size_t rows = static_cast<std::size_t>(height < 0 ? -height : height);
  if (paletteEnd > size || bitsOffset < paletteEnd || bitsOffset > size ||
      size - bitsOffset < stride * rows)
    return false;

  // The header and palette as they stand, so that a 256-colour picture keeps its colours.
  std::vector<std::uint8_t> info(data + kFileHeader, data + paletteEnd);
  auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
  header->biSize = sizeof(BITMAPINFOHEADER);
  if (infoSize > sizeof(BITMAPINFOHEADER))  // drop the extra header fields before the palette
    info.erase(info.begin() + sizeof(BITMAPINFOHEADER), info.begin() + infoSize);
  header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
  header->biClrUsed = colours;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(info.data()),
                                      DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) {
    if (bitmap) ::DeleteObject(bitmap);
    return false;
  }
  std::memcpy(bits, data + bitsOffset, stride * rows);
  SetHandle(bitmap);
  return true;
}

TColor TBitmap::Pixel(int x, int y) {
  if (!bitmap_) return clBlack;
  return static_cast<TColor>(::GetPixel(Canvas().Handle(), x, y));
}

bool TBitmap::SaveToFile(const std::string& path) const {
  if (!bitmap_) return false;
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width_;
  header.biHeight = height_;  // bottom-up rows
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const int stride = ((width_ * 3 + 3) / 4) * 4;
  std::vector<unsigned char> pixels(static_cast<size_t>(stride) * height_);
  header.biSizeImage = static_cast<DWORD>(pixels.size());
  {
    TWindowDC screen(nullptr);
    // GetDIBits wants the bitmap not selected anywhere; copy through a fresh DC.
    TMemoryDC source(screen.get());
    TGdiObject copy = MakeCompatibleBitmap(screen.get(), width_, height_);
    {
      TSelectGuard into(source.get(), copy.get());
      HDC from = canvas_ ? canvas_->Handle() : nullptr;
      std::unique_ptr<TMemoryDC> own;
      std::unique_ptr<TSelectGuard> ownSelection;
      if (!from) {
        own = std::make_unique<TMemoryDC>(screen.get());
        ownSelection = std::make_unique<TSelectGuard>(own->get(), static_cast<HGDIOBJ>(bitmap_));
        from = own->get();
      }
      ::BitBlt(source.get(), 0, 0, width_, height_, from, 0, 0, SRCCOPY);
    }
    BITMAPINFO info{};
    info.bmiHeader = header;
    if (!::GetDIBits(screen.get(), static_cast<HBITMAP>(copy.get()), 0, height_, pixels.data(),
                     &info, DIB_RGB_COLORS))
      return false;
  }
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + header.biSizeImage;
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  const bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                  std::fwrite(&header, sizeof header, 1, out) == 1 &&
                  std::fwrite(pixels.data(), pixels.size(), 1, out) == 1;
  return std::fclose(out) == 0 && ok;
}

}  // namespace quillfen::vcl
