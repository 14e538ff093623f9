// TCanvas over a Win32 device context, and owners for the GDI objects and
// selections it makes. Every object that the wrappers create is counted, so
// tests can check that painting gives back all it took (GetGuiResources
// reports nothing under Wine).
#pragma once

#include "WinApi.h"

#include <memory>
#include <string>
#include <vector>

#include "Canvas.h"

namespace quillfen::vcl {

// Live GDI objects and device contexts created through the wrappers below.
struct TGdiStats {
  static int LiveObjects();
  static int LiveDCs();
  static int ObjectsCreated();  // total since start, to see that something happened
};

// Owns one created pen, brush, font, bitmap or region; deletes it once.
class TGdiObject {
 public:
  TGdiObject() = default;
  explicit TGdiObject(HGDIOBJ handle);  // takes ownership; null is allowed
  TGdiObject(TGdiObject&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
  TGdiObject& operator=(TGdiObject&& other) noexcept;
  TGdiObject(const TGdiObject&) = delete;
  TGdiObject& operator=(const TGdiObject&) = delete;
  ~TGdiObject() { reset(); }

  HGDIOBJ get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  HGDIOBJ release();
  void reset(HGDIOBJ handle = nullptr);

 private:
  HGDIOBJ handle_ = nullptr;
};

// Selects an object into a DC for one scope: the previous object is selected
// back first, then the guard's own object (if it owns one) is deleted.
class TSelectGuard {
 public:
  TSelectGuard(HDC dc, TGdiObject object);  // owns the object
  TSelectGuard(HDC dc, HGDIOBJ borrowed);   // stock or foreign object: not deleted
  TSelectGuard(const TSelectGuard&) = delete;
  TSelectGuard& operator=(const TSelectGuard&) = delete;
  ~TSelectGuard();

 private:
  HDC dc_;
  HGDIOBJ previous_ = nullptr;
  TGdiObject owned_;
};

// Counted creators; each failure throws EOutOfResources.
class EOutOfResources : public Exception {
 public:
  using Exception::Exception;
};
TGdiObject MakePen(const TPenState& pen);
TGdiObject MakeBrush(const TBrushState& brush);  // null object for a clear brush
TGdiObject MakeFont(const TFontState& font);
TGdiObject MakeSolidBrush(TColor color);
TGdiObject MakeCompatibleBitmap(HDC dc, int width, int height);

// A memory DC compatible with another, deleted with the owner.
class TMemoryDC {
 public:
  explicit TMemoryDC(HDC compatibleWith);
  TMemoryDC(const TMemoryDC&) = delete;
  TMemoryDC& operator=(const TMemoryDC&) = delete;
  ~TMemoryDC();
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// GetDC / ReleaseDC for one scope.
class TWindowDC {
 public:
  explicit TWindowDC(HWND window);
  TWindowDC(const TWindowDC&) = delete;
  TWindowDC& operator=(const TWindowDC&) = delete;
  ~TWindowDC();
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// Draws on a DC it does not own. Pen, brush and font objects live for one call.
class TGdiCanvas : public TCanvas {
 public:
  explicit TGdiCanvas(HDC dc) : dc_(dc) {}
  HDC Handle() const { return dc_; }

  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  TPoint PenPos() const override;
  void Polyline(const std::vector<TPoint>& points) override;
  void Polygon(const std::vector<TPoint>& points) override;
  void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
  void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
  void Ellipse(int x1, int y1, int x2, int y2) override;
  void Rectangle(int x1, int y1, int x2, int y2) override;
  void RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight) override;
  void FillRect(const TRect& rect) override;
  void FrameRect(const TRect& rect) override;
  void PatBlt(int x, int y, int width, int height, std::uint32_t rop) override;
  void TextOut(int x, int y, const std::string& text) override;
  void TextRect(const TRect& rect, int x, int y, const std::string& text) override;
  int DrawText(const std::string& text, TRect& rect, unsigned format) override;
  TPoint TextExtent(const std::string& text) override;
  void BitBlt(int x, int y, int width, int height, TCanvas& source, int sourceX, int sourceY,
              std::uint32_t rop) override;
  void StretchBlt(int x, int y, int width, int height, TCanvas& source, int sourceX, int sourceY,
                  int sourceWidth, int sourceHeight, std::uint32_t rop) override;
  std::unique_ptr<TCanvas> CreateBuffer(int width, int height) override;

 protected:
  void SetHandle(HDC dc) { dc_ = dc; }

 private:
  template <typename Fn>
  void WithPen(Fn draw);
  template <typename Fn>
  void WithPenAndBrush(Fn draw);
  template <typename Fn>
  auto WithFont(Fn draw);
  static HDC SourceDC(TCanvas& source);

  HDC dc_;
};

// An off-screen bitmap with its own memory DC; starts white.
class TBufferCanvas final : public TGdiCanvas {
 public:
  TBufferCanvas(HDC compatibleWith, int width, int height);
  ~TBufferCanvas() override;
  HBITMAP Bitmap() const { return bitmap_; }

 private:
  TMemoryDC memory_;
  HBITMAP bitmap_;
  std::unique_ptr<TSelectGuard> selection_;
};

}  // namespace quillfen::vcl
