#include "rmButtonGlyph.h"

#include <algorithm>

namespace quillfen::widgets {

using vcl::clBtnFace;
using vcl::clBtnHighlight;
using vcl::clBtnShadow;
using vcl::ColorToRGB;

void DrawEmbossedText(TCanvas& canvas, const std::string& text, TRect& rect, unsigned format) {
  if (format & vcl::dtCalcRect) {
    canvas.DrawText(text, rect, format);
    return;
  }
  const vcl::TBrushStyle oldBrush = canvas.Brush.Style;
  const TColor oldColor = canvas.Font.Color;
  canvas.Brush.Style = vcl::TBrushStyle::bsClear;
  TRect shifted{rect.Left + 1, rect.Top + 1, rect.Right + 1, rect.Bottom + 1};
  canvas.Font.Color = clBtnHighlight;
  canvas.DrawText(text, shifted, format);
  canvas.Font.Color = clBtnShadow;
  canvas.DrawText(text, rect, format);
  canvas.Brush.Style = oldBrush;
  canvas.Font.Color = oldColor;
  rect.Right += 1;
  rect.Bottom += 1;
}

// ----------------------------------------------------------- glyph layout

TGlyphLayout CalcButtonLayout(const TRect& client, TPoint offset, TPoint textSize,
                              TPoint glyphSize, TButtonLayout layout, int margin, int spacing) {
  const TPoint clientSize{client.Width(), client.Height()};
  const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
  TPoint glyphPos, textPos;
  if (horizontal) {
    glyphPos.Y = (clientSize.Y - glyphSize.Y + 1) / 2;
    textPos.Y = (clientSize.Y - textSize.Y + 1) / 2;
  } else {
    glyphPos.X = (clientSize.X - glyphSize.X + 1) / 2;
    textPos.X = (clientSize.X - textSize.X + 1) / 2;
  }
  if (textSize.X == 0 || glyphSize.X == 0) spacing = 0;
  if (margin == -1) {
    if (spacing == -1) {
      const TPoint total{glyphSize.X + textSize.X, glyphSize.Y + textSize.Y};
      margin = horizontal ? (clientSize.X - total.X) / 3 : (clientSize.Y - total.Y) / 3;
      spacing = margin;
    } else {
      const TPoint total{glyphSize.X + spacing + textSize.X, glyphSize.Y + spacing + textSize.Y};
      margin = horizontal ? (clientSize.X - total.X + 1) / 2 : (clientSize.Y - total.Y + 1) / 2;
    }
  } else if (spacing == -1) {
    const TPoint total{clientSize.X - (margin + glyphSize.X), clientSize.Y - (margin + glyphSize.Y)};
    spacing = horizontal ? (total.X - textSize.X) / 2 : (total.Y - textSize.Y) / 2;
  }
  switch (layout) {
    case blGlyphLeft:
      glyphPos.X = margin;
      textPos.X = glyphPos.X + glyphSize.X + spacing;
      break;
    case blGlyphRight:
      glyphPos.X = clientSize.X - margin - glyphSize.X;
      textPos.X = glyphPos.X - spacing - textSize.X;
      break;
    case blGlyphTop:
      glyphPos.Y = margin;
      textPos.Y = glyphPos.Y + glyphSize.Y + spacing;
      break;
    case blGlyphBottom:
      glyphPos.Y = clientSize.Y - margin - glyphSize.Y;
      textPos.Y = glyphPos.Y - spacing - textSize.Y;
      break;
  }
  TGlyphLayout out;
  out.GlyphPos = {glyphPos.X + client.Left + offset.X, glyphPos.Y + client.Top + offset.Y};
  const int left = textPos.X + client.Left + offset.X;
  const int top = textPos.Y + client.Top + offset.Y;
  out.TextBounds = {left, top, left + textSize.X, top + textSize.Y};
  return out;
}

int NumGlyphsForStrip(int width, int height) {
  if (width <= 0 || height <= 0 || width % height != 0) return 0;
  const int n = width / height;
  return n < 5 ? n : 1;
}

int GlyphSlotForState(TButtonState state, int numGlyphs) {
  if (state == bsDown && numGlyphs < 3) state = bsUp;
  return static_cast<int>(state) < numGlyphs ? static_cast<int>(state) : 0;
}

// ---------------------------------------------------------- pixel images

TPixelImage CutSlot(const TPixelImage& strip, int slot, int numGlyphs) {
  const int w = numGlyphs > 0 ? strip.Width / numGlyphs : strip.Width;
  TPixelImage out(w, strip.Height, clBtnFace);
  for (int y = 0; y < strip.Height; ++y)
    for (int x = 0; x < w; ++x) {
      const int sx = slot * w + x;
      if (sx < strip.Width) out.At(x, y) = strip.At(sx, y);
    }
  return out;
}

TPixelImage DisabledGlyphImage(const TPixelImage& strip, int numGlyphs, TColor transparent,
                               TColor face, TColor highlight, TColor shadow) {
  transparent = ColorToRGB(transparent);
  face = ColorToRGB(face);
  highlight = ColorToRGB(highlight);
  shadow = ColorToRGB(shadow);
  if (numGlyphs > 1) {
    TPixelImage image = CutSlot(strip, 1, numGlyphs);
    for (TColor& p : image.Pixels) {
      if (p == vcl::clWhite) p = highlight;
      else if (p == vcl::clGray) p = shadow;
      else if (p == transparent) p = face;
    }
    return image;
  }
  const TPixelImage source = CutSlot(strip, 0, 1);
  TPixelImage image(source.Width, source.Height, face);
  for (int pass = 0; pass < 2; ++pass) {
    const int d = pass == 0 ? 1 : 0;
    const TColor ink = pass == 0 ? highlight : shadow;
    for (int y = 0; y < source.Height; ++y)
      for (int x = 0; x < source.Width; ++x)
        if (source.At(x, y) != transparent && x + d < image.Width && y + d < image.Height)
          image.At(x + d, y + d) = ink;
  }
  return image;
}

void RecolorPixels(TPixelImage& image, TColor face, TColor text) {
  face = ColorToRGB(face);
  text = ColorToRGB(text);
  for (TColor& p : image.Pixels) p = (p & 0xFFFFFF) == 0 ? text : face;
}

// ------------------------------------------------------------ glyph cache

namespace {
int gLiveLists = 0;
TGlyphCache* gCache = nullptr;
}  // namespace

#ifndef _WIN32
TGlyphList::TGlyphList(int width, int height) : width_(width), height_(height) { ++gLiveLists; }
TGlyphList::~TGlyphList() { --gLiveLists; }
#endif

int TGlyphList::LiveLists() { return gLiveLists; }

int TGlyphList::AllocateIndex() {
  auto it = std::find(used_.begin(), used_.end(), false);
  const int index = static_cast<int>(it - used_.begin());
  if (it == used_.end()) used_.push_back(true);
  else *it = true;
  ++count_;
  return index;
}

void TGlyphList::Delete(int index) {
  if (index < 0 || index >= Capacity() || !used_[static_cast<size_t>(index)]) return;
  used_[static_cast<size_t>(index)] = false;
  --count_;
}

TGlyphCache::~TGlyphCache() {
  for (TGlyphList* list : lists_) delete list;
}

TGlyphList* TGlyphCache::GetList(int width, int height) {
  for (auto it = lists_.rbegin(); it != lists_.rend(); ++it)
    if ((*it)->Width() == width && (*it)->Height() == height) return *it;
  lists_.push_back(new TGlyphList(width, height));
  return lists_.back();
}

void TGlyphCache::ReturnList(TGlyphList* list) {
  if (!list || list->Count() != 0) return;
  auto it = std::find(lists_.begin(), lists_.end(), list);
  if (it == lists_.end()) return;
  lists_.erase(it);
  delete list;
}

TGlyphCache* CurrentGlyphCache() { return gCache; }

TGlyphCache& GlyphCache() {
  if (!gCache) gCache = new TGlyphCache();
  return *gCache;
}

void ReleaseGlyphCacheIfEmpty() {
  if (gCache && gCache->Empty()) {
    delete gCache;
    gCache = nullptr;
  }
}

void TGlyphSlots::Reset() {
  for (int& i : indexes_) i = -1;
}

void TGlyphSlots::Invalidate() {
  if (list_) {
    for (int& i : indexes_)
      if (i != -1) list_->Delete(i);
    if (gCache) gCache->ReturnList(list_);
  }
  list_ = nullptr;
  Reset();
}

TGlyphList& TGlyphSlots::List(int width, int height) {
  if (!list_) list_ = GlyphCache().GetList(width, height);
  return *list_;
}
}  // namespace quillfen::widgets

#ifdef _WIN32

#include "GdiCanvas.h"

namespace quillfen::widgets {

namespace {

int gLiveGlyphs = 0;

// A 24-bit top-down DIB section and a pointer to its rows.
HBITMAP CreateDib24(int width, int height, unsigned char** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* memory = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
  if (!bitmap) throw vcl::EOutOfResources("Out of system resources: glyph bitmap");
  *bits = static_cast<unsigned char*>(memory);
  return bitmap;
}

int Stride24(int width) { return ((width * 3 + 3) / 4) * 4; }

}  // namespace

TPixelImage ReadPixels(vcl::TBitmap& source) {
  if (source.Empty()) return {};
  const int w = source.Width(), h = source.Height();
  unsigned char* bits = nullptr;
  vcl::TGdiObject copy(CreateDib24(w, h, &bits));
  {
    vcl::TWindowDC screen(nullptr);
    vcl::TMemoryDC to(screen.get());
    vcl::TSelectGuard into(to.get(), copy.get());
    // The bitmap stays selected in its own DC; copy from there.
    ::BitBlt(to.get(), 0, 0, w, h, source.Canvas().Handle(), 0, 0, SRCCOPY);
    ::GdiFlush();
  }
  TPixelImage image(w, h, vcl::clBlack);
  for (int y = 0; y < h; ++y) {
    const unsigned char* row = bits + static_cast<size_t>(y) * Stride24(w);
    for (int x = 0; x < w; ++x)
      image.At(x, y) = vcl::RGBColor(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]);
  }
  return image;
}

HBITMAP CreateBitmapOf(const TPixelImage& image) {
  unsigned char* bits = nullptr;
  HBITMAP bitmap = CreateDib24(image.Width, image.Height, &bits);
  for (int y = 0; y < image.Height; ++y) {
    unsigned char* row = bits + static_cast<size_t>(y) * Stride24(image.Width);
    for (int x = 0; x < image.Width; ++x) {
      const TColor c = image.At(x, y);
      row[x * 3] = static_cast<unsigned char>(vcl::BlueOf(c));
      row[x * 3 + 1] = static_cast<unsigned char>(vcl::GreenOf(c));
      row[x * 3 + 2] = static_cast<unsigned char>(vcl::RedOf(c));
    }
  }
  return bitmap;
}

// ----------------------------------------------------------------- glyph list

TGlyphList::TGlyphList(int width, int height) : width_(width), height_(height) {
  list_ = ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, 4, 4);
  if (!list_) throw vcl::EOutOfResources("Out of system resources: image list");
  ++gLiveLists;
}

TGlyphList::~TGlyphList() {
  if (list_) ImageList_Destroy(list_);
  --gLiveLists;
}

int TGlyphList::AddMasked(const TPixelImage& source, TColor mask) {
  mask = ColorToRGB(mask);
  TPixelImage image = source;
  const int stride = ((image.Width + 15) / 16) * 2;  // CreateBitmap rows are WORD aligned
  std::vector<unsigned char> maskBits(static_cast<size_t>(stride) * image.Height, 0);
  for (int y = 0; y < image.Height; ++y)
    for (int x = 0; x < image.Width; ++x)
      if (image.At(x, y) == mask) {
        // Masked drawing ORs the image in: transparent pixels must be black.
        image.At(x, y) = vcl::clBlack;
        maskBits[static_cast<size_t>(y) * stride + x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
      }
  vcl::TGdiObject colour(CreateBitmapOf(image));
  HBITMAP monoHandle = ::CreateBitmap(image.Width, image.Height, 1, 1, maskBits.data());
  if (!monoHandle) throw vcl::EOutOfResources("Out of system resources: glyph mask");
  vcl::TGdiObject mono(monoHandle);
  const int index = AllocateIndex();
  auto* bitmap = static_cast<HBITMAP>(colour.get());
  auto* maskBitmap = static_cast<HBITMAP>(mono.get());
  const bool ok = index < ImageList_GetImageCount(list_)
                      ? ImageList_Replace(list_, index, bitmap, maskBitmap) != FALSE
                      : ImageList_Add(list_, bitmap, maskBitmap) == index;
  if (!ok) {
    Delete(index);
    return -1;
  }
  return index;
}

// --------------------------------------------------------------- button glyph

TButtonGlyph::TButtonGlyph() {
  ++gLiveGlyphs;
  original_.OnChange = [this] { GlyphChanged(); };
}

TButtonGlyph::~TButtonGlyph() {
  original_.OnChange = nullptr;
  slots_.Invalidate();
  --gLiveGlyphs;
  ReleaseGlyphCacheIfEmpty();
}

int TButtonGlyph::LiveGlyphs() { return gLiveGlyphs; }

void TButtonGlyph::Invalidate() { slots_.Invalidate(); }

void TButtonGlyph::GlyphChanged() {
  if (updating_) return;
  Invalidate();
  if (!original_.Empty()) transparentColor_ = original_.Pixel(0, original_.Height() - 1);
  if (OnChange) OnChange();
}

namespace {
// A palette of a DIB section's colour table (8 bits per pixel or fewer), else null.
HPALETTE PaletteOf(vcl::TBitmap& bitmap) {
  DIBSECTION dib{};
  if (!bitmap.Handle() || ::GetObjectA(bitmap.Handle(), sizeof dib, &dib) != sizeof dib ||
      dib.dsBmih.biBitCount > 8)
    return nullptr;
  RGBQUAD table[256];
  // The bitmap stays selected in its own DC; a second DC could not take it.
  const UINT count = ::GetDIBColorTable(bitmap.Canvas().Handle(), 0, 256, table);
  if (count == 0) return nullptr;
  struct {
    WORD Version;
    WORD Count;
    PALETTEENTRY Entries[256];
  } palette{0x300, static_cast<WORD>(count), {}};
  for (UINT i = 0; i < count; ++i)
    palette.Entries[i] = {table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
  return ::CreatePalette(reinterpret_cast<const LOGPALETTE*>(&palette));
}
}  // namespace

void TButtonGlyph::SetGlyph(const vcl::TBitmap& value) {
  Invalidate();
  updating_ = true;
  try {
    original_.Assign(value);
  } catch (...) {
    updating_ = false;
    throw;
  }
  updating_ = false;
  palette_.reset(PaletteOf(const_cast<vcl::TBitmap&>(value)));
  if (!original_.Empty()) {
    if (const int n = NumGlyphsForStrip(original_.Width(), original_.Height())) numGlyphs_ = n;
    transparentColor_ = original_.Pixel(0, original_.Height() - 1);
  }
  if (OnChange) OnChange();
}

void TButtonGlyph::SetNumGlyphs(int value) {
  value = std::clamp(value, 1, 4);
  if (value == numGlyphs_) return;
  Invalidate();
  numGlyphs_ = value;
  if (OnChange) OnChange();
}

int TButtonGlyph::CreateButtonGlyph(TButtonState state) {
  if (state == bsDown && numGlyphs_ < 3) state = bsUp;
  if (slots_.Index(state) != -1) return slots_.Index(state);
  if (original_.Empty()) return -1;
  const int w = original_.Width() / numGlyphs_, h = original_.Height();
  if (w <= 0 || h <= 0) return -1;
  TGlyphList& list = slots_.List(w, h);
  const TPixelImage strip = ReadPixels(original_);
  int index;
  if (state == bsDisabled) {
    index = list.AddMasked(DisabledGlyphImage(strip, numGlyphs_, transparentColor_, clBtnFace,
                                              clBtnHighlight, clBtnShadow),
                           clBtnFace);
  } else {
    index = list.AddMasked(CutSlot(strip, GlyphSlotForState(state, numGlyphs_), numGlyphs_),
                           transparentColor_);
  }
  slots_.SetIndex(state, index);
  return index;
}

TRect TButtonGlyph::Draw(TCanvas& canvas, const TRect& client, TPoint offset,
                         const std::string& caption, TButtonLayout layout, int margin,
                         int spacing, TButtonState state, unsigned biDiFlags) {
  TPoint glyphSize{0, 0};
  if (!original_.Empty()) glyphSize = {original_.Width() / numGlyphs_, original_.Height()};
  TPoint textSize{0, 0};
  if (!caption.empty()) {
    TRect bounds{0, 0, client.Width(), 0};
    canvas.DrawText(caption, bounds, vcl::dtCalcRect);
    textSize = {bounds.Width(), bounds.Height()};
  }
  const TGlyphLayout placed =
      CalcButtonLayout(client, offset, textSize, glyphSize, layout, margin, spacing);
  auto* gdi = dynamic_cast<vcl::TGdiCanvas*>(&canvas);
  if (gdi && glyphSize.X > 0) {
    const int index = CreateButtonGlyph(state);
    if (index != -1 && slots_.CurrentList())
      ImageList_DrawEx(slots_.CurrentList()->Handle(), index, gdi->Handle(), placed.GlyphPos.X,
                       placed.GlyphPos.Y, 0, 0, CLR_NONE, CLR_NONE, ILD_TRANSPARENT);
  }
  TRect text = placed.TextBounds;
  if (!caption.empty()) {
    canvas.Brush.Style = vcl::TBrushStyle::bsClear;
    const unsigned format = vcl::dtCenter | vcl::dtVCenter | biDiFlags;
    if (state == bsDisabled) DrawEmbossedText(canvas, caption, text, format);
    else canvas.DrawText(caption, text, format);
  }
  return text;
}

}  // namespace quillfen::widgets

#endif
