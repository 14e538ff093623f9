#include "GdiCanvas.h"

#include <atomic>

namespace quillfen::vcl {

namespace {
std::atomic<int> gLiveObjects{0};
std::atomic<int> gLiveDCs{0};
std::atomic<int> gCreated{0};

COLORREF ToColorRef(TColor color) { return static_cast<COLORREF>(ColorToRGB(color)) & 0xFFFFFF; }

TGdiObject Checked(HGDIOBJ handle, const char* what) {
  if (!handle) throw EOutOfResources(std::string("Out of system resources: ") + what);
  return TGdiObject(handle);
}

std::vector<POINT> ToPoints(const std::vector<TPoint>& points) {
  std::vector<POINT> result;
  result.reserve(points.size());
  for (const auto& p : points) result.push_back(POINT{p.X, p.Y});
  return result;
}
}  // namespace

int TGdiStats::LiveObjects() { return gLiveObjects; }
int TGdiStats::LiveDCs() { return gLiveDCs; }
int TGdiStats::ObjectsCreated() { return gCreated; }

TGdiObject::TGdiObject(HGDIOBJ handle) : handle_(handle) {
  if (handle_) {
    ++gLiveObjects;
    ++gCreated;
  }
}

TGdiObject& TGdiObject::operator=(TGdiObject&& other) noexcept {
  if (this != &other) {
    reset();
    handle_ = other.handle_;
    other.handle_ = nullptr;
  }
  return *this;
}

HGDIOBJ TGdiObject::release() {
  HGDIOBJ handle = handle_;
  handle_ = nullptr;
  if (handle) --gLiveObjects;
  return handle;
}

void TGdiObject::reset(HGDIOBJ handle) {
  // An object still selected into a DC cannot be deleted; it then stays
  // counted, so a test sees the leak.
  if (handle_ && ::DeleteObject(handle_)) --gLiveObjects;
  handle_ = handle;
  if (handle_) {
    ++gLiveObjects;
    ++gCreated;
  }
}

TSelectGuard::TSelectGuard(HDC dc, TGdiObject object) : dc_(dc), owned_(std::move(object)) {
  if (owned_) previous_ = ::SelectObject(dc_, owned_.get());
}

TSelectGuard::TSelectGuard(HDC dc, HGDIOBJ borrowed) : dc_(dc) {
  if (borrowed) previous_ = ::SelectObject(dc_, borrowed);
}

TSelectGuard::~TSelectGuard() {
  // The old object goes back before ours is deleted: a selected object cannot be freed.
  if (previous_ && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
}

TGdiObject MakePen(const TPenState& pen) {
  static const int kStyles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL,
                                PS_INSIDEFRAME};
  return Checked(::CreatePen(kStyles[static_cast<int>(pen.Style)], pen.Width, ToColorRef(pen.Color)),
                 "pen");
}

TGdiObject MakeSolidBrush(TColor color) {
  return Checked(::CreateSolidBrush(ToColorRef(color)), "brush");
}

TGdiObject MakeBrush(const TBrushState& brush) {
  switch (brush.Style) {
    case TBrushStyle::bsSolid: return MakeSolidBrush(brush.Color);
    case TBrushStyle::bsClear: return TGdiObject();
    case TBrushStyle::bsPattern: {
      WORD rows[8];
      for (int i = 0; i < 8; ++i) rows[i] = static_cast<WORD>(~brush.Pattern[i] & 0xFF);
      // Monochrome pattern bits: 0 takes the text colour, 1 the background colour.
      TGdiObject bitmap = Checked(::CreateBitmap(8, 8, 1, 1, rows), "pattern bitmap");
      return Checked(::CreatePatternBrush(static_cast<HBITMAP>(bitmap.get())), "pattern brush");
    }
    default: {
      static const int kHatches[] = {HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL,
                                     HS_CROSS, HS_DIAGCROSS};
      const int hatch = kHatches[static_cast<int>(brush.Style) - static_cast<int>(TBrushStyle::bsHorizontal)];
      return Checked(::CreateHatchBrush(hatch, ToColorRef(brush.Color)), "hatch brush");
    }
  }
}

TGdiObject MakeFont(const TFontState& font) {
  LOGFONTA lf{};
  lf.lfHeight = font.Height;
  lf.lfEscapement = font.Escapement;
  lf.lfOrientation = font.Escapement;
  lf.lfWeight = (font.Style & fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = (font.Style & fsItalic) ? 1 : 0;
  lf.lfUnderline = (font.Style & fsUnderline) ? 1 : 0;
  lf.lfStrikeOut = (font.Style & fsStrikeOut) ? 1 : 0;
  lf.lfCharSet = static_cast<BYTE>(font.Charset);
  lf.lfOutPrecision = font.TrueTypeOnly ? OUT_TT_ONLY_PRECIS : OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH;
  lstrcpynA(lf.lfFaceName, font.Name.c_str(), LF_FACESIZE);
  return Checked(::CreateFontIndirectA(&lf), "font");
}

TGdiObject MakeCompatibleBitmap(HDC dc, int width, int height) {
  return Checked(::CreateCompatibleBitmap(dc, width, height), "bitmap");
}

TMemoryDC::TMemoryDC(HDC compatibleWith) : dc_(::CreateCompatibleDC(compatibleWith)) {
  if (!dc_) throw EOutOfResources("Out of system resources: memory device context");
  ++gLiveDCs;
}

TMemoryDC::~TMemoryDC() {
  ::DeleteDC(dc_);
  --gLiveDCs;
}

TWindowDC::TWindowDC(HWND window) : window_(window), dc_(::GetDC(window)) {
  if (!dc_) throw EOutOfResources("Out of system resources: window device context");
  ++gLiveDCs;
}

TWindowDC::~TWindowDC() {
  ::ReleaseDC(window_, dc_);
  --gLiveDCs;
}

template <typename Fn>
void TGdiCanvas::WithPen(Fn draw) {
  TSelectGuard pen(dc_, MakePen(Pen));
  draw();
}

namespace {

// Hatched and pattern brushes show the brush background between their lines;
// a monochrome pattern takes its set bits from the text colour, so that
// becomes the brush colour while the brush draws.
class TBrushColours {
 public:
  TBrushColours(HDC dc, const TBrushState& brush) : dc_(dc) {
    back_ = ::SetBkColor(dc, ToColorRef(brush.PatternBackColor));
    pattern_ = brush.Style == TBrushStyle::bsPattern;
    if (pattern_) text_ = ::SetTextColor(dc, ToColorRef(brush.Color));
  }
  ~TBrushColours() {
    ::SetBkColor(dc_, back_);
    if (pattern_) ::SetTextColor(dc_, text_);
  }
  TBrushColours(const TBrushColours&) = delete;
  TBrushColours& operator=(const TBrushColours&) = delete;

 private:
  HDC dc_;
  COLORREF back_ = 0, text_ = 0;
  bool pattern_ = false;
};

}  // namespace

template <typename Fn>
void TGdiCanvas::WithPenAndBrush(Fn draw) {
  TSelectGuard pen(dc_, MakePen(Pen));
  TGdiObject brushObject = MakeBrush(Brush);
  const bool clear = !brushObject;
  TSelectGuard brush = clear ? TSelectGuard(dc_, ::GetStockObject(NULL_BRUSH))
                             : TSelectGuard(dc_, std::move(brushObject));
  TBrushColours colours(dc_, Brush);
  draw();
}

template <typename Fn>
auto TGdiCanvas::WithFont(Fn draw) {
  TSelectGuard font(dc_, MakeFont(Font));
  struct TextState {
    HDC dc;
    COLORREF text, back;
    int mode;
    ~TextState() {
      ::SetTextColor(dc, text);
      ::SetBkColor(dc, back);
      ::SetBkMode(dc, mode);
    }
  } saved{dc_, ::SetTextColor(dc_, ToColorRef(Font.Color)),
          ::SetBkColor(dc_, ToColorRef(Brush.Color)),
          ::SetBkMode(dc_, Brush.Style == TBrushStyle::bsClear ? TRANSPARENT : OPAQUE)};
  return draw();
}

void TGdiCanvas::MoveTo(int x, int y) { ::MoveToEx(dc_, x, y, nullptr); }

void TGdiCanvas::LineTo(int x, int y) {
  WithPen([&] { ::LineTo(dc_, x, y); });
}

TPoint TGdiCanvas::PenPos() const {
  POINT p{};
  ::GetCurrentPositionEx(dc_, &p);
  return {p.x, p.y};
}

void TGdiCanvas::Polyline(const std::vector<TPoint>& points) {
  const auto pts = ToPoints(points);
  WithPen([&] { ::Polyline(dc_, pts.data(), static_cast<int>(pts.size())); });
}

void TGdiCanvas::Polygon(const std::vector<TPoint>& points) {
  const auto pts = ToPoints(points);
  WithPenAndBrush([&] { ::Polygon(dc_, pts.data(), static_cast<int>(pts.size())); });
}

void TGdiCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  WithPen([&] { ::Arc(dc_, x1, y1, x2, y2, x3, y3, x4, y4); });
}

void TGdiCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  WithPenAndBrush([&] { ::Pie(dc_, x1, y1, x2, y2, x3, y3, x4, y4); });
}

void TGdiCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  WithPenAndBrush([&] { ::Ellipse(dc_, x1, y1, x2, y2); });
}

void TGdiCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  WithPenAndBrush([&] { ::Rectangle(dc_, x1, y1, x2, y2); });
}

void TGdiCanvas::RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight) {
  WithPenAndBrush([&] { ::RoundRect(dc_, x1, y1, x2, y2, cornerWidth, cornerHeight); });
}

void TGdiCanvas::FillRect(const TRect& rect) {
  TGdiObject brush = MakeBrush(Brush);
  if (!brush) return;
  const RECT r{rect.Left, rect.Top, rect.Right, rect.Bottom};
  TBrushColours colours(dc_, Brush);
  ::FillRect(dc_, &r, static_cast<HBRUSH>(brush.get()));
}

void TGdiCanvas::FrameRect(const TRect& rect) {
  TGdiObject brush = MakeBrush(Brush);
  if (!brush) return;
  const RECT r{rect.Left, rect.Top, rect.Right, rect.Bottom};
  ::FrameRect(dc_, &r, static_cast<HBRUSH>(brush.get()));
}

void TGdiCanvas::PatBlt(int x, int y, int width, int height, std::uint32_t rop) {
  TGdiObject brushObject = MakeBrush(Brush);
  TSelectGuard brush = !brushObject ? TSelectGuard(dc_, ::GetStockObject(NULL_BRUSH))
                                    : TSelectGuard(dc_, std::move(brushObject));
  TBrushColours colours(dc_, Brush);
  ::PatBlt(dc_, x, y, width, height, rop);
}

void TGdiCanvas::TextOut(int x, int y, const std::string& text) {
  WithFont([&] { ::TextOutA(dc_, x, y, text.data(), static_cast<int>(text.size())); });
  ::MoveToEx(dc_, x + TextWidth(text), y, nullptr);
}

void TGdiCanvas::TextRect(const TRect& rect, int x, int y, const std::string& text) {
  const RECT r{rect.Left, rect.Top, rect.Right, rect.Bottom};
  const UINT options = ETO_CLIPPED | (Brush.Style == TBrushStyle::bsClear ? 0 : ETO_OPAQUE);
  WithFont([&] {
    ::ExtTextOutA(dc_, x, y, options, &r, text.data(), static_cast<UINT>(text.size()), nullptr);
  });
}

int TGdiCanvas::DrawText(const std::string& text, TRect& rect, unsigned format) {
  RECT r{rect.Left, rect.Top, rect.Right, rect.Bottom};
  const int height = WithFont(
      [&] { return ::DrawTextA(dc_, text.data(), static_cast<int>(text.size()), &r, format); });
  rect = {r.left, r.top, r.right, r.bottom};
  return height;
}

TPoint TGdiCanvas::TextExtent(const std::string& text) {
  SIZE size{};
  WithFont([&] {
    ::GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &size);
  });
  return {size.cx, size.cy};
}

HDC TGdiCanvas::SourceDC(TCanvas& source) {
  auto* gdi = dynamic_cast<TGdiCanvas*>(&source);
  if (!gdi) throw Exception("Block copy between canvases of different kinds");
  return gdi->Handle();
}

void TGdiCanvas::BitBlt(int x, int y, int width, int height, TCanvas& source, int sourceX,
                        int sourceY, std::uint32_t rop) {
  ::BitBlt(dc_, x, y, width, height, SourceDC(source), sourceX, sourceY, rop);
}

void TGdiCanvas::StretchBlt(int x, int y, int width, int height, TCanvas& source, int sourceX,
                            int sourceY, int sourceWidth, int sourceHeight, std::uint32_t rop) {
  ::SetStretchBltMode(dc_, COLORONCOLOR);
  ::StretchBlt(dc_, x, y, width, height, SourceDC(source), sourceX, sourceY, sourceWidth,
               sourceHeight, rop);
}

std::unique_ptr<TCanvas> TGdiCanvas::CreateBuffer(int width, int height) {
  return std::make_unique<TBufferCanvas>(dc_, width, height);
}

TBufferCanvas::TBufferCanvas(HDC compatibleWith, int width, int height)
    : TGdiCanvas(nullptr), memory_(compatibleWith), bitmap_(nullptr) {
  TGdiObject bitmap = MakeCompatibleBitmap(compatibleWith, width, height);
  bitmap_ = static_cast<HBITMAP>(bitmap.get());
  selection_ = std::make_unique<TSelectGuard>(memory_.get(), std::move(bitmap));
  SetHandle(memory_.get());
  ::PatBlt(memory_.get(), 0, 0, width, height, WHITENESS);
}

TBufferCanvas::~TBufferCanvas() { selection_.reset(); }

}  // namespace quillfen::vcl
