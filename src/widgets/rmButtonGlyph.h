// TButtonGlyph: the glyph strip of a speed button, the image of each button
// state built from it, and the image lists those images live in, one list
// per image size shared by every glyph of that size (TGlyphCache).
//
// The glyph layout, the images as pixel arrays and the cache bookkeeping
// are portable; the image lists and the drawing are Win32.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "Canvas.h"
#include "Classes.h"
#include "Colors.h"
#include "Types.h"

#ifdef _WIN32
#include "Graphics.h"
#include <commctrl.h>
#endif

namespace quillfen::widgets {

using vcl::TCanvas;
using vcl::TColor;
using vcl::TPoint;
using vcl::TRect;

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TButtonState { bsUp = 0, bsDisabled = 1, bsDown = 2, bsExclusive = 3, bsMenuDown = 4 };
constexpr int kButtonStateCount = 5;


// Draws text twice, in clBtnHighlight one pixel down-right and clBtnShadow
// over it, with a clear brush; rect grows by one pixel right and down. With
// dtCalcRect in format it only measures.
void DrawEmbossedText(TCanvas& canvas, const std::string& text, TRect& rect, unsigned format);

// ----------------------------------------------------------- glyph layout

struct TGlyphLayout {
  TPoint GlyphPos;
  TRect TextBounds;
};

// Places glyph and caption in client: glyph left/right of the text or
// above/below it, centred on the other axis; margin and spacing of -1 centre.
TGlyphLayout CalcButtonLayout(const TRect& client, TPoint offset, TPoint textSize,
                              TPoint glyphSize, TButtonLayout layout, int margin, int spacing);

// NumGlyphs a newly assigned strip implies, or 0 to keep the current value.
int NumGlyphsForStrip(int width, int height);
// The strip slot an image of state is cut from.
int GlyphSlotForState(TButtonState state, int numGlyphs);

// ---------------------------------------------------------- pixel images

struct TPixelImage {
  int Width = 0;
  int Height = 0;
  std::vector<TColor> Pixels;  // RGB, rows top to bottom
  TPixelImage() = default;
  TPixelImage(int width, int height, TColor fill)
      : Width(width), Height(height), Pixels(static_cast<size_t>(width) * height, fill) {}
  TColor& At(int x, int y) { return Pixels[static_cast<size_t>(y) * Width + x]; }
  TColor At(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
  friend bool operator==(const TPixelImage&, const TPixelImage&) = default;
};

// One slot of a strip of numGlyphs images.
TPixelImage CutSlot(const TPixelImage& strip, int slot, int numGlyphs);
// The image of the disabled state, on face: a single image is embossed from
// its non-transparent pixels; a strip's slot 1 has white turned to highlight,
// grey to shadow and the transparent colour to face.
TPixelImage DisabledGlyphImage(const TPixelImage& strip, int numGlyphs, TColor transparent,
                               TColor face, TColor highlight, TColor shadow);
// Every pure black pixel becomes text, every other pixel face (RGB values).
void RecolorPixels(TPixelImage& image, TColor face, TColor text);

// ------------------------------------------------------------ glyph cache

// The slot bookkeeping of one image list of a fixed image size.
class TGlyphList {
 public:
  TGlyphList(int width, int height);
  ~TGlyphList();
  TGlyphList(const TGlyphList&) = delete;
  TGlyphList& operator=(const TGlyphList&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  // The lowest free slot, marked used; the list grows when none is free.
  int AllocateIndex();
  void Delete(int index);
  int Count() const { return count_; }       // used slots
  int Capacity() const { return static_cast<int>(used_.size()); }
  static int LiveLists();

#ifdef _WIN32
  // Stores image in a free slot; pixels equal to mask are transparent.
  int AddMasked(const TPixelImage& image, TColor mask);
  HIMAGELIST Handle() const { return list_; }
#endif

 private:
  int width_;
  int height_;
  std::vector<bool> used_;
  int count_ = 0;
#ifdef _WIN32
  HIMAGELIST list_ = nullptr;
#endif
};

// Hands out the glyph list of one image size, shared by all glyphs of that size.
class TGlyphCache {
 public:
  TGlyphCache() = default;
  ~TGlyphCache();
  TGlyphCache(const TGlyphCache&) = delete;
  TGlyphCache& operator=(const TGlyphCache&) = delete;
  TGlyphList* GetList(int width, int height);
  // A list without used slots leaves the cache and is freed.
  void ReturnList(TGlyphList* list);
  bool Empty() const { return lists_.empty(); }
  int ListCount() const { return static_cast<int>(lists_.size()); }

 private:
  std::vector<TGlyphList*> lists_;
};

// The module-wide cache: created on first need, freed with the last glyph
// once it is empty. Null when there is none.
TGlyphCache* CurrentGlyphCache();
TGlyphCache& GlyphCache();
void ReleaseGlyphCacheIfEmpty();

// The image indexes of one glyph in its borrowed list.
class TGlyphSlots {
 public:
  TGlyphSlots() { Reset(); }
  ~TGlyphSlots() { Invalidate(); }
  TGlyphSlots(const TGlyphSlots&) = delete;
  TGlyphSlots& operator=(const TGlyphSlots&) = delete;
  // Gives every built image back; the list returns to the cache.
  void Invalidate();
  // The list for images of this size, borrowed from the cache on first use.
  TGlyphList& List(int width, int height);
  TGlyphList* CurrentList() const { return list_; }
  int Index(TButtonState state) const { return indexes_[state]; }
  void SetIndex(TButtonState state, int index) { indexes_[state] = index; }

 private:
  void Reset();
  TGlyphList* list_ = nullptr;
  int indexes_[kButtonStateCount];
};

#ifdef _WIN32

// Pixels of a bitmap, and a new 24-bit DIB section holding pixels (the caller owns it).
TPixelImage ReadPixels(vcl::TBitmap& bitmap);
HBITMAP CreateBitmapOf(const TPixelImage& image);

class TButtonGlyph : public vcl::TObject {
 public:
  TButtonGlyph();
  ~TButtonGlyph() override;
  std::string ClassName() const override { return "TButtonGlyph"; }

  vcl::TBitmap& Glyph() { return original_; }
  void SetGlyph(const vcl::TBitmap& value);
  int NumGlyphs() const { return numGlyphs_; }
  void SetNumGlyphs(int value);
  TColor TransparentColor() const { return transparentColor_; }
  // Drops every built image (system colours changed, new bitmap).
  void Invalidate();
  // Builds the image of state if it is not built yet; its list index or -1.
  int CreateButtonGlyph(TButtonState state);
  TGlyphSlots& Slots() { return slots_; }
  static int LiveGlyphs();

  // The palette of the assigned bitmap's colour table; null for a bitmap
  // without one (true colour).
  HPALETTE Palette() const { return static_cast<HPALETTE>(palette_.get()); }

  // Lays out and draws glyph and caption into client; returns the text bounds.
  // biDiFlags (dtRtlReading) are added to the caption's DrawText format.
  TRect Draw(TCanvas& canvas, const TRect& client, TPoint offset, const std::string& caption,
             TButtonLayout layout, int margin, int spacing, TButtonState state,
             unsigned biDiFlags = 0);

  std::function<void()> OnChange;

 private:
  void GlyphChanged();
  vcl::TBitmap original_;
  vcl::TGdiObject palette_;
  TGlyphSlots slots_;
  TColor transparentColor_ = vcl::clOlive;
  int numGlyphs_ = 1;
  bool updating_ = false;
};

#endif

}  // namespace quillfen::widgets
