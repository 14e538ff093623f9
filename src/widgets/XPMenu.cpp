// TXPMenu: properties, hooks and the painters of menus, tool bars and control bars.
#include "XPMenu.h"

#ifdef _WIN32

#include <algorithm>

#include "ChoiceCtrls.h"
#include "Forms.h"
#include "Math.h"
#include "Published.h"
#include "StdCtrls.h"

namespace quillfen::widgets {

using namespace vcl;

namespace {

// The handlers the painter installs; a handler is the painter's when its
// target is one of these with this painter.
struct TXPDrawItem {
  TXPMenu* Menu;
  void operator()(TObject* sender, TGdiCanvas& canvas, TRect rect, bool selected) const {
    Menu->DrawMenuItem(static_cast<TMenuItem*>(sender), canvas, rect, selected);
  }
};
struct TXPMeasureItem {
  TXPMenu* Menu;
  void operator()(TObject* sender, TCanvas& canvas, int& width, int& height) const {
    Menu->MeasureMenuItem(static_cast<TMenuItem*>(sender), canvas, width, height);
  }
};
struct TXPDrawButton {
  TXPMenu* Menu;
  void operator()(TToolBar* bar, TToolButton* button, TGdiCanvas& canvas, unsigned state,
                  bool& defaultDraw) const {
    Menu->DrawToolButton(bar, button, canvas, state, defaultDraw);
  }
};
struct TXPBandPaint {
  TXPMenu* Menu;
  void operator()(TObject* sender, TControl* band, TGdiCanvas& canvas, TRect& rect,
                  bool& defaultDraw) const {
    Menu->DrawControlBarBand(static_cast<TControlBar*>(sender), band, canvas, rect, defaultDraw);
  }
};

template <typename Handler, typename Event>
bool Holds(const Event& event, const TXPMenu* menu) {
  const Handler* handler = event.template target<Handler>();
  return handler && handler->Menu == menu;
}

TNearestColor NearestOf(HDC dc) {
  if (!dc) return {};
  return [dc](TColor rgb) {
    const COLORREF c = ::GetNearestColor(dc, static_cast<COLORREF>(rgb) & 0xFFFFFF);
    return c == CLR_INVALID ? rgb : static_cast<TColor>(c);
  };
}

COLORREF Ref(TColor color) { return static_cast<COLORREF>(ColorToRGB(color)) & 0xFFFFFF; }

void Fill(TCanvas& canvas, TRect r, TColor color) {
  canvas.Brush.Style = TBrushStyle::bsSolid;
  canvas.Brush.Color = color;
  canvas.FillRect(r);
}

void Line(TCanvas& canvas, std::initializer_list<TPoint> points) {
  auto it = points.begin();
  canvas.MoveTo(it->X, it->Y);
  for (++it; it != points.end(); ++it) canvas.LineTo(it->X, it->Y);
}

bool IsNtPlatform() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  return ::GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

TFontCharset CharsetOf(BYTE charset) {
  if (charset == ANSI_CHARSET) return TFontCharset::Ansi;
  if (charset == SYMBOL_CHARSET) return TFontCharset::Symbol;
  return TFontCharset::Default;
}

// Every pixel of the bitmap through convert, with the one-colour cache.
template <typename F>
void ConvertPixels(TBitmap& bitmap, F convert) {
  HDC dc = bitmap.Canvas().Handle();
  TColorCache cache;
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x) {
      const TColor pixel = static_cast<TColor>(::GetPixel(dc, x, y));
      ::SetPixel(dc, x, y, static_cast<COLORREF>(cache.Convert(pixel, convert)));
    }
}

}  // namespace

bool LoadSystemMenuFont(TFont& font) {
  NONCLIENTMETRICSA metrics{};
  constexpr UINT kClassicSize = 340;  // the record without the padded border width
  metrics.cbSize = kClassicSize;
  if (!::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kClassicSize, &metrics, 0)) return false;
  const LOGFONTA& lf = metrics.lfMenuFont;
  TFontState state = font.State();
  state.Name = lf.lfFaceName;
  state.Height = lf.lfHeight;
  state.Charset = CharsetOf(lf.lfCharSet);
  TFontStyles style = 0;
  if (lf.lfWeight >= FW_BOLD) style |= fsBold;
  if (lf.lfItalic) style |= fsItalic;
  if (lf.lfUnderline) style |= fsUnderline;
  if (lf.lfStrikeOut) style |= fsStrikeOut;
  state.Style = style;
  state.Escapement = 0;
  state.Color = clMenuText;
  font.SetState(state);
  return true;
}

// ---------------------------------------------------------------- TXPMenu

TXPMenu::TXPMenu(TComponent* owner) : TComponent(owner) {
  auto* form = dynamic_cast<TWinControl*>(owner);
  if (!form || !(form->IsForm() || form->ClassName() == "TFrame")) throw EInvalidCast();
  form_ = form;
  LoadSystemMenuFont(font_);
  settings_.SelectFontColor = font_.Color();
}

TXPMenu::~TXPMenu() {
  try {
    if (form_) HookForm(form_, false, false);
  } catch (...) {
    // Unhooking must not stop the destruction.
  }
  // A subclass must not outlive its painter, or its next message would read freed memory.
  for (TControlSubClass* sub : std::vector<TControlSubClass*>(subclasses_)) sub->Restore();
}

void TXPMenu::SetFont(const TFont& font) {
  font_.Assign(font);
  DrawMenuBar();
}

void TXPMenu::SetMenuBarColor(TColor value) {
  settings_.MenuBarColor = value;
  DrawMenuBar();
}

void TXPMenu::SetUseSystemColors(bool value) {
  settings_.UseSystemColors = value;
  DrawMenuBar();
}

void TXPMenu::SetOverrideOwnerDraw(bool value) {
  overrideOwnerDraw_ = value;
  if (active_) HookForm(form_, true, true);
}

void TXPMenu::SetActive(bool value) {
  if (value == active_) return;
  active_ = value;
  if (IsLoading()) {
    hookPending_ = true;
    return;
  }
  HookForm(form_, value, true);
  DrawMenuBar();
}

void TXPMenu::Loaded() {
  TComponent::Loaded();
  if (!hookPending_) return;
  hookPending_ = false;
  HookForm(form_, active_, true);
  DrawMenuBar();
}

void TXPMenu::SetXPContainers(TXPContainers value) {
  if (value == containers_) return;
  if (!active_) {
    containers_ = value;
    return;
  }
  active_ = false;
  HookForm(form_, false, true);
  active_ = true;
  containers_ = value;
  HookForm(form_, true, true);
  // A control left out of the new sets would otherwise keep its frame while the painter stays active.
  DropUnselected();
}

void TXPMenu::SetXPControls(TXPControls value) {
  if (value == controls_) return;
  if (!active_) {
    controls_ = value;
    return;
  }
  active_ = false;
  HookForm(form_, false, true);
  active_ = true;
  controls_ = value;
  HookForm(form_, true, true);
  // A control left out of the new sets would otherwise keep its frame while the painter stays active.
  DropUnselected();
}

void TXPMenu::DrawMenuBar() {
  if (form_ && form_->HandleAllocated() && FormMenu(form_)) ::DrawMenuBar(form_->Handle());
}

void TXPMenu::PrepareColors(HDC dc) {
  int bits = 32;
  if (dc) bits = ::GetDeviceCaps(dc, BITSPIXEL) * ::GetDeviceCaps(dc, PLANES);
  if (settings_.UseSystemColors) LoadSystemMenuFont(font_);
  colors_ = ComputeWorkingColors(settings_, bits, font_.Color(), NearestOf(dc));
}

TColor TXPMenu::Lighten(HDC dc, TColor color, int percent) const {
  return LightenColor(color, percent, NearestOf(dc));
}

void TXPMenu::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove) {
    // A control going away takes its subclass along; its WindowProc is gone already.
    for (TControlSubClass* sub : std::vector<TControlSubClass*>(subclasses_))
      if (sub->control_ == component) {
        sub->control_ = nullptr;
        delete sub;
      }
    return;
  }
  if (!active_ || !autoDetect_ || IsDesigning() || component->IsDesigning()) return;
  if (dynamic_cast<TMenuItem*>(component) || dynamic_cast<TToolButton*>(component) ||
      dynamic_cast<TControlBar*>(component))
    HookForm(form_, true, false);
}

// ---------------------------------------------------------------- hooking

void TXPMenu::HookForm(TComponent* container, bool enable, bool repaint) {
  if (!container) return;
  for (int i = 0; i < container->ComponentCount(); ++i) {
    TComponent* c = container->Components(i);
    if (auto* main = dynamic_cast<TMainMenu*>(c)) {
      if (InSet(controls_, xcMainMenu) && main->Tag != NoSkinTag) HookMenuTree(main->Items(), enable);
    } else if (auto* popup = dynamic_cast<TPopupMenu*>(c)) {
      if (InSet(controls_, xcPopupMenu)) HookMenuTree(popup->Items(), enable);
    }
    if (auto* bar = dynamic_cast<TToolBar*>(c); bar && InSet(controls_, xcToolbar) && !bar->IsDesigning()) {
      if (!bar->Flat()) bar->SetFlat(true);
      const bool ours = Holds<TXPDrawButton>(bar->OnCustomDrawButton, this);
      if (enable && !ours && (!bar->OnCustomDrawButton || overrideOwnerDraw_))
        bar->SetOnCustomDrawButton(TXPDrawButton{this});
      if (!enable && ours) bar->SetOnCustomDrawButton(nullptr);
      if (repaint) bar->Invalidate();
    }
    if (auto* bar = dynamic_cast<TControlBar*>(c);
        bar && InSet(controls_, xcControlbar) && !bar->IsDesigning()) {
      const bool ours = Holds<TXPBandPaint>(bar->OnBandPaint, this);
      if (enable && !ours && (!bar->OnBandPaint || overrideOwnerDraw_))
        bar->SetOnBandPaint(TXPBandPaint{this});
      if (!enable && ours) bar->SetOnBandPaint(nullptr);
      if (repaint) bar->Invalidate();
    }
    if (auto* control = dynamic_cast<TControl*>(c); control && !IsDesigning())
      HookControl(control, enable, repaint);
    if (c->ClassName() == "TFrame" && InSet(containers_, xccFrame)) HookForm(c, enable, repaint);
  }
}

bool TXPMenu::Selects(const TControl* control) const {
  if (control->Tag == NoSkinTag) return false;
  const TWinControl* parent = control->Parent();
  if (!parent || parent->Tag == NoSkinTag) return false;
  const int kind = ControlKind(*control);
  const int container = ContainerKind(*parent);
  return kind >= 0 && container >= 0 && InSet(controls_, kind) && InSet(containers_, container);
}

void TXPMenu::DropUnselected() {
  for (TControlSubClass* sub : std::vector<TControlSubClass*>(subclasses_))
    if (sub->control_ && !Selects(sub->control_)) sub->Restore();
}

void TXPMenu::HookControl(TControl* control, bool enable, bool repaint) {
  if (!enable) return;  // subclasses leave by themselves at their next message
  if (!Selects(control) || TControlSubClass::Of(control)) return;
  new TControlSubClass(control, this);
  if (!repaint) return;
  if (auto* windowed = dynamic_cast<TWinControl*>(control)) windowed->Invalidate();
  else control->Update();
}

void TXPMenu::HookMenuItem(TMenuItem* item, bool enable) {
  if (enable) {
    if (item->Tag == NoSkinTag) return;
    if (!Holds<TXPDrawItem>(item->OnDrawItem(), this) && (!item->OnDrawItem() || overrideOwnerDraw_))
      item->SetOnDrawItem(TXPDrawItem{this});
    if (!Holds<TXPMeasureItem>(item->OnMeasureItem(), this) &&
        (!item->OnMeasureItem() || overrideOwnerDraw_))
      item->SetOnMeasureItem(TXPMeasureItem{this});
    return;
  }
  if (Holds<TXPDrawItem>(item->OnDrawItem(), this)) item->SetOnDrawItem(nullptr);
  if (Holds<TXPMeasureItem>(item->OnMeasureItem(), this)) item->SetOnMeasureItem(nullptr);
}

void TXPMenu::HookMenuTree(TMenuItem* item, bool enable) {
  HookMenuItem(item, enable);
  for (int i = 0; i < item->Count(); ++i) HookMenuTree(item->Items(i), enable);
}

void TXPMenu::HookItemTree(TMenuItem* item) {
  auto hookOne = [this](TMenuItem* i) {
    if (i->Tag != NoSkinTag && !Holds<TXPDrawItem>(i->OnDrawItem(), this)) HookMenuItem(i, true);
  };
  std::function<void(TMenuItem*)> hookBelow = [&](TMenuItem* i) {
    for (int k = 0; k < i->Count(); ++k) {
      hookOne(i->Items(k));
      hookBelow(i->Items(k));
    }
  };
  hookOne(item);
  if (item->Parent()) hookBelow(item->Parent());
}

// ---------------------------------------------------------- menu painting

bool TXPMenu::IsMenuBarItem(TMenuItem* item) const {
  auto* main = dynamic_cast<TMainMenu*>(item->GetParentMenu());
  return main && item->Parent() == main->Items();
}

TCustomImageList* TXPMenu::ImagesFor(TMenuItem* item) const {
  if (item->ImageIndex() == -1) return nullptr;
  TMenu* menu = item->GetParentMenu();
  if (IsMenuBarItem(item)) return menu ? menu->Images() : nullptr;
  if (item->Parent() && item->Parent()->SubMenuImages()) return item->Parent()->SubMenuImages();
  return menu ? menu->Images() : nullptr;
}

TPoint TXPMenu::GetItemGlyphSize(TMenuItem* item) {
  TPoint size{0, 0};
  if (TCustomImageList* list = ImagesFor(item)) size = {list->Width(), list->Height()};
  else if (item->Bitmap().Width() > 0) size = {item->Bitmap().Width(), item->Bitmap().Height()};
  return size;
}

void TXPMenu::MeasureMenuItem(TMenuItem* item, TCanvas& canvas, int& width, int& height) {
  if (!active_) return;
  try {
    TMenuItemFacts facts;
    facts.Caption = item->Caption();
    facts.ShortCutText = ShortCutToText(item->ShortCut());
    facts.Glyph = GetItemGlyphSize(item);
    facts.MenuBarItem = IsMenuBarItem(item);
    facts.NtPlatform = IsNtPlatform();
    canvas.Font = font_.State();
    MeasureMenuItemText(canvas, facts, iconWidth_, width, height);
  } catch (...) {
    // Painting never reports errors.
  }
}

void TXPMenu::DrawMenuItem(TMenuItem* item, TGdiCanvas& canvas, TRect rect, bool selected) {
  if (!active_) return;
  try {
    HDC dc = canvas.Handle();
    PrepareColors(dc);
    const bool separator = item->IsLine();
    const bool menuBar = IsMenuBarItem(item);
    TMenu* menu = item->GetParentMenu();
    const bool rtl = menu && menu->IsRightToLeft();
    canvas.Font = font_.State();
    rect.Bottom += 1;

    TBitmap glyph;
    bool hasGlyph = false;
    if (item->Bitmap().Width() > 0) {
      glyph.Assign(item->Bitmap());
      hasGlyph = true;
    }
    if (TCustomImageList* list = ImagesFor(item)) {
      const bool subMenuImages = item->Parent() && item->Parent()->SubMenuImages() == list;
      const TColor back = subMenuImages ? canvas.Brush.Color : static_cast<TColor>(::GetPixel(dc, 2, 2));
      glyph.SetSize(list->Width(), list->Height());
      Fill(glyph.Canvas(), {0, 0, glyph.Width(), glyph.Height()}, back);
      list->Draw(glyph.Canvas(), 0, 0, item->ImageIndex());
      hasGlyph = true;
    }
    const TPoint glyphSize = hasGlyph ? TPoint{glyph.Width(), glyph.Height()} : TPoint{0, 0};
    const TMenuItemLayout layout = LayoutMenuItem(rect, iconWidth_, glyphSize, menuBar, rtl);

    canvas.Pen.Style = TPenStyle::psSolid;
    canvas.Pen.Width = 1;
    if (menuBar) {
      canvas.Pen.Color = colors_.EffMenuBarColor;
      Fill(canvas, rect, colors_.EffMenuBarColor);
    } else if (colors_.DeepColorMode && gradient_) {
      TRect wide = rect;
      wide.Right += 2;
      DrawGradientBackground(canvas, wide, rtl);
    } else if (item->Enabled() || !selected) {
      Fill(canvas, rect, colors_.EffColor);
      Fill(canvas, layout.IconColumn, colors_.EffIconBackColor);
    }
    canvas.Font.Color = item->Enabled() ? font_.Color() : settings_.DisabledColor;

    if (selected && drawSelect_) {
      canvas.Brush.Style = TBrushStyle::bsSolid;
      if (menuBar) {
        DrawTopLevelSelection(canvas, rtl, settings_.MenuBarColor, rect);
      } else if (item->Enabled()) {
        const TRect s{rect.Left, rect.Top + 1, rect.Right - (flatMenu_ ? 1 : 0), rect.Bottom - 1};
        Fill(canvas, s, colors_.EffSelectColor);
        canvas.Brush.Style = TBrushStyle::bsClear;
        canvas.Pen.Color = colors_.EffSelectBorderColor;
        canvas.RoundRect(s.Left, s.Top, s.Right, s.Bottom, 0, 0);
      }
    }

    DrawCheckMark(canvas, colors_, layout.Check,
                  {item->Checked(), item->RadioItem(), selected, hasGlyph, item->Enabled()});
    if (hasGlyph)
      DrawItemGlyph(canvas, rtl, menuBar, item->Checked(), item->Enabled(), false, selected,
                    layout.IconColumn, glyph, false);

    if (separator) {
      const TSeparatorLine line = SeparatorLine(layout.Text, rtl);
      canvas.Pen.Color = colors_.EffSeparatorColor;
      Line(canvas, {{line.X1, line.Y}, {line.X2, line.Y}});
    } else {
      TRect text = layout.Text;
      if (rtl) text.Right -= 3;
      else text.Left += 3;
      const TFontState font = canvas.Font;
      DrawItemText(canvas, " " + item->Caption(), rtl ? (DT_RIGHT | DT_RTLREADING) : 0u, font, rtl,
                   menuBar, item->Default(), item->Enabled(), selected, text,
                   ShortCutToText(item->ShortCut()));
    }

    if (!IsDesigning() && flatMenu_ && !menuBar) {
      HWND window = ::WindowFromDC(dc);
      if (window && !(form_->HandleAllocated() && window == form_->Handle())) DrawPopupFrame(window, rtl);
    }
    HookItemTree(item);
  } catch (...) {
    // Painting never reports errors.
  }
}

void TXPMenu::DrawItemText(TGdiCanvas& canvas, const std::string& text, unsigned format,
                           const TFontState& font, bool rightToLeft, bool menuBarItem,
                           bool isDefault, bool enabled, bool selected, TRect rect,
                           const std::string& shortCut, bool toolButton) {
  canvas.Font = font;
  TColor color = font.Color;
  if (selected) color = colors_.EffSelectFontColor;
  if (!enabled) color = colors_.EffDisabledColor;
  canvas.Font.Color = color;
  if (!enabled && toolButton) {
    auto buffer = canvas.CreateBuffer(rect.Width(), rect.Height());
    buffer->Font = canvas.Font;
    Fill(*buffer, {0, 0, rect.Width(), rect.Height()}, canvas.Brush.Color);
    buffer->Brush.Style = TBrushStyle::bsClear;
    TRect local{0, 0, rect.Width(), rect.Height()};
    local.Top += (local.Height() - buffer->TextHeight("W")) / 2;
    buffer->DrawText(text, local, format);
    canvas.BitBlt(rect.Left, rect.Top, rect.Width(), rect.Height(), *buffer, 0, 0, ropSrcCopy);
    return;
  }
  if (selected && menuBarItem && settings_.UseSystemColors) {
    color = SelectedTextColor(colors_.EffIconBackColor, font.Color, NearestOf(canvas.Handle()));
    canvas.Font.Color = color;
  }
  rect.Top += (rect.Height() - canvas.TextHeight("W")) / 2;
  canvas.Brush.Style = TBrushStyle::bsClear;
  if (enabled && isDefault) {
    struct THalo {
      int Dx, Dy, Wider, Percent;
      bool Darken;
    };
    const THalo halos[] = {{1, 0, 0, 30, false}, {0, 2, 1, 30, false}, {-1, 1, 0, 40, true},
                           {1, 1, 0, 60, false}};
    for (const THalo& h : halos) {
      TRect r{rect.Left + h.Dx, rect.Top + h.Dy, rect.Right + h.Dx + h.Wider, rect.Bottom + h.Dy};
      const TColor under = static_cast<TColor>(::GetPixel(canvas.Handle(), r.Left, r.Top));
      canvas.Font.Color = h.Darken ? DarkenColor(under, h.Percent)
                                   : Lighten(canvas.Handle(), under, h.Percent);
      canvas.DrawText(text, r, format);
    }
    canvas.Font.Color = color;
  }
  TRect r = rect;
  canvas.DrawText(text, r, format);
  if (shortCut.empty()) return;
  canvas.Font.Color = colors_.DeepColorMode ? Lighten(canvas.Handle(), color, -40) : color;
  TRect s = rect;
  if (!rightToLeft) {
    s.Right -= 10;
    canvas.DrawText(shortCut + " ", s, dtRight);
  } else {
    s.Left += 10;
    canvas.DrawText(shortCut + " ", s, dtLeft);
  }
}

void TXPMenu::DrawTopLevelSelection(TGdiCanvas& canvas, bool rightToLeft, TColor barColor, TRect rect) {
  const int L = rect.Left, T = rect.Top, R = rect.Right, B = rect.Bottom;
  Fill(canvas, rect, colors_.EffSelectColor);
  canvas.Pen.Style = TPenStyle::psSolid;
  canvas.Pen.Color = colors_.EffSelectBorderColor;
  const bool flatShadow = rightToLeft || !colors_.DeepColorMode;
  const int x = flatShadow ? R - 3 : R - 8;
  Line(canvas, {{L, B - 1}, {L, T}, {x, T}, {x, B}});
  if (flatShadow) {
    Fill(canvas, {R - 2, T + 2, R, B}, DarkenColor(barColor, 70));
    Fill(canvas, {R - 2, T, R, T + 2}, barColor);
    return;
  }
  const TColor bar = colors_.EffMenuBarColor;
  Fill(canvas, {R - 7, T, R, B}, DarkenColor(bar, 10));
  Fill(canvas, {R - 7, T + 3, R - 2, B}, DarkenColor(bar, 30));
  Fill(canvas, {R - 7, T + 5, R - 3, B}, DarkenColor(bar, 60));
  Fill(canvas, {R - 7, T + 6, R - 5, B}, DarkenColor(bar, 100));
  canvas.Pen.Color = bar;
  Line(canvas, {{R - 5, T + 1}, {R - 1, T + 1}, {R - 1, T + 6}});
  Line(canvas, {{R - 3, T + 2}, {R - 2, T + 2}, {R - 2, T + 3}, {R - 3, T + 3}});
  canvas.Pen.Color = DarkenColor(bar, 10);
  Line(canvas, {{R - 6, T + 3}, {R - 3, T + 3}, {R - 3, T + 6}, {R - 4, T + 6}, {R - 4, T + 3}});
  canvas.Pen.Color = DarkenColor(bar, 30);
  Line(canvas, {{R - 5, T + 5}, {R - 4, T + 5}, {R - 4, T + 9}});
  canvas.Pen.Color = DarkenColor(bar, 40);
  Line(canvas, {{R - 6, T + 5}, {R - 6, T + 7}});
}

void TXPMenu::DrawGradientBackground(TGdiCanvas& canvas, TRect rect, bool rightToLeft) {
  const TNearestColor nearest = NearestOf(canvas.Handle());
  int shade = 0;
  for (int i = 0; i < rect.Width(); ++i) {
    shade = std::min(shade + (i < iconWidth_ + 5 ? 3 : 1), 96);
    const int x = rightToLeft ? rect.Right - 1 - i : rect.Left + i;
    Fill(canvas, {x, rect.Top, x + 1, rect.Bottom}, LightenColor(colors_.EffIconBackColor, shade, nearest));
  }
}

void TXPMenu::DrawPopupFrame(HWND window, bool rightToLeft) {
  RECT wr{};
  if (!::GetWindowRect(window, &wr)) return;
  TWindowDC desktop(::GetDesktopWindow());
  TGdiCanvas canvas(desktop.get());
  const int L = wr.left, T = wr.top, R = wr.right - 2, B = wr.bottom - 2;
  canvas.Brush.Style = TBrushStyle::bsClear;
  canvas.Pen.Style = TPenStyle::psSolid;
  canvas.Pen.Color = colors_.PopupFrameColor;
  canvas.Rectangle(L, T, R, B);
  canvas.Pen.Color = colors_.EffColor;
  canvas.Rectangle(L + 1, T + 1, R - 1, B - 1);
  canvas.Pen.Color = colors_.EffIconBackColor;
  if (gradient_) {
    // The menu background's gradient, one pixel high, from the glyph side.
    DrawGradientBackground(canvas, {L + 1, T + 1, R - 1, T + 2}, rightToLeft);
  } else {
    const int x = rightToLeft ? R - 2 : L + 1;
    Line(canvas, {{x, T + 2}, {x, B - 2}});
  }
  Fill(canvas, {R, T + 2, R + 2, B + 2}, colors_.PopupShadowColor);
  Fill(canvas, {L + 2, B, R + 2, B + 2}, colors_.PopupShadowColor);
  Fill(canvas, {R, T, R + 2, T + 2}, clBtnFace);
  Fill(canvas, {L, B, L + 2, B + 2}, clBtnFace);
}

void TXPMenu::DrawItemGlyph(TGdiCanvas& canvas, bool rightToLeft, bool menuBarItem, bool checked,
                            bool enabled, bool pressed, bool selected, TRect rect, TBitmap& glyph,
                            bool toolButton) {
  if (glyph.Width() <= 0) return;
  int x, y;
  if (toolButton) {
    x = rect.Left;
    y = rect.Top + 1;
  } else {
    y = rect.Top + 3;
    if (glyph.Width() < iconWidth_) x = rect.Left + (iconWidth_ - glyph.Width()) / 2 - 1;
    else x = rightToLeft ? rect.Right - glyph.Width() - 2 : rect.Left + 2;
  }
  if (menuBarItem) x = rightToLeft ? rect.Right - glyph.Width() - 5 : rect.Left + 1;
  const bool lifted = selected && enabled && !checked;
  if (lifted && !menuBarItem && !pressed) {
    --x;
    --y;
  }
  // Every pixel is dimmed and grayed, the background too: the transparent
  // colour is the bottom-left pixel after that, as the glyph is drawn.
  if (!selected && enabled && !checked && colors_.DeepColorMode) {
    const int percent = std::min<int>(dimLevel_, 100);
    HDC dc = canvas.Handle();
    ConvertPixels(glyph, [&](TColor c) { return Lighten(dc, c, percent); });
  }
  if (!enabled) {
    HDC dc = canvas.Handle();
    ConvertPixels(glyph, [&](TColor c) { return GrayColor(c, grayLevel_); });
    ConvertPixels(glyph, [&](TColor c) { return Lighten(dc, c, 40); });
  }
  const TColor transparent = glyph.Pixel(0, glyph.Height() - 1);
  if (lifted) {
    const TColor shade = toolButton && colors_.DeepColorMode && !settings_.UseSystemColors
                             ? Lighten(canvas.Handle(), settings_.SelectColor, 68)
                             : colors_.EffSelectColor;
    const COLORREF shadow = Ref(DarkenColor(shade, 50));
    HDC source = glyph.Canvas().Handle();
    for (int j = 0; j < glyph.Height(); ++j)
      for (int i = 0; i < glyph.Width(); ++i)
        if (static_cast<TColor>(::GetPixel(source, i, j)) != transparent)
          ::SetPixel(canvas.Handle(), x + 2 + i, y + 2 + j, shadow);
  }
  ::TransparentBlt(canvas.Handle(), x, y, glyph.Width(), glyph.Height(), glyph.Canvas().Handle(), 0,
                   0, glyph.Width(), glyph.Height(), static_cast<UINT>(transparent) & 0xFFFFFF);
}

// ---------------------------------------------------------------- tool bars

void TXPMenu::DrawToolButton(TToolBar* bar, TToolButton* button, TGdiCanvas& canvas,
                             unsigned state, bool& defaultDraw) {
  if (!active_) return;
  defaultDraw = false;
  try {
    HDC dc = canvas.Handle();
    PrepareColors(dc);
    const TColor hotColor = colors_.DeepColorMode && !settings_.UseSystemColors
                                ? Lighten(dc, settings_.SelectColor, 68)
                                : colors_.EffSelectColor;
    const TRect r = button->BoundsRect();
    const bool hot = state & cdsHot, checked = state & cdsChecked, pressed = state & cdsSelected;
    const bool dropDown = button->Style() == TToolButtonStyle::tbsDropDown;
    if (!bar->Transparent()) Fill(canvas, r, bar->Color());
    auto frame = [&](TRect f) {
      canvas.Brush.Style = TBrushStyle::bsClear;
      canvas.Pen.Style = TPenStyle::psSolid;
      canvas.Pen.Color = colors_.EffSelectBorderColor;
      canvas.Rectangle(f.Left + 1, f.Top + 1, f.Right, f.Bottom - 1);
    };
    if (hot || checked) {
      const TColor fill = hot ? ((checked || pressed || button->Marked()) ? colors_.CheckFillSelectColor : hotColor)
                              : colors_.CheckFillColor;
      Fill(canvas, r, fill);
      frame(r);
      if (dropDown) frame({r.Right - 13, r.Top, r.Right, r.Bottom});
    }
    if (dropDown) {
      canvas.Pen.Color = clBlack;
      const int x = r.Right - 10, y = r.Top + r.Height() / 2 - 1;
      for (int i = 0; i < 3; ++i) Line(canvas, {{x + i, y + i}, {x + 5 - i, y + i}});
    }
    const bool enabled = !(state & cdsDisabled);
    TCustomImageList* list = !enabled && bar->DisabledImages() ? bar->DisabledImages()
                             : hot && bar->HotImages()         ? bar->HotImages()
                                                               : bar->Images();
    TRect content = r;
    if (dropDown) content.Right -= 13;
    if (list && button->ImageIndex() >= 0 && list->Width() > 0) {
      TBitmap glyph(list->Width(), list->Height());
      const TColor back = hot || checked ? canvas.Brush.Color : bar->Color();
      Fill(glyph.Canvas(), {0, 0, glyph.Width(), glyph.Height()}, back);
      list->Draw(glyph.Canvas(), 0, 0, button->ImageIndex());
      int gx = content.Left + (content.Width() - glyph.Width()) / 2;
      if (bar->List() && bar->ShowCaptions()) gx = content.Left + 3;
      const int gy = bar->ShowCaptions() && !bar->List() ? content.Top + 3
                                                         : content.Top + (content.Height() - glyph.Height()) / 2 - 1;
      DrawItemGlyph(canvas, false, false, checked, enabled, pressed, hot, {gx, gy, gx + glyph.Width(), gy + glyph.Height()},
                    glyph, true);
    }
    if (bar->ShowCaptions()) {
      TRect text = content;
      unsigned format = dtCenter | dtSingleLine;
      if (bar->List()) {
        text.Left += 3 + (list ? list->Width() + 3 : 0);
        format = dtLeft | dtSingleLine;
      } else {
        text.Top = text.Bottom - canvas.TextHeight("W") - 6;
      }
      DrawItemText(canvas, button->Caption(), format, bar->Font().State(), false, false, false, enabled,
                   false, text, {}, true);
    }
    const int index = button->Index();
    if (index > 0) {
      TToolButton* left = bar->Buttons(index - 1);
      const bool divider = left->Style() == TToolButtonStyle::tbsSeparator ||
                           left->Style() == TToolButtonStyle::tbsDivider;
      if (divider && left->Tag > 0) {
        const TRect s = left->BoundsRect();
        Fill(canvas, s, bar->Color());
        canvas.Pen.Color = DarkenColor(bar->Color(), 30);
        const int x = (s.Left + s.Right) / 2;
        Line(canvas, {{x, s.Top + 2}, {x, s.Bottom - 1}});
      }
    }
    if (button->MenuItem && InSet(controls_, xcMainMenu)) HookItemTree(button->MenuItem);
  } catch (...) {
    // Painting never reports errors.
  }
}

void TXPMenu::DrawControlBarBand(TControlBar* bar, TControl* band, TGdiCanvas& canvas, TRect rect,
                                 bool& defaultDraw) {
  (void)band;
  if (!active_) return;
  defaultDraw = false;
  try {
    PrepareColors(canvas.Handle());
    PaintControlBarBand(canvas, bar->Color(), colors_.DeepColorMode, rect, NearestOf(canvas.Handle()));
  } catch (...) {
    // Painting never reports errors.
  }
}

// ---------------------------------------------------------------- streaming

void RegisterXPMenuClass() {
  const TIdentMap containers = {
      {"xccForm", 1 << xccForm}, {"xccFrame", 1 << xccFrame}, {"xccToolbar", 1 << xccToolbar},
      {"xccCoolbar", 1 << xccCoolbar}, {"xccControlbar", 1 << xccControlbar},
      {"xccPanel", 1 << xccPanel}, {"xccScrollBox", 1 << xccScrollBox},
      {"xccGroupBox", 1 << xccGroupBox}, {"xccTabSheet", 1 << xccTabSheet},
      {"xccPageScroller", 1 << xccPageScroller}};
  const TIdentMap controls = {
      {"xcMainMenu", 1 << xcMainMenu}, {"xcPopupMenu", 1 << xcPopupMenu},
      {"xcToolbar", 1 << xcToolbar}, {"xcControlbar", 1 << xcControlbar},
      {"xcCombo", 1 << xcCombo}, {"xcEdit", 1 << xcEdit}, {"xcMaskEdit", 1 << xcMaskEdit},
      {"xcMemo", 1 << xcMemo}, {"xcRichEdit", 1 << xcRichEdit}, {"xcCheckBox", 1 << xcCheckBox},
      {"xcRadioButton", 1 << xcRadioButton}, {"xcButton", 1 << xcButton},
      {"xcBitBtn", 1 << xcBitBtn}, {"xcSpeedButton", 1 << xcSpeedButton},
      {"xcPanel", 1 << xcPanel}, {"xcGroupBox", 1 << xcGroupBox}};
  const TIdentMap charsets = {{"ANSI_CHARSET", 0}, {"DEFAULT_CHARSET", 1}, {"SYMBOL_CHARSET", 2}};
  const TIdentMap fontStyles = {{"fsBold", fsBold}, {"fsItalic", fsItalic},
                                {"fsUnderline", fsUnderline}, {"fsStrikeOut", fsStrikeOut}};
  using M = TXPMenu;
  auto font = [](auto change) {
    return [change](M& m, auto value) {
      change(m.Font(), value);
      m.FontChanged();
    };
  };
  RegisterFormClass<M>("TXPMenu", "TComponent", {
      IntProp<M>("DimLevel", &M::SetDimLevel, 30),
      IntProp<M>("GrayLevel", &M::SetGrayLevel, 10),
      {"Font.Charset", TPropType::Enum, IdentValue("DEFAULT_CHARSET"),
       [charsets](TComponent& c, const TFormValue& v) {
         const int n = v.Kind == TFormValueKind::Integer ? ValueToInt(v) : ValueToIdent(v, charsets);
         if (n < 0 || n > 2) throw Exception("unsupported character set " + std::to_string(n));
         ComponentAs<M>(c).Font().SetCharset(static_cast<TFontCharset>(n));
         ComponentAs<M>(c).FontChanged();
       }},
      ColorProp<M>("Font.Color", font([](TFont& f, TColor v) { f.SetColor(v); }), clMenuText),
      IntProp<M>("Font.Height", font([](TFont& f, int v) { f.SetHeight(v); }), -11),
      StringProp<M>("Font.Name", font([](TFont& f, const std::string& v) { f.SetName(v); }), "MS Sans Serif"),
      SetProp<M>("Font.Style", font([](TFont& f, unsigned v) { f.SetStyle(v); }), fontStyles, 0),
      ColorProp<M>("Color", &M::SetColor, clBtnFace),
      ColorProp<M>("IconBackColor", &M::SetIconBackColor, clBtnFace),
      ColorProp<M>("MenuBarColor", &M::SetMenuBarColor, clBtnFace),
      ColorProp<M>("SelectColor", &M::SetSelectColor, clHighlight),
      ColorProp<M>("SelectBorderColor", &M::SetSelectBorderColor, clHighlight),
      ColorProp<M>("SelectFontColor", &M::SetSelectFontColor, clMenuText),
      ColorProp<M>("DisabledColor", &M::SetDisabledColor, clInactiveCaption),
      ColorProp<M>("SeparatorColor", &M::SetSeparatorColor, clBtnFace),
      ColorProp<M>("CheckedColor", &M::SetCheckedColor, clHighlight),
      IntProp<M>("IconWidth", &M::SetIconWidth, 24),
      BoolProp<M>("DrawSelect", &M::SetDrawSelect, true),
      BoolProp<M>("UseSystemColors", &M::SetUseSystemColors, true),
      BoolProp<M>("OverrideOwnerDraw", &M::SetOverrideOwnerDraw, false),
      BoolProp<M>("Gradient", &M::SetGradient, false),
      BoolProp<M>("FlatMenu", &M::SetFlatMenu, false),
      BoolProp<M>("AutoDetect", &M::SetAutoDetect, false),
      SetProp<M>("XPContainers", [](M& m, unsigned v) { m.SetXPContainers(static_cast<TXPContainers>(v)); },
                 containers, xccAll),
      SetProp<M>("XPControls", [](M& m, unsigned v) { m.SetXPControls(static_cast<TXPControls>(v)); },
                 controls, xcAll),
      BoolProp<M>("Active", &M::SetActive, false),
  });
}

}  // namespace quillfen::widgets

#endif
