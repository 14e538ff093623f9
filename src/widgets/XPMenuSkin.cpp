// TControlSubClass: the flat XP frame painted over standard controls.
#include "XPMenu.h"

#ifdef _WIN32

#include <algorithm>
#include <map>

#include "ChoiceCtrls.h"
#include "StdCtrls.h"

namespace quillfen::widgets {

using namespace vcl;

namespace {

// The subclass of each control, for Of() and for the "not twice" rule.
std::map<const TControl*, TControlSubClass*>& Installed() {
  static std::map<const TControl*, TControlSubClass*> installed;
  return installed;
}

struct TSubclassProc {
  TControlSubClass* Sub;
  void (*Call)(TControlSubClass*, TMessage&);
  void operator()(TMessage& m) const { Call(Sub, m); }
};

void Fill(TCanvas& canvas, TRect r, TColor color) {
  canvas.Brush.Style = TBrushStyle::bsSolid;
  canvas.Brush.Color = color;
  canvas.FillRect(r);
}

void Line(TCanvas& canvas, int x1, int y1, int x2, int y2) {
  canvas.MoveTo(x1, y1);
  canvas.LineTo(x2, y2);
}

void FrameRect(TCanvas& canvas, TRect r, TColor color) {
  canvas.Brush.Style = TBrushStyle::bsSolid;
  canvas.Brush.Color = color;
  canvas.FrameRect(r);
}

// Top and left in one colour, bottom and right in another.
void Frame3D(TCanvas& canvas, TRect r, TColor topLeft, TColor bottomRight) {
  canvas.Pen.Style = TPenStyle::psSolid;
  canvas.Pen.Width = 1;
  canvas.Pen.Color = topLeft;
  canvas.MoveTo(r.Left, r.Bottom - 1);
  canvas.LineTo(r.Left, r.Top);
  canvas.LineTo(r.Right - 1, r.Top);
  canvas.Pen.Color = bottomRight;
  canvas.LineTo(r.Right - 1, r.Bottom - 1);
  canvas.LineTo(r.Left - 1, r.Bottom - 1);
}

bool RightToLeft(HWND window) {
  return (::GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0 ||
         (::GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_RIGHT) != 0;
}

bool IsEditKind(int kind) { return kind == xcEdit || kind == xcMaskEdit || kind == xcMemo; }

// What every client-area painter starts with: the window's device
// context, the painter's colours prepared for it, a canvas and the client
// rectangle.
struct ClientPaint {
  ClientPaint(TWinControl& control, TXPMenu& painter)
      : window(control.Handle()), dc(window), canvas(dc.get()) {
    painter.PrepareColors(dc.get());
    ::GetClientRect(window, &client);
  }
  HWND window;
  TWindowDC dc;
  TGdiCanvas canvas;
  RECT client{};
};

}  // namespace

int ControlKind(const TControl& c) {
  const std::string name = c.ClassName();
  if (dynamic_cast<const TCustomCombo*>(&c)) return xcCombo;
  if (name == "TMaskEdit" || name == "TDBEdit") return xcMaskEdit;
  if (dynamic_cast<const TEdit*>(&c) || name == "TLabeledEdit") return xcEdit;
  if (dynamic_cast<const TCustomMemo*>(&c)) return xcMemo;
  if (name == "TRichEdit" || name == "TCustomRichEdit") return xcRichEdit;
  if (dynamic_cast<const TCheckBox*>(&c)) return xcCheckBox;
  if (dynamic_cast<const TRadioButton*>(&c)) return xcRadioButton;
  if (name == "TButton") return xcButton;
  if (name == "TBitBtn") return xcBitBtn;
  if (name == "TSpeedButton") return xcSpeedButton;
  if (name == "TPanel" || name == "TCustomPanel") return xcPanel;
  if (dynamic_cast<const TCustomGroupBox*>(&c)) return xcGroupBox;
  return -1;
}

int ContainerKind(const TWinControl& p) {
  const std::string name = p.ClassName();
  if (p.IsForm()) return xccForm;
  if (name == "TFrame") return xccFrame;
  if (dynamic_cast<const TToolBar*>(&p)) return xccToolbar;
  if (name == "TCoolBar") return xccCoolbar;
  if (dynamic_cast<const TControlBar*>(&p)) return xccControlbar;
  // A data-aware control panel holds controls the way a panel does.
  if (name == "TPanel" || name == "TCustomPanel" || name == "TDBCtrlPanel") return xccPanel;
  if (name == "TScrollBox") return xccScrollBox;
  if (dynamic_cast<const TCustomGroupBox*>(&p)) return xccGroupBox;
  if (name == "TTabSheet") return xccTabSheet;
  if (name == "TPageScroller") return xccPageScroller;
  return -1;
}

// ---------------------------------------------------------- TControlSubClass

TControlSubClass::TControlSubClass(TControl* control, TXPMenu* painter)
    : control_(control), painter_(painter), kind_(ControlKind(*control)) {
  previous_ = control->WindowProc;
  if (IsEditKind(kind_)) savedCtl3D_ = control->Ctl3D();
  if (auto* edit = dynamic_cast<TCustomEdit*>(control))
    savedBorderStyle_ = static_cast<int>(edit->BorderStyle());
  control->WindowProc = TSubclassProc{this, [](TControlSubClass* s, TMessage& m) { s->WindowProc(m); }};
  Installed()[control] = this;
  painter_->subclasses_.push_back(this);
  // The flat frame replaces the sunken edge; the window is made again without it.
  if (IsEditKind(kind_) && control->Ctl3D()) {
    recreating_ = true;
    control->SetCtl3D(false);
  }
  if (kind_ == xcRichEdit)
    if (auto* edit = dynamic_cast<TCustomEdit*>(control); edit && edit->BorderStyle() != TBorderStyle::bsNone) {
      recreating_ = true;
      edit->SetBorderStyle(TBorderStyle::bsNone);
    }
}

TControlSubClass::~TControlSubClass() {
  *alive_ = false;
  if (painter_) {
    auto& list = painter_->subclasses_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
  for (auto it = Installed().begin(); it != Installed().end(); ++it)
    if (it->second == this) {
      Installed().erase(it);
      break;
    }
}

TControlSubClass* TControlSubClass::Of(const TControl* control) {
  auto it = Installed().find(control);
  if (it == Installed().end()) return nullptr;
  const TSubclassProc* proc = control->WindowProc.target<TSubclassProc>();
  return proc && proc->Sub == it->second ? it->second : nullptr;
}

int TControlSubClass::LiveCount() { return static_cast<int>(Installed().size()); }

void TControlSubClass::Restore() {
  try {
    if (control_) {
      // Keep this call's own procedure object alive until the call returns.
      TWndMethod self = std::move(control_->WindowProc);
      control_->WindowProc = previous_;
      if (IsEditKind(kind_) && control_->Ctl3D() != savedCtl3D_) {
        recreating_ = true;
        control_->SetCtl3D(savedCtl3D_);
      }
      if (kind_ == xcRichEdit)
        if (auto* edit = dynamic_cast<TCustomEdit*>(control_))
          edit->SetBorderStyle(static_cast<TBorderStyle>(savedBorderStyle_));
      if (auto* windowed = dynamic_cast<TWinControl*>(control_)) windowed->Invalidate();
      delete this;
      return;
    }
  } catch (...) {
    // Freeing must not stop the message.
  }
  delete this;
}

void TControlSubClass::WindowProc(TMessage& m) {
  const bool graphic = dynamic_cast<TGraphicControl*>(control_) != nullptr;
  const bool doubleClickIsPress =
      kind_ == xcButton || kind_ == xcBitBtn || kind_ == xcSpeedButton || kind_ == xcCheckBox;
  if (m.Msg == WM_LBUTTONDBLCLK && doubleClickIsPress) m.Msg = WM_LBUTTONDOWN;
  if (m.Msg == WM_PAINT && graphic) {
    m.Result = 1;
  } else {
    const std::shared_ptr<bool> alive = alive_;
    const TWndMethod previous = previous_;  // outlives this object if the call frees it
    try {
      previous(m);
    } catch (...) {
      // The control's own errors must not stop the painting.
    }
    if (!*alive) return;
  }
  if (!painter_ || !painter_->Active()) {
    // The message keeps the control's own answer: a fixed 1 would, for this
    // one message, say "checked" to BM_GETCHECK or "all keys" to WM_GETDLGCODE.
    Restore();
    return;
  }
  lastMessage_ = m.Msg;
  const bool enabled = control_->Enabled();
  switch (m.Msg) {
    case WM_DESTROY:
      if (!recreating_) Restore();
      return;
    case WM_SETFOCUS: hot_ = true; Paint(); return;
    case WM_KILLFOCUS: hot_ = false; Paint(); return;
    case WM_PAINT: recreating_ = false; Paint(); return;
    case BM_GETCHECK:
    case BM_SETCHECK: hot_ = false; Paint(); return;
    case BM_SETSTATE: Paint(); return;
    case WM_KEYDOWN:
      if (m.WParam != VK_SPACE) return;
      spaceDown_ = true;
      if (!spaceRepeat_) {
        spaceRepeat_ = true;
        Paint();
      }
      return;
    case WM_KEYUP:
      if (m.WParam != VK_SPACE) return;
      spaceDown_ = spaceRepeat_ = false;
      Paint();
      return;
    case WM_LBUTTONDOWN: mouseDown_ = true; Paint(); return;
    case WM_LBUTTONUP:
      mouseDown_ = false;
      if (graphic) control_->Repaint();
      Paint();
      return;
    case CM_FOCUSCHANGED:
    case CM_PARENTCOLORCHANGED:
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED: Paint(); return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      if (!enabled) return;
      hot_ = m.Msg == CM_MOUSEENTER;
      if (graphic) control_->Repaint();
      Paint();
      return;
    case CM_EXIT: hot_ = false; Paint(); return;
    case EM_GETMODIFY:
    case CM_CTL3DCHANGED:
    case CM_PARENTCTL3DCHANGED:
    case CM_RECREATEWND:
    case 45108: recreating_ = true; return;
    default: return;
  }
}

void TControlSubClass::Paint() {
  auto* windowed = dynamic_cast<TWinControl*>(control_);
  if (windowed && (!windowed->HandleAllocated() || !::IsWindowVisible(windowed->Handle()))) return;
  focused_ = windowed && windowed->Focused();
  try {
    switch (kind_) {
      case xcCombo: PaintCombo(); break;
      case xcRichEdit: PaintEdit(true); break;
      case xcEdit:
      case xcMaskEdit:
      case xcMemo: PaintEdit(false); break;
      case xcCheckBox: PaintCheckBox(); break;
      case xcRadioButton: PaintRadio(); break;
      case xcBitBtn:
      case xcButton: PaintButton(); break;
      case xcSpeedButton: break;  // graphic speed buttons keep their own drawing
      case xcPanel: if (lastMessage_ == WM_PAINT) PaintPanel(); break;
      case xcGroupBox: if (lastMessage_ == WM_PAINT) PaintGroupBox(); break;
      default: break;
    }
  } catch (...) {
    // Painting errors are swallowed.
  }
}

void TControlSubClass::PaintEdit(bool richEdit) {
  auto& edit = *static_cast<TWinControl*>(control_);
  ClientPaint p(edit, *painter_);
  // Edit controls take WS_BORDER off their style and draw that border themselves,
  // so the property tells, not the window style.
  const auto* plain = dynamic_cast<const TCustomEdit*>(control_);
  const bool singleBorder =
      richEdit || (plain ? plain->BorderStyle() == TBorderStyle::bsSingle
                         : (::GetWindowLongA(p.window, GWL_STYLE) & WS_BORDER) != 0);
  const TColor brush = ColorToRGB(control_->Color());
  const TXPWorkingColors& c = painter_->Colors();
  TColor border;
  if (hot_ || focused_)
    border = painter_->Lighten(p.dc.get(), c.EffSelectBorderColor, singleBorder ? 60 : 80);
  else if (singleBorder)
    border = DarkenColor(brush, 60);
  else
    border = brush;
  p.canvas.Brush.Style = TBrushStyle::bsClear;
  p.canvas.Pen.Style = TPenStyle::psSolid;
  p.canvas.Pen.Width = 1;
  p.canvas.Pen.Color = border;
  p.canvas.Rectangle(p.client.left, p.client.top, p.client.right, p.client.bottom);
}

void TControlSubClass::PaintCombo() {
  auto* combo = static_cast<TCustomCombo*>(control_);
  ClientPaint paint(*combo, *painter_);
  HWND window = paint.window;
  TGdiCanvas& canvas = paint.canvas;
  const TXPWorkingColors& c = painter_->Colors();
  const RECT& cr = paint.client;
  TRect r{cr.left, cr.top, cr.right, cr.bottom};
  const TColor color = ColorToRGB(control_->Color());
  TColor border = color;
  if (hot_) border = c.EffSelectBorderColor;
  else if (focused_) border = painter_->Lighten(paint.dc.get(), c.EffSelectBorderColor, 60);
  FrameRect(canvas, r, color);
  const TRect inner = InflateRect(r, -1, -1);
  FrameRect(canvas, inner, color);
  FrameRect(canvas, inner, border);
  const bool rtl = RightToLeft(window);
  const int buttonWidth = ::GetSystemMetrics(SM_CXHTHUMB) + 1;
  const bool dropped = combo->DroppedDown();
  TRect button = rtl ? TRect{inner.Left, inner.Top, inner.Left + buttonWidth, inner.Bottom}
                     : TRect{inner.Right - buttonWidth, inner.Top, inner.Right, inner.Bottom};
  TColor fill = clBtnFace;
  if (hot_) fill = c.EffSelectColor;
  if (focused_) fill = c.CheckFillColor;
  if (dropped) fill = c.CheckFillSelectColor;
  Fill(canvas, button, fill);
  canvas.Pen.Style = TPenStyle::psSolid;
  canvas.Pen.Color = border;
  const int separatorX = rtl ? button.Right : button.Left - 1;
  Line(canvas, separatorX, inner.Top, separatorX, inner.Bottom);
  const TRect strip = rtl ? TRect{button.Right + 1, inner.Top + 1, button.Right + 6, inner.Bottom - 1}
                          : TRect{button.Left - 6, inner.Top + 1, button.Left - 1, inner.Bottom - 1};
  if (combo->Style() != TComboBoxStyle::csDropDownList) Fill(canvas, strip, color);
  canvas.Pen.Color = dropped || !control_->Enabled() ? clWhite : clBlack;
  const int x = button.Left + (button.Width() - 5) / 2;
  const int widths[] = {5, 3, 1};
  for (int i = 0; i < 3; ++i) Line(canvas, x + i, r.Top + 10 + i, x + i + widths[i], r.Top + 10 + i);
}

void TControlSubClass::PaintCheckBox() {
  auto* box = static_cast<TCheckBox*>(control_);
  ClientPaint paint(*box, *painter_);
  HWND window = paint.window;
  TGdiCanvas& canvas = paint.canvas;
  const TXPWorkingColors& c = painter_->Colors();
  const RECT& cr = paint.client;
  const int size = ::GetSystemMetrics(SM_CXHTHUMB);
  const int areaTop = cr.top + 3, areaHeight = (cr.bottom - 3) - areaTop;
  const int top = areaTop + (areaHeight - size) / 2;
  const bool rtl = RightToLeft(window);
  const int left = rtl ? cr.right - size : cr.left;
  const TRect outer{left, top, left + size, top + size};
  Fill(canvas, outer, control_->Color());
  const TRect r = InflateRect(outer, -2, -2);
  const bool pressed = mouseDown_ || spaceDown_;
  TColor fill = clWindow;
  if (hot_ || focused_) fill = c.EffSelectColor;
  if (pressed) fill = c.CheckFillSelectColor;
  canvas.Brush.Style = TBrushStyle::bsSolid;
  canvas.Brush.Color = fill;
  canvas.Pen.Style = TPenStyle::psSolid;
  canvas.Pen.Width = 1;
  canvas.Pen.Color = hot_ || focused_ ? c.EffSelectBorderColor : clBtnShadow;
  canvas.Rectangle(r.Left, r.Top, r.Right, r.Bottom);
  if (!box->Checked()) return;
  canvas.Pen.Color = !control_->Enabled() ? c.EffDisabledColor : pressed ? clWindow : clHighlight;
  // A tick of three strokes, two pixels thick.
  const int w = r.Width();
  const int x1 = r.Left + 3, y1 = r.Top + w / 2 - 1;
  const int x2 = r.Left + w / 2 - 1, y2 = r.Bottom - 4;
  const int x3 = r.Right - 3, y3 = r.Top + 2;
  for (int d = 0; d < 2; ++d) {
    canvas.MoveTo(x1, y1 + d);
    canvas.LineTo(x2, y2 + d);
    canvas.LineTo(x3, y3 + d);
  }
}

void TControlSubClass::PaintRadio() {
  auto* radio = static_cast<TRadioButton*>(control_);
  ClientPaint paint(*radio, *painter_);
  HWND window = paint.window;
  TGdiCanvas& canvas = paint.canvas;
  const TXPWorkingColors& c = painter_->Colors();
  const RECT& cr = paint.client;
  constexpr int size = 14;
  const int areaTop = cr.top + 4, areaHeight = (cr.bottom - 4) - areaTop;
  const int top = areaTop + (areaHeight - size) / 2;
  const int left = RightToLeft(window) ? cr.right - size : cr.left;
  const TRect outer{left, top, left + size, top + size};
  Fill(canvas, outer, control_->Color());
  const TRect r = InflateRect(outer, -2, -2);
  TColor fill = clWindow;
  if (hot_ || focused_) fill = c.EffSelectColor;
  if (mouseDown_ || spaceDown_) fill = c.CheckFillSelectColor;
  canvas.Brush.Style = TBrushStyle::bsSolid;
  canvas.Brush.Color = fill;
  canvas.Pen.Style = TPenStyle::psSolid;
  canvas.Pen.Color = hot_ || focused_ ? c.EffSelectBorderColor : clBtnShadow;
  canvas.Ellipse(r.Left, r.Top, r.Right, r.Bottom);
  if (!radio->Checked()) return;
  const TColor dot = control_->Enabled() ? clHighlight : c.EffDisabledColor;
  const TRect inner = InflateRect(r, -2, -2);
  canvas.Brush.Color = dot;
  canvas.Pen.Color = dot;
  canvas.Ellipse(inner.Left, inner.Top, inner.Right, inner.Bottom);
}

void TControlSubClass::PaintButton() {
  auto* button = static_cast<TWinControl*>(control_);
  ClientPaint paint(*button, *painter_);
  HWND window = paint.window;
  TGdiCanvas& canvas = paint.canvas;
  const TXPWorkingColors& c = painter_->Colors();
  const RECT& cr = paint.client;
  const TRect r{cr.left, cr.top, cr.right, cr.bottom};
  Fill(canvas, r, control_->Color());
  const bool pressed = (mouseDown_ && hot_) || spaceDown_;
  const bool lit = hot_ || spaceDown_;
  const TColor border = lit || focused_ ? painter_->Lighten(paint.dc.get(), c.EffSelectBorderColor, 60)
                                        : ColorToRGB(clBtnShadow);
  canvas.Brush.Style = TBrushStyle::bsSolid;
  canvas.Brush.Color = lit ? painter_->Lighten(paint.dc.get(), clBtnFace, 60) : c.EffIconBackColor;
  canvas.Pen.Style = TPenStyle::psSolid;
  canvas.Pen.Width = 1;
  canvas.Pen.Color = painter_->Lighten(paint.dc.get(), border, 30);
  canvas.RoundRect(r.Left, r.Top, r.Right, r.Bottom, 4, 4);
  if (control_->Enabled()) {
    canvas.Pen.Color = DarkenColor(border, 50);
    if (pressed) {
      Line(canvas, r.Left + 1, r.Bottom - 2, r.Left + 1, r.Top + 1);
      Line(canvas, r.Left + 1, r.Top + 1, r.Right - 1, r.Top + 1);
    } else {
      Line(canvas, r.Right - 2, r.Top + 1, r.Right - 2, r.Bottom - 2);
      Line(canvas, r.Left + 1, r.Bottom - 2, r.Right - 1, r.Bottom - 2);
    }
  }
  const bool rtl = RightToLeft(window);
  unsigned format = dtCenter | dtSingleLine;
  if (rtl) format |= DT_RTLREADING;
  TRect text = r;
  if (pressed) {
    ++text.Left;
    ++text.Right;
    ++text.Top;
    ++text.Bottom;
  }
  TFontState font = control_->Font().State();
  painter_->DrawItemText(canvas, control_->Caption(), format, font, rtl, false, false,
                         control_->Enabled(), false, text, {});
}

void TControlSubClass::PaintGroupBox() {
  auto* box = static_cast<TWinControl*>(control_);
  ClientPaint paint(*box, *painter_);
  HWND window = paint.window;
  TGdiCanvas& canvas = paint.canvas;
  canvas.Font = control_->Font().State();
  const RECT& cr = paint.client;
  const std::string caption = control_->Caption();
  const int textHeight = canvas.TextHeight(caption.empty() ? " " : caption);
  const TColor color = ColorToRGB(control_->Color());
  const TRect frame{cr.left, cr.top + textHeight / 2, cr.right, cr.bottom};
  TColor light = painter_->Lighten(paint.dc.get(), color, 60);
  const TColor dark = DarkenColor(color, 60);
  if (!control_->Ctl3D()) light = dark;
  // The system frame first goes under the control's colour.
  canvas.Brush.Style = TBrushStyle::bsSolid;
  canvas.Brush.Color = color;
  canvas.FrameRect(frame);
  canvas.FrameRect(InflateRect(frame, -1, -1));
  Frame3D(canvas, frame, light, dark);
  if (caption.empty()) return;
  const int width = canvas.TextWidth(caption);
  const bool rtl = RightToLeft(window);
  const int x = rtl ? cr.right - 9 - width : cr.left + 9;
  const TRect gap{x - 1, cr.top, x + width + 1, cr.top + textHeight};
  Fill(canvas, gap, color);
  canvas.Brush.Style = TBrushStyle::bsClear;
  canvas.Font.Color = control_->Enabled() ? control_->Font().Color() : painter_->Colors().EffDisabledColor;
  canvas.TextRect(gap, x, cr.top, caption);
}

void TControlSubClass::PaintPanel() {
  auto* panel = static_cast<TWinControl*>(control_);
  ClientPaint paint(*panel, *painter_);
  TGdiCanvas& canvas = paint.canvas;
  const RECT& cr = paint.client;
  const TColor color = ColorToRGB(control_->Color());
  Frame3D(canvas, {cr.left, cr.top, cr.right, cr.bottom}, painter_->Lighten(paint.dc.get(), color, 60),
          DarkenColor(color, 60));
}

}  // namespace quillfen::widgets

#endif
