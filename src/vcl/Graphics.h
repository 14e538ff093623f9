// Font and bitmap objects of the Win32 framework.
#pragma once

#include "WinApi.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "Canvas.h"
#include "Classes.h"
#include "GdiCanvas.h"

namespace quillfen::vcl {

// A font description with a lazily created handle; any change drops the
// handle and calls OnChange.
class TFont : public TObject {
 public:
  TFont() = default;
  std::string ClassName() const override { return "TFont"; }

  const TFontState& State() const { return state_; }
  void SetState(const TFontState& state);
  void Assign(const TFont& other) { SetState(other.state_); }

  const std::string& Name() const { return state_.Name; }
  void SetName(const std::string& name);
  int Height() const { return state_.Height; }
  void SetHeight(int height);
  // Points, converted with PixelsPerInch.
  int Size() const;
  void SetSize(int points);
  TColor Color() const { return state_.Color; }
  void SetColor(TColor color);
  TFontStyles Style() const { return state_.Style; }
  void SetStyle(TFontStyles style);
  TFontCharset Charset() const { return state_.Charset; }
  void SetCharset(TFontCharset charset);
  int PixelsPerInch = 96;

  HFONT Handle();
  std::function<void()> OnChange;

 private:
  void Changed();
  TFontState state_;
  TGdiObject handle_;
};

// A device-dependent bitmap with its own memory DC and canvas.
class TBitmap : public TObject {
 public:
  TBitmap() = default;
  TBitmap(int width, int height) { SetSize(width, height); }
  // The bitmap leaves its DC before it is deleted.
  ~TBitmap() override { Release(); }
  std::string ClassName() const override { return "TBitmap"; }

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return !bitmap_; }
  // A new size starts white; the old picture is dropped.
  void SetSize(int width, int height);
  void Assign(const TBitmap& other);
  // Takes ownership of a bitmap handle.
  void SetHandle(HBITMAP bitmap);
  HBITMAP Handle() const { return bitmap_; }
  // A bitmap resource of the module; false when there is none of that name.
  bool LoadFromResourceName(HINSTANCE module, const std::string& name);
  // A BMP file's bytes (as a form description stores a picture); false, with
  // the bitmap unchanged, when they are not a bitmap this can show.
  bool LoadFromBmpData(const std::uint8_t* data, std::size_t size);
  // Writes a 24-bit BMP file; false on failure.
  bool SaveToFile(const std::string& path) const;
  // The colour of one pixel as RGB (red in the low byte).
  TColor Pixel(int x, int y);

  TGdiCanvas& Canvas();
  std::function<void()> OnChange;

 private:
  void Release();
  int width_ = 0;
  int height_ = 0;
  HBITMAP bitmap_ = nullptr;
  std::unique_ptr<TMemoryDC> dc_;
  std::unique_ptr<TSelectGuard> selection_;
  std::unique_ptr<TGdiCanvas> canvas_;
  TGdiObject owner_;
};

}  // namespace quillfen::vcl
