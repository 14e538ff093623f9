#include "ProCtrls.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#ifdef _WIN32
#include "Forms.h"
#endif

namespace quillfen::widgets {

using vcl::TPoint;

// ------------------------------------------------------------ effects

TLabelEffects ShadowStylePreset(TShadowStyle style) {
  using namespace vcl;
  TLabelEffects e;
  auto raised = [&](TColor light, TColor dark, int shadowDepth, int shadowSize) {
    e.HighlightDirection = drUpLeft;
    e.HighlightDepth = 1;
    e.HighlightColor = light;
    e.ShadowDirection = drDownRight;
    e.ShadowDepth = shadowDepth;
    e.ShadowSize = shadowSize;
    e.ShadowColor = dark;
  };
  auto recessed = [&](TColor light, TColor dark, int shadowDepth) {
    e.HighlightDirection = drDownRight;
    e.HighlightDepth = 1;
    e.HighlightColor = light;
    e.ShadowDirection = drUpLeft;
    e.ShadowDepth = shadowDepth;
    e.ShadowColor = dark;
  };
  switch (style) {
    case ssNone:
    case ssCustom: break;
    case ssRaised: raised(clBtnHighlight, clBtnShadow, 1, 0); break;
    case ssRaisedColor: raised(clWhite, clBlack, 1, 0); break;
    case ssRaisedShadow: raised(clBtnHighlight, clBtnShadow, 2, 0); break;
    case ssRaisedThickShadow: raised(clBtnHighlight, clBtnShadow, 3, 2); break;
    case ssRecessed: recessed(clBtnHighlight, clBtnShadow, 1); break;
    case ssRecessedColor: recessed(clWhite, clBlack, 1); break;
    case ssRecessedShadow: recessed(clBtnHighlight, clBtnShadow, 2); break;
    case ssShadow:
      e.ShadowDirection = drDownRight;
      e.ShadowDepth = 2;
      break;
    case ssThickShadow:
      e.ShadowDirection = drDownRight;
      e.ShadowDepth = 3;
      e.ShadowSize = 2;
      break;
  }
  return e;
}

TPoint DirectionStep(TDirection direction) {
  switch (direction) {
    case drNone: return {0, 0};
    case drUp: return {0, -1};
    case drDown: return {0, 1};
    case drLeft: return {-1, 0};
    case drRight: return {1, 0};
    case drUpLeft: return {-1, -1};
    case drUpRight: return {1, -1};
    case drDownLeft: return {-1, 1};
    case drDownRight: return {1, 1};
  }
  return {0, 0};
}

// --------------------------------------------------------- properties

int TProLabelProperties::NormalizeAngle(int value) {
  const int angle = value % 360;
  return angle < 0 ? angle + 360 : angle;
}

bool TProLabelProperties::SetAngle(int value) {
  autoSizeOff_ = false;
  const int angle = NormalizeAngle(value);
  if (angle == state_.Angle) return false;
  state_.Angle = angle;
  const double radians = angle * std::numbers::pi / 180.0;
  state_.AngleCos = std::cos(radians);
  state_.AngleSin = std::sin(radians);
  autoSizeOff_ = angle > 0;
  return true;
}

bool TProLabelProperties::SetOffsetX(int value) {
  autoSizeOff_ = false;
  if (value == state_.OffsetX) return false;
  state_.OffsetX = value;
  autoSizeOff_ = value > 0;
  return true;
}

bool TProLabelProperties::SetOffsetY(int value) {
  autoSizeOff_ = false;
  if (value == state_.OffsetY) return false;
  state_.OffsetY = value;
  autoSizeOff_ = value > 0;
  return true;
}

bool TProLabelProperties::SetVerticalAlignment(TVerticalAlignment value) {
  autoSizeOff_ = false;
  if (value == state_.VerticalAlignment) return false;
  state_.VerticalAlignment = value;
  return true;
}

bool TProLabelProperties::SetShadowStyle(TShadowStyle value) {
  autoSizeOff_ = false;
  if (value == state_.ShadowStyle) return false;
  state_.ShadowStyle = value;
  if (value != ssCustom) state_.Effects = ShadowStylePreset(value);
  return true;
}

template <typename T>
bool TProLabelProperties::SetEffect(T TLabelEffects::*field, T value) {
  autoSizeOff_ = false;
  if (state_.Effects.*field == value) return false;
  state_.Effects.*field = value;
  state_.ShadowStyle = ssCustom;
  return true;
}

bool TProLabelProperties::SetHighlightDirection(TDirection value) {
  return SetEffect(&TLabelEffects::HighlightDirection, value);
}
bool TProLabelProperties::SetShadowDirection(TDirection value) {
  return SetEffect(&TLabelEffects::ShadowDirection, value);
}
bool TProLabelProperties::SetHighlightDepth(int value) {
  return SetEffect(&TLabelEffects::HighlightDepth, value);
}
bool TProLabelProperties::SetHighlightColor(TColor value) {
  return SetEffect(&TLabelEffects::HighlightColor, value);
}
bool TProLabelProperties::SetShadowDepth(int value) {
  return SetEffect(&TLabelEffects::ShadowDepth, value);
}
bool TProLabelProperties::SetShadowSize(int value) {
  return SetEffect(&TLabelEffects::ShadowSize, value);
}
bool TProLabelProperties::SetShadowColor(TColor value) {
  return SetEffect(&TLabelEffects::ShadowColor, value);
}

// ------------------------------------------------------------ painting

unsigned LabelTextFlags(const TProLabelState& s) {
  unsigned flags = vcl::dtExpandTabs;
  if (s.WordWrap) flags |= vcl::dtWordBreak;
  if (!s.ShowAccelChar) flags |= vcl::dtNoPrefix;
  if (s.Alignment == TLabelAlign::Center) flags |= vcl::dtCenter;
  if (s.Alignment == TLabelAlign::Right) flags |= vcl::dtRight;
  return flags;
}

std::string StripAccelChars(const std::string& text) {
  std::string result;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;  // "&&" keeps one, "&x" keeps x
    result += text[i];
  }
  return result;
}

void DrawLabelCaption(TCanvas& canvas, const TProLabelState& s, TRect& rect, unsigned flags) {
  if (s.Angle == 0) {
    canvas.DrawText(s.Caption, rect, flags);
    return;
  }
  canvas.Font.Escapement = s.Angle * 10;
  canvas.Font.TrueTypeOnly = true;  // raster fonts ignore the escapement
  canvas.TextOut(rect.Left, rect.Top, s.ShowAccelChar ? StripAccelChars(s.Caption) : s.Caption);
}

namespace {

int PlaceInSpan(int span, int size, int mode) {  // mode 0 start, 1 middle, 2 end
  if (mode == 1) return (span - size) / 2;
  if (mode == 2) return span - size;
  return 0;
}

// The rectangle whose top-left corner the caption is drawn at.
TRect CaptionRect(TCanvas& canvas, const TRect& client, const TProLabelState& s, unsigned flags) {
  TRect area{client.Left + s.OffsetX, client.Top + s.OffsetY, client.Right + s.OffsetX,
             client.Bottom + s.OffsetY};
  if (s.Angle == 0) {
    if (s.VerticalAlignment == vaTop) return area;
    TRect measured = area;
    std::string text = s.Caption.empty() ? std::string(" ") : s.Caption;
    canvas.DrawText(text, measured, flags | vcl::dtCalcRect);
    const int shift = PlaceInSpan(area.Height(), measured.Height(), s.VerticalAlignment);
    area.Top += shift;
    area.Bottom += shift;
    return area;
  }
  // A rotated line starts at the area's top-left corner and turns about it:
  // the offsets place it (a line reading upwards needs OffsetY for its length).
  const TPoint extent = canvas.TextExtent(s.ShowAccelChar ? StripAccelChars(s.Caption) : s.Caption);
  return {area.Left, area.Top, area.Left + extent.X, area.Top + extent.Y};
}

}  // namespace

void PaintProLabel(TCanvas& canvas, const TRect& client, const TProLabelState& s) {
  canvas.Brush.Color = s.Color;
  canvas.Brush.Style = vcl::TBrushStyle::bsSolid;
  if (!s.Transparent) canvas.FillRect(client);
  canvas.Brush.Style = vcl::TBrushStyle::bsClear;
  if (s.Caption.empty()) return;
  canvas.Font = s.Font;
  const unsigned flags = LabelTextFlags(s);
  const TRect rect = CaptionRect(canvas, client, s, flags);
  auto drawShifted = [&](TPoint step, int distance, TColor color) {
    TRect r{rect.Left + step.X * distance, rect.Top + step.Y * distance,
            rect.Right + step.X * distance, rect.Bottom + step.Y * distance};
    canvas.Font = s.Font;
    canvas.Font.Color = color;
    DrawLabelCaption(canvas, s, r, flags);
  };
  if (!s.Enabled) {
    drawShifted({1, 1}, 1, vcl::clBtnHighlight);
    drawShifted({0, 0}, 0, vcl::clBtnShadow);
    return;
  }
  const TLabelEffects& e = s.Effects;
  // Shadow farthest first, so nearer copies cover it; a size widens it towards the text
  // (a size below 0 is none).
  if (e.ShadowDirection != drNone)
    for (int d = e.ShadowDepth; d >= std::max(1, e.ShadowDepth - std::max(0, e.ShadowSize)); --d)
      drawShifted(DirectionStep(e.ShadowDirection), d, e.ShadowColor);
  if (e.HighlightDirection != drNone && e.HighlightDepth > 0)
    drawShifted(DirectionStep(e.HighlightDirection), e.HighlightDepth, e.HighlightColor);
  drawShifted({0, 0}, 0, s.Font.Color);
}

bool ButtonMatchesKind(TProButtonKind kind, bool isDefault, bool isCancel, int modalResult) {
  if (kind == pbkCustom) return true;
  const TProRoleInfo& info = ProRoleInfo(ProKindRole(kind));
  return info.Default == isDefault && info.Cancel == isCancel && info.ModalResult == modalResult;
}

#ifdef _WIN32

// -------------------------------------------------------------- label

TProCustomLabel::TProCustomLabel(vcl::TComponent* owner) : TCustomLabel(owner) {}

void TProCustomLabel::SetVerticalAlignment(TVerticalAlignment value) {
  if (!props_.SetVerticalAlignment(value)) return;
  TCustomLabel::SetLayout(static_cast<vcl::TTextLayout>(value));  // keeps both views equal
  Invalidate();
}

TProLabelState TProCustomLabel::PaintState() {
  TProLabelState s = props_.State();
  s.Caption = Caption();
  s.Font = Font().State();
  s.Color = Color();
  s.Enabled = Enabled();
  s.Transparent = Transparent();
  s.WordWrap = WordWrap();
  s.ShowAccelChar = ShowAccelChar();
  s.Alignment = static_cast<TLabelAlign>(Alignment());
  return s;
}

void TProCustomLabel::Paint(TCanvas& canvas) { PaintProLabel(canvas, ClientRect(), PaintState()); }

void TProCustomLabel::Apply(bool changed) {
  if (!changed) return;
  if (props_.AutoSizeOff()) SetAutoSize(false);
  Invalidate();
}

void TProCustomLabel::WndProc(vcl::TMessage& m) {
  TCustomLabel::WndProc(m);
  if (m.Msg == vcl::CM_MOUSEENTER && OnMouseEnter) OnMouseEnter(this);
  if (m.Msg == vcl::CM_MOUSELEAVE && OnMouseLeave) OnMouseLeave(this);
}

// ------------------------------------------------------------- button

std::string ProKindCaption(TProButtonKind kind) {
  const int id = ProKindCaptionId(kind);
  if (id == 0) return {};
  wchar_t wide[256] = {};
  const int length = ::LoadStringW(::GetModuleHandleA(nullptr), static_cast<UINT>(id), wide, 256);
  // A program without the string table still gets readable buttons.
  if (length <= 0) return ProRoleNeutralCaption(ProKindRole(kind));
  const int size = ::WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(std::max(size, 0)), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide, length, text.data(), size, nullptr, nullptr);
  return text;
}

TProButton::TProButton(vcl::TComponent* owner) : TButton(owner) {}

TProButtonKind TProButton::Kind() {
  if (!ButtonMatchesKind(kind_, Default(), Cancel(), ModalResult())) kind_ = pbkCustom;
  return kind_;
}

void TProButton::SetKind(TProButtonKind value) {
  if (value == kind_) return;
  kind_ = value;
  if (value == pbkCustom) return;
  const TProRoleInfo& info = ProRoleInfo(ProKindRole(value));
  SetDefault(info.Default);
  SetCancel(info.Cancel);
  // A stored caption wins over the kind's while the form is being loaded.
  if (!IsLoading() || Caption().empty()) SetCaption(ProKindCaption(value));
  SetModalResult(info.ModalResult);
}

bool TProButton::IsCaptionStored() {
  const TProButtonKind kind = Kind();
  return kind == pbkCustom || Caption() != ProKindCaption(kind);
}

void TProButton::Click() {
  const TProButtonKind kind = Kind();
  const TProClickAction action =
      kind == pbkCustom ? TProClickAction::Ordinary : ProRoleInfo(ProKindRole(kind)).Click;
  if (action == TProClickAction::ShowHelp) {
    for (vcl::TControl* c = this; c; c = c->Parent()) {
      if (c->HelpContext == 0) continue;
      if (vcl::Application().HelpContext(c->HelpContext)) return;
      break;
    }
  }
  if (action == TProClickAction::CloseForm) {
    if (auto* form = dynamic_cast<vcl::TCustomForm*>(vcl::GetParentForm(this))) {
      form->Close();
      return;
    }
  }
  TButton::Click();
}

#endif

}  // namespace quillfen::widgets
