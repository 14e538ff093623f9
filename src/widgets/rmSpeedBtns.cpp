#include "rmSpeedBtns.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

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

void DrawMenuArrowShape(TCanvas& canvas, const TRect& rect, int fontHeight, bool disabled) {
  const int rows = std::max(2, (std::abs(fontHeight) + 2) / 3);
  const int width = 2 * rows - 1;
  const int left = rect.Left + (rect.Width() - width) / 2;
  const int top = rect.Top + (rect.Height() - rows) / 2;
  auto triangle = [&](int dx, int dy, TColor color) {
    canvas.Pen.Style = vcl::TPenStyle::psSolid;
    canvas.Pen.Width = 1;
    canvas.Pen.Color = color;
    for (int i = 0; i < rows; ++i) {
      canvas.MoveTo(left + dx + i, top + dy + i);
      canvas.LineTo(left + dx + width - i, top + dy + i);
    }
  };
  if (disabled) {
    triangle(1, 1, clBtnHighlight);
    triangle(0, 0, clBtnShadow);
  } else {
    triangle(0, 0, vcl::clBtnText);
  }
}

bool IsMenuArrowFace(const std::string& matchedFace) {
  const std::string wanted = kMenuArrowFont;
  if (matchedFace.size() != wanted.size()) return false;
  for (size_t i = 0; i < wanted.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(matchedFace[i])) !=
        std::tolower(static_cast<unsigned char>(wanted[i])))
      return false;
  return true;
}

bool IsAccel(char key, const std::string& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {  // "&&" is a literal ampersand
      ++i;
      continue;
    }
    return std::toupper(static_cast<unsigned char>(caption[i + 1])) ==
           std::toupper(static_cast<unsigned char>(key));
  }
  return false;
}

// ------------------------------------------------------------ state machine

TButtonAction TSpeedButtonModel::SetDown(bool value) {
  TButtonAction a;
  if (groupIndex_ == 0 || style_ == sbsMenu) value = false;
  if (value == down_) return a;
  if (down_ && !allowAllUp_) return a;
  down_ = value;
  if (value) {
    if (State == bsUp) a.Invalidate = true;
    State = bsExclusive;
    a.BroadcastGroup = true;
  } else {
    State = bsUp;
    a.Repaint = true;
  }
  return a;
}

TButtonAction TSpeedButtonModel::SetGroupIndex(int value) {
  TButtonAction a;
  if (style_ == sbsComboButton || style_ == sbsMenu) value = 0;
  if (value == groupIndex_) return a;
  groupIndex_ = value;
  a.BroadcastGroup = true;
  return a;
}

TButtonAction TSpeedButtonModel::SetAllowAllUp(bool value) {
  TButtonAction a;
  if (style_ == sbsComboButton || style_ == sbsMenu) value = false;
  if (value == allowAllUp_) return a;
  allowAllUp_ = value;
  a.BroadcastGroup = true;
  return a;
}

TButtonAction TSpeedButtonModel::SetFlat(bool value) {
  TButtonAction a;
  if (style_ == sbsComboButton) value = false;
  if (value == flat_) return a;
  flat_ = value;
  a.Invalidate = true;
  return a;
}

TButtonAction TSpeedButtonModel::SetTransparent(bool value) {
  TButtonAction a;
  if (style_ == sbsComboButton) value = false;
  if (value == transparent_) return a;
  transparent_ = value;
  a.Invalidate = true;
  return a;
}

TButtonAction TSpeedButtonModel::SetStyle(TrmSpeedButtonStyle value) {
  TButtonAction a;
  if (value == style_) return a;
  style_ = value;
  if (value == sbsComboButton) {
    flat_ = false;
    transparent_ = false;
    groupIndex_ = 0;
    allowAllUp_ = false;
  } else if (value == sbsMenu) {
    groupIndex_ = 0;
    down_ = false;
    allowAllUp_ = false;
    if (State == bsExclusive) State = bsUp;
  }
  a.Repaint = true;
  return a;
}

TButtonAction TSpeedButtonModel::SetMenuButtonWidth(int value) {
  TButtonAction a;
  if (value == menuButtonWidth_) return a;
  menuButtonWidth_ = value;
  a.Invalidate = true;
  return a;
}

TButtonAction TSpeedButtonModel::SetMargin(int value) {
  TButtonAction a;
  if (value == margin_ || value < -1) return a;
  margin_ = value;
  a.Invalidate = true;
  return a;
}

TButtonAction TSpeedButtonModel::SetSpacing(int value) {
  TButtonAction a;
  if (value == spacing_) return a;
  spacing_ = value;
  a.Invalidate = true;
  return a;
}

TButtonAction TSpeedButtonModel::ButtonPressed(int group, bool senderDown, bool senderAllowAllUp) {
  TButtonAction a;
  if (group != groupIndex_ || groupIndex_ == 0) return a;
  if (senderDown && down_) {
    down_ = false;
    State = bsUp;
    a.Invalidate = true;
  }
  allowAllUp_ = senderAllowAllUp;
  return a;
}

TButtonAction TSpeedButtonModel::MouseDown(bool enabled, int x, int /*y*/, int clientWidth) {
  TButtonAction a;
  if (!enabled) return a;
  if (style_ == sbsMenu) {
    MenuPressed = x >= clientWidth - menuButtonWidth_;
    State = MenuPressed ? bsMenuDown : bsDown;
    a.Invalidate = true;
  } else if (!down_) {
    State = bsDown;
    a.Invalidate = true;
  }
  Dragging = true;
  return a;
}

namespace {
TButtonState Comparable(TButtonState s) { return s == bsMenuDown ? bsDown : s; }
}  // namespace

TButtonAction TSpeedButtonModel::MouseMove(int x, int y, int clientWidth, int clientHeight) {
  TButtonAction a;
  if (!Dragging) {
    a.UpdateTracking = !Hot;
    return a;
  }
  TButtonState next;
  if (style_ == sbsMenu) {
    const bool inside = x >= 0 && x < clientWidth && y >= 0 && y < clientHeight;
    const bool inMenu = x >= clientWidth - menuButtonWidth_;
    if (!inside) next = bsUp;
    else if (!inMenu) next = MenuPressed ? bsUp : bsDown;
    else next = MenuPressed ? bsMenuDown : bsDown;
  } else {
    const bool inside = x >= 0 && x < clientWidth && y >= 0 && y <= clientHeight;
    if (down_) next = bsExclusive;
    else next = inside ? bsDown : bsUp;
  }
  if (Comparable(next) != Comparable(State)) a.Invalidate = true;
  State = next;
  return a;
}

TButtonAction TSpeedButtonModel::MouseUp(int x, int y, int clientWidth, int clientHeight) {
  TButtonAction a;
  if (!Dragging) return a;
  Dragging = false;
  if (style_ == sbsMenu) {
    const bool inside = x >= 0 && x < clientWidth && y >= 0 && y < clientHeight;
    const bool inMenu = inside && x >= clientWidth - menuButtonWidth_;
    a.Click = inside && !MenuPressed;
    a.PopupMenu = inMenu && MenuPressed;
    State = bsUp;
    MenuPressed = false;
    Hot = false;
    a.Invalidate = a.Click || a.PopupMenu;
    return a;
  }
  const bool inside = x >= 0 && x < clientWidth && y >= 0 && y <= clientHeight;
  if (groupIndex_ == 0) {
    State = bsUp;
    Hot = false;
    a.Invalidate = inside;
  } else if (inside) {
    const TButtonAction d = SetDown(!down_);
    a.Invalidate = d.Invalidate;
    a.BroadcastGroup = d.BroadcastGroup;
    a.Repaint = d.Repaint || down_;
  } else {
    if (down_) State = bsExclusive;
    a.Repaint = true;
  }
  a.Click = inside;
  a.UpdateTracking = true;
  return a;
}

void TSpeedButtonModel::SyncEnabled(bool enabled) {
  if (!enabled) {
    State = bsDisabled;
    Dragging = false;
    return;
  }
  if (State == bsDisabled) State = down_ && groupIndex_ != 0 ? bsExclusive : bsUp;
}

// ---------------------------------------------------------------- face plan

namespace {
TRect Shrunk(TRect r, int d) { return vcl::InflateRect(r, -d, -d); }
}  // namespace

TFacePlan PlanFace(const TFaceInput& in) {
  const TSpeedButtonModel& m = *in.Model;
  TFacePlan plan;
  const TButtonState state = m.State;
  const bool hotFace = m.Hot && state != bsDisabled;
  TRect r{0, 0, in.Width, in.Height};
  switch (m.Style()) {
    case sbsNormal:
    case sbsComboButton: {
      const bool pressed = m.Pressed();
      if (!m.Flat()) {
        if (m.Style() == sbsNormal) {
          plan.Steps.push_back({TFaceStepKind::FrameControl, r,
                                kDfcsButtonPush | kDfcsAdjustRect | (pressed ? kDfcsPushed : 0u)});
          r = Shrunk(r, 2);
        } else {
          if (pressed) {
            plan.Steps.push_back({TFaceStepKind::FrameRect, r, 0, 0, clBtnShadow});
            r = Shrunk(r, 1);
          } else {
            plan.Steps.push_back({TFaceStepKind::Frame3D, r, 0, 0, clBtnFace, vcl::cl3DDkShadow});
            r = Shrunk(r, 1);
            plan.Steps.push_back({TFaceStepKind::Frame3D, r, 0, 0, clBtnHighlight, clBtnShadow});
            r = Shrunk(r, 1);
          }
          plan.Steps.push_back({TFaceStepKind::Fill, r, 0, 0, clBtnFace});
        }
      } else {
        if (pressed || hotFace || in.Designing) {
          plan.Steps.push_back({TFaceStepKind::Edge, r, pressed ? kBdrSunkenOuter : kBdrRaisedInner,
                                kBfRect | (m.Transparent() ? 0u : kBfMiddle)});
        } else if (!m.Transparent()) {
          plan.Steps.push_back({TFaceStepKind::Fill, r, 0, 0, in.Color});
        }
        plan.Steps.push_back({TFaceStepKind::Shrink, r});
        r = Shrunk(r, 1);
      }
      if (state == bsExclusive && (!m.Flat() || !m.Hot))
        plan.Steps.push_back({TFaceStepKind::Pattern, r, 0, 0, clBtnHighlight, clBtnFace});
      if (pressed && m.Style() == sbsNormal) plan.Offset = {1, 1};
      else if (!pressed && m.Style() == sbsComboButton) plan.Offset = {-1, -1};
      plan.Content = r;
      return plan;
    }
    case sbsMenu: {
      plan.Split = true;
      const int mainWidth = in.Width - m.MenuButtonWidth();
      TRect mainPart{0, 0, mainWidth, in.Height};
      TRect menuPart{mainWidth, 0, in.Width, in.Height};
      const bool down = state == bsDown;
      const bool menuDown = state == bsDown || state == bsMenuDown;
      if (m.Flat()) {
        const unsigned middle = m.Transparent() ? 0u : kBfMiddle;
        if (menuDown || hotFace || in.Designing) {
          plan.Steps.push_back({TFaceStepKind::Edge, mainPart,
                                down ? kBdrSunkenOuter : kBdrRaisedInner, kBfRect | middle});
          plan.Steps.push_back({TFaceStepKind::Edge, menuPart,
                                menuDown ? kBdrSunkenOuter : kBdrRaisedInner, kBfRect | middle});
        } else if (!m.Transparent()) {
          plan.Steps.push_back({TFaceStepKind::Fill, mainPart, 0, 0, in.Color});
          plan.Steps.push_back({TFaceStepKind::Fill, menuPart, 0, 0, in.Color});
        }
      } else {
        plan.Steps.push_back({TFaceStepKind::FrameControl, mainPart,
                              kDfcsButtonPush | (down ? kDfcsPushed : 0u)});
        plan.Steps.push_back({TFaceStepKind::FrameControl, menuPart,
                              kDfcsButtonPush | (menuDown ? kDfcsPushed : 0u)});
      }
      if (down) plan.Offset = {1, 1};
      plan.Content = mainPart;
      TRect arrow = Shrunk(menuPart, 1);
      if (menuDown) {
        arrow.Bottom += 1;
        if (m.Flat()) {
          arrow.Left += 1;
          arrow.Right += 1;
        }
      } else if (!m.Flat()) {
        arrow.Left -= 1;
      }
      plan.MenuArrow = arrow;
      return plan;
    }
  }
  throw vcl::Exception("Unknown button style.");
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
int gButtonCount = 0;

COLORREF Ref(TColor color) { return static_cast<COLORREF>(ColorToRGB(color)) & 0xFFFFFF; }

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
                         int spacing, TButtonState state, bool /*transparent*/) {
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
    const unsigned format = vcl::dtCenter | vcl::dtVCenter;
    if (state == bsDisabled) DrawEmbossedText(canvas, caption, text, format);
    else canvas.DrawText(caption, text, format);
  }
  return text;
}

// -------------------------------------------------------------- speed button

TrmCustomSpeedButton::TrmCustomSpeedButton(vcl::TComponent* owner) : TGraphicControl(owner) {
  SetBounds(0, 0, 23, 22);
  ControlStyle = vcl::csCaptureMouse | vcl::csDoubleClicks;
  SetParentFont(true);
  SetColor(clBtnFace);
  glyph_.OnChange = [this] { Invalidate(); };
  ++gButtonCount;
}

TrmCustomSpeedButton::~TrmCustomSpeedButton() {
  glyph_.OnChange = nullptr;
  --gButtonCount;
}

int TrmCustomSpeedButton::ButtonCount() { return gButtonCount; }

void TrmCustomSpeedButton::SetTransparent(bool value) {
  Apply(model_.SetTransparent(value));
  if (model_.Transparent()) ControlStyle &= ~static_cast<unsigned>(vcl::csOpaque);
  else ControlStyle |= vcl::csOpaque;
}

void TrmCustomSpeedButton::SetLayout(TButtonLayout value) {
  if (value == layout_) return;
  layout_ = value;
  Invalidate();
}

void TrmCustomSpeedButton::Click() { TGraphicControl::Click(); }

void TrmCustomSpeedButton::Loaded() {
  TGraphicControl::Loaded();
  glyph_.CreateButtonGlyph(Enabled() ? bsUp : bsDisabled);
  UpdateTracking();
  Invalidate();
}

void TrmCustomSpeedButton::Apply(const TButtonAction& action) {
  if (action.BroadcastGroup && model_.GroupIndex() != 0 && Parent())
    Parent()->Broadcast(vcl::CM_BUTTONPRESSED, static_cast<WPARAM>(model_.GroupIndex()),
                        reinterpret_cast<LPARAM>(static_cast<vcl::TControl*>(this)));
  if (action.Repaint) {
    Invalidate();
    Update();
  } else if (action.Invalidate) {
    Invalidate();
  }
}

void TrmCustomSpeedButton::UpdateTracking() {
  if (!model_.Flat() || !Enabled() || !Parent() || !Parent()->HandleAllocated()) return;
  POINT p{};
  ::GetCursorPos(&p);
  ::ScreenToClient(Parent()->Handle(), &p);
  // Set the opposite, so that the notice below finds something to change.
  model_.Hot = Parent()->ControlAtPos({p.x, p.y}) != this;
  Perform(model_.Hot ? vcl::CM_MOUSELEAVE : vcl::CM_MOUSEENTER);
}

void TrmCustomSpeedButton::PopupDropDown(TPoint screen) {
  if (!dropDownMenu_ || !Parent()) return;
  ::TrackPopupMenu(dropDownMenu_, TPM_LEFTALIGN | TPM_TOPALIGN, screen.X, screen.Y, 0,
                   Parent()->Handle(), nullptr);
}

void TrmCustomSpeedButton::WndProc(vcl::TMessage& m) {
  const int x = static_cast<short>(LOWORD(m.LParam));
  const int y = static_cast<short>(HIWORD(m.LParam));
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
      Apply(model_.MouseDown(Enabled(), x, y, ClientWidth()));
      return;
    case WM_LBUTTONDBLCLK:
      Apply(model_.MouseDown(Enabled(), x, y, ClientWidth()));
      if (model_.Down() && OnDblClick) OnDblClick(this);
      return;
    case WM_MOUSEMOVE: {
      TButtonAction a = model_.MouseMove(x, y, ClientWidth(), ClientHeight());
      Apply(a);
      if (a.UpdateTracking) UpdateTracking();
      return;
    }
    case WM_LBUTTONUP: {
      const TButtonAction a = model_.MouseUp(x, y, ClientWidth(), ClientHeight());
      Apply(a);
      if (a.PopupMenu && Parent()) {
        POINT corner{Left(), Top() + Height()};
        ::ClientToScreen(Parent()->Handle(), &corner);
        PopupDropDown({corner.x, corner.y});
      }
      if (a.Click) Click();
      if (a.UpdateTracking) UpdateTracking();
      return;
    }
    case vcl::CM_ENABLEDCHANGED:
      glyph_.CreateButtonGlyph(Enabled() ? bsUp : bsDisabled);
      UpdateTracking();
      Apply({.Repaint = true});
      return;
    case vcl::CM_BUTTONPRESSED: {
      auto* sender = dynamic_cast<TrmCustomSpeedButton*>(reinterpret_cast<vcl::TControl*>(m.LParam));
      if (sender && sender != this)
        Apply(model_.ButtonPressed(static_cast<int>(m.WParam), sender->Down(), sender->AllowAllUp()));
      return;
    }
    case vcl::CM_DIALOGCHAR:
      if (IsAccel(static_cast<char>(m.WParam), Caption()) && Enabled() && Visible() && Parent() &&
          Parent()->Showing()) {
        Click();
        m.Result = 1;
      }
      return;
    case vcl::CM_FONTCHANGED:
    case vcl::CM_TEXTCHANGED: Invalidate(); return;
    case vcl::CM_SYSCOLORCHANGE:
      glyph_.Invalidate();
      glyph_.CreateButtonGlyph(model_.State);
      Invalidate();
      return;
    case vcl::CM_MOUSEENTER:
      if (model_.Flat() && !model_.Hot && Enabled() && !::GetCapture()) {
        model_.Hot = true;
        Apply({.Repaint = true});
      }
      return;
    case vcl::CM_MOUSELEAVE:
      if (model_.Flat() && model_.Hot && Enabled() && !model_.Dragging) {
        model_.Hot = false;
        Invalidate();
      }
      return;
    default: TGraphicControl::WndProc(m);
  }
}

void TrmCustomSpeedButton::Paint(TCanvas& canvas) {
  model_.SyncEnabled(Enabled());
  const TFacePlan plan = PlanFace({&model_, Width(), Height(), IsDesigning(), Color()});
  canvas.Font = Font().State();
  PaintFace(canvas, plan);
  PaintContent(canvas, plan);
}

void TrmCustomSpeedButton::PaintFace(TCanvas& canvas, const TFacePlan& plan) {
  auto* gdi = dynamic_cast<vcl::TGdiCanvas*>(&canvas);
  for (const TFaceStep& step : plan.Steps) {
    RECT r{step.Rect.Left, step.Rect.Top, step.Rect.Right, step.Rect.Bottom};
    switch (step.Kind) {
      case TFaceStepKind::FrameControl:
        if (gdi) ::DrawFrameControl(gdi->Handle(), &r, DFC_BUTTON, step.Flags);
        break;
      case TFaceStepKind::Edge:
        if (gdi) ::DrawEdge(gdi->Handle(), &r, step.Flags, step.Flags2);
        break;
      case TFaceStepKind::Frame3D: {
        const TRect& q = step.Rect;
        canvas.Pen = {step.Color1, 1, vcl::TPenStyle::psSolid};
        canvas.Polyline({{q.Left, q.Bottom - 1}, {q.Left, q.Top}, {q.Right - 1, q.Top}});
        canvas.Pen.Color = step.Color2;
        canvas.Polyline({{q.Right - 1, q.Top}, {q.Right - 1, q.Bottom - 1}, {q.Left - 1, q.Bottom - 1}});
        break;
      }
      case TFaceStepKind::FrameRect:
        canvas.Brush.Style = vcl::TBrushStyle::bsSolid;
        canvas.Brush.Color = step.Color1;
        canvas.FrameRect(step.Rect);
        break;
      case TFaceStepKind::Fill:
        canvas.Brush.Style = vcl::TBrushStyle::bsSolid;
        canvas.Brush.Color = step.Color1;
        canvas.FillRect(step.Rect);
        break;
      case TFaceStepKind::Pattern:
        canvas.Brush.Style = vcl::TBrushStyle::bsPattern;
        canvas.Brush.Color = step.Color1;
        canvas.Brush.PatternBackColor = step.Color2;
        canvas.FillRect(step.Rect);
        canvas.Brush.Style = vcl::TBrushStyle::bsSolid;
        break;
      case TFaceStepKind::Shrink: break;
    }
  }
}

void TrmCustomSpeedButton::PaintContent(TCanvas& canvas, const TFacePlan& plan) {
  if (!plan.Split) {
    glyph_.Draw(canvas, plan.Content, plan.Offset, Caption(), layout_, model_.Margin(),
                model_.Spacing(), model_.State, model_.Transparent());
    return;
  }
  const int mainWidth = plan.Content.Width();
  auto* gdi = dynamic_cast<vcl::TGdiCanvas*>(&canvas);
  if (gdi && mainWidth > 2 && Height() > 2) {
    const COLORREF key = (Ref(Font().Color()) + 0x010101) & 0xFFFFFF;
    std::unique_ptr<TCanvas> buffer = canvas.CreateBuffer(mainWidth, Height());
    buffer->Font = canvas.Font;
    buffer->Brush.Style = vcl::TBrushStyle::bsSolid;
    buffer->Brush.Color = static_cast<TColor>(key);
    buffer->FillRect({0, 0, mainWidth, Height()});
    glyph_.Draw(*buffer, {0, 0, mainWidth - 2, Height() - 2}, plan.Offset, Caption(), layout_,
                model_.Margin(), model_.Spacing(), model_.State, true);
    auto* source = dynamic_cast<vcl::TGdiCanvas*>(buffer.get());
    if (source)
      ::TransparentBlt(gdi->Handle(), 1, 1, mainWidth - 2, Height() - 2, source->Handle(), 0, 0,
                       mainWidth - 2, Height() - 2, key);
  }
  const vcl::TFontState savedFont = canvas.Font;
  canvas.Font.Name = kMenuArrowFont;
  canvas.Font.Charset = vcl::TFontCharset::Symbol;
  canvas.Font.Height = model_.MenuButtonWidth() - 2;
  canvas.Font.Color = vcl::clBtnText;
  canvas.Brush.Style = vcl::TBrushStyle::bsClear;
  TRect arrow = plan.MenuArrow;
  const bool disabled = model_.State == bsDisabled;
  if (!gdi || MenuArrowFontAvailable(gdi->Handle(), canvas.Font)) {
    const unsigned format = vcl::dtCenter | vcl::dtVCenter | vcl::dtSingleLine;
    if (disabled) DrawEmbossedText(canvas, "6", arrow, format);
    else canvas.DrawText("6", arrow, format);
  } else {
    DrawMenuArrowShape(canvas, arrow, canvas.Font.Height, disabled);
  }
  canvas.Font = savedFont;
}

bool TrmCustomSpeedButton::MenuArrowFontAvailable(HDC dc, const vcl::TFontState& font) {
  // Any other face would draw a plain "6": the face the system matched decides.
  char face[LF_FACESIZE] = {};
  {
    vcl::TSelectGuard selected(dc, vcl::MakeFont(font));
    ::GetTextFaceA(dc, LF_FACESIZE, face);
  }
  return IsMenuArrowFace(face);
}

}  // namespace quillfen::widgets

#endif
