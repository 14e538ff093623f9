#include "rmSpeedBtns.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace quillfen::widgets {

using vcl::clBtnFace;
using vcl::clBtnHighlight;
using vcl::clBtnShadow;
using vcl::ColorToRGB;

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

}  // namespace quillfen::widgets

#ifdef _WIN32

#include "GdiCanvas.h"

namespace quillfen::widgets {

namespace {

int gButtonCount = 0;

COLORREF Ref(TColor color) { return static_cast<COLORREF>(ColorToRGB(color)) & 0xFFFFFF; }

}  // namespace

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
  if (action_) action_->UnregisterClient(this);
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

void TrmCustomSpeedButton::SetBiDiMode(vcl::TBiDiMode value) {
  if (value == biDiMode_ && !parentBiDiMode_) return;
  biDiMode_ = value;
  parentBiDiMode_ = false;
  Invalidate();
}

void TrmCustomSpeedButton::SetParentBiDiMode(bool value) {
  if (value == parentBiDiMode_) return;
  parentBiDiMode_ = value;
  Invalidate();
}

bool TrmCustomSpeedButton::UseRightToLeftReading() const {
  const std::uint32_t exStyle =
      Parent() && Parent()->HandleAllocated()
          ? static_cast<std::uint32_t>(::GetWindowLongA(Parent()->Handle(), GWL_EXSTYLE))
          : 0;
  return vcl::MenuReadsRightToLeft(biDiMode_, parentBiDiMode_, exStyle);
}

void TrmCustomSpeedButton::SetAction(vcl::TAction* action) {
  if (action == action_) return;
  if (action_) action_->UnregisterClient(this);
  action_ = action;
  if (!action) return;
  action->RegisterClient(this);
  ActionChange(*action, IsLoading());
}

void TrmCustomSpeedButton::ActionFreed(vcl::TAction& action) {
  if (&action == action_) action_ = nullptr;
}

void TrmCustomSpeedButton::ActionChange(vcl::TAction& sender, bool checkDefaults) {
  if (!checkDefaults || Caption().empty()) SetCaption(sender.Caption());
  if (!checkDefaults || Enabled()) SetEnabled(sender.Enabled());
  if (!checkDefaults || Visible()) SetVisible(sender.Visible());
  if (!checkDefaults || HelpContext == 0) HelpContext = sender.HelpContext();
  vcl::TCustomImageList* images = sender.Images();
  const int index = sender.ImageIndex();
  if (!glyph_.Glyph().Empty() || !images || index < 0 || index >= images->Count()) return;
  vcl::TBitmap image(images->Width(), images->Height());
  vcl::TGdiCanvas& canvas = image.Canvas();
  canvas.Brush.Style = vcl::TBrushStyle::bsSolid;
  canvas.Brush.Color = vcl::clFuchsia;
  canvas.FillRect({0, 0, images->Width(), images->Height()});
  images->Draw(canvas, 0, 0, index);
  glyph_.SetGlyph(image);
}

void TrmCustomSpeedButton::Click() {
  // The action runs only for a button without a handler of its own.
  if (action_ && !OnClick) {
    action_->Execute();
    return;
  }
  TGraphicControl::Click();
}

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
                model_.Spacing(), model_.State, BiDiFlags());
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
                model_.Margin(), model_.Spacing(), model_.State, BiDiFlags());
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
