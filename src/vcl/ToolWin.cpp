#include "ToolWin.h"

#include <commctrl.h>

#include <algorithm>

namespace quillfen::vcl {

namespace {
void InitBarClasses() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
    return ::InitCommonControlsEx(&init) != FALSE;
  }();
  (void)done;
}

UINT NextButtonCommand() {
  static UINT next = 0x7000;
  return next++;
}
}  // namespace

// ----------------------------------------------------------- TToolButton

TToolButton::TToolButton(TComponent* owner) : TComponent(owner), command_(NextButtonCommand()) {
  AnnounceInsertion();
}

TToolButton::~TToolButton() {
  if (bar_) bar_->RemoveButton(this);
}

int TToolButton::Index() const {
  if (!bar_) return -1;
  for (int i = 0; i < bar_->ButtonCount(); ++i)
    if (bar_->Buttons(i) == this) return i;
  return -1;
}

void TToolButton::SetCaption(const std::string& value) {
  if (value == caption_) return;
  caption_ = value;
  if (bar_) bar_->RebuildButtons();
}

void TToolButton::SetImageIndex(int value) {
  if (value == imageIndex_) return;
  imageIndex_ = value;
  if (bar_) bar_->RebuildButtons();
}

void TToolButton::SetStyle(TToolButtonStyle value) {
  if (value == style_) return;
  style_ = value;
  if (bar_) bar_->RebuildButtons();
}

bool TToolButton::Down() const {
  if (bar_ && bar_->HandleAllocated())
    return ::SendMessageA(bar_->Handle(), TB_ISBUTTONCHECKED, command_, 0) != 0;
  return down_;
}

void TToolButton::SetDown(bool value) {
  down_ = value;
  if (bar_ && bar_->HandleAllocated()) ::SendMessageA(bar_->Handle(), TB_CHECKBUTTON, command_, value);
}

void TToolButton::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  if (bar_ && bar_->HandleAllocated()) ::SendMessageA(bar_->Handle(), TB_ENABLEBUTTON, command_, value);
}

TRect TToolButton::BoundsRect() const {
  RECT r{};
  if (bar_ && bar_->HandleAllocated())
    ::SendMessageA(bar_->Handle(), TB_GETITEMRECT, static_cast<WPARAM>(Index()), reinterpret_cast<LPARAM>(&r));
  return {r.left, r.top, r.right, r.bottom};
}

// -------------------------------------------------------------- TToolBar

TToolBar::TToolBar(TComponent* owner) : TWinControl(owner) {
  InitBarClasses();
  SetColor(clBtnFace);
  SetBounds(0, 0, 150, 29);
  SetAlign(TAlign::alTop);
  AnnounceInsertion();
}

void TToolBar::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClass = TOOLBARCLASSNAMEA;
  p.Style |= CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN | TBSTYLE_TOOLTIPS;
  if (flat_) p.Style |= TBSTYLE_FLAT;
  if (transparent_) p.Style |= TBSTYLE_TRANSPARENT;
  if (list_) p.Style |= TBSTYLE_LIST;
}

void TToolBar::HandleCreated() {
  HWND bar = Handle();
  ::SendMessageA(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  ::SendMessageA(bar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
  RebuildButtons();
}

void TToolBar::RebuildButtons() {
  if (!HandleAllocated()) return;
  HWND bar = Handle();
  while (::SendMessageA(bar, TB_BUTTONCOUNT, 0, 0) > 0) ::SendMessageA(bar, TB_DELETEBUTTON, 0, 0);
  ::SendMessageA(bar, TB_SETIMAGELIST, 0,
                 reinterpret_cast<LPARAM>(images_ ? images_->Handle() : nullptr));
  if (images_)
    ::SendMessageA(bar, TB_SETBITMAPSIZE, 0, MAKELPARAM(images_->Width(), images_->Height()));
  for (TToolButton* b : buttons_) {
    TBBUTTON tb{};
    tb.idCommand = static_cast<int>(b->command_);
    tb.fsState = static_cast<BYTE>((b->enabled_ ? TBSTATE_ENABLED : 0) | (b->down_ ? TBSTATE_CHECKED : 0));
    switch (b->style_) {
      case TToolButtonStyle::tbsButton: tb.fsStyle = TBSTYLE_BUTTON; break;
      case TToolButtonStyle::tbsCheck: tb.fsStyle = TBSTYLE_CHECK; break;
      case TToolButtonStyle::tbsDropDown: tb.fsStyle = TBSTYLE_DROPDOWN; break;
      case TToolButtonStyle::tbsSeparator:
      case TToolButtonStyle::tbsDivider: tb.fsStyle = TBSTYLE_SEP; break;
    }
    const bool separator = tb.fsStyle == TBSTYLE_SEP;
    tb.iBitmap = separator ? 8 : b->imageIndex_;
    tb.iString = showCaptions_ && !separator ? reinterpret_cast<INT_PTR>(b->caption_.c_str()) : -1;
    ::SendMessageA(bar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&tb));
  }
  ::SendMessageA(bar, TB_AUTOSIZE, 0, 0);
  Invalidate();
}

void TToolBar::AddButton(TToolButton* button) {
  if (!button || button->bar_ == this) return;
  if (button->bar_) button->bar_->RemoveButton(button);
  buttons_.push_back(button);
  button->bar_ = this;
  RebuildButtons();
}

void TToolBar::RemoveButton(TToolButton* button) {
  auto it = std::find(buttons_.begin(), buttons_.end(), button);
  if (it == buttons_.end()) return;
  buttons_.erase(it);
  button->bar_ = nullptr;
  if (!IsDestroying()) RebuildButtons();
}

void TToolBar::SetFlat(bool value) {
  if (value == flat_) return;
  flat_ = value;
  if (HandleAllocated()) {
    LONG style = ::GetWindowLongA(Handle(), GWL_STYLE);
    style = value ? (style | TBSTYLE_FLAT) : (style & ~TBSTYLE_FLAT);
    ::SetWindowLongA(Handle(), GWL_STYLE, style);
    Invalidate();
  }
}

void TToolBar::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  RecreateWnd();
}

void TToolBar::SetShowCaptions(bool value) {
  if (value == showCaptions_) return;
  showCaptions_ = value;
  RebuildButtons();
}

void TToolBar::SetList(bool value) {
  if (value == list_) return;
  list_ = value;
  RecreateWnd();
}

void TToolBar::SetImages(TCustomImageList* value) {
  if (value == images_) return;
  images_ = value;
  RebuildButtons();
}

void TToolBar::SetOnCustomDrawButton(TToolBarCustomDrawButtonEvent handler) {
  OnCustomDrawButton = std::move(handler);
  Invalidate();
}

void TToolBar::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (component == images_) images_ = nullptr;
  if (component == hotImages_) hotImages_ = nullptr;
  if (component == disabledImages_) disabledImages_ = nullptr;
}

LRESULT TToolBar::CustomDraw(NMTBCUSTOMDRAW& draw) {
  if (!OnCustomDrawButton) return CDRF_DODEFAULT;
  if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
  if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
  TToolButton* button = nullptr;
  for (TToolButton* b : buttons_)
    if (b->command_ == draw.nmcd.dwItemSpec) button = b;
  if (!button) return CDRF_DODEFAULT;
  unsigned state = 0;
  const UINT s = draw.nmcd.uItemState;
  if (s & CDIS_SELECTED) state |= cdsSelected;
  if (s & (CDIS_DISABLED | CDIS_GRAYED)) state |= cdsDisabled;
  if (s & CDIS_CHECKED) state |= cdsChecked;
  if (s & CDIS_HOT) state |= cdsHot;
  bool defaultDraw = true;
  const int saved = ::SaveDC(draw.nmcd.hdc);
  TGdiCanvas canvas(draw.nmcd.hdc);
  try {
    OnCustomDrawButton(this, button, canvas, state, defaultDraw);
  } catch (const std::exception& error) {
    HandleWindowException(error);
  }
  ::RestoreDC(draw.nmcd.hdc, saved);
  return defaultDraw ? CDRF_DODEFAULT : CDRF_SKIPDEFAULT;
}

void TToolBar::WndProc(TMessage& m) {
  if (m.Msg == CN_NOTIFY) {
    auto* header = reinterpret_cast<NMHDR*>(m.LParam);
    if (header->code == NM_CUSTOMDRAW) {
      m.Result = CustomDraw(*reinterpret_cast<NMTBCUSTOMDRAW*>(m.LParam));
      return;
    }
  }
  if (m.Msg == CN_COMMAND) {
    for (TToolButton* b : std::vector<TToolButton*>(buttons_))
      if (b->command_ == LOWORD(m.WParam) && b->OnClick) b->OnClick(b);
    m.Result = 0;
    return;
  }
  TWinControl::WndProc(m);
}

// ----------------------------------------------------------- TControlBar

TControlBar::TControlBar(TComponent* owner) : TWinControl(owner) {
  ControlStyle |= csAcceptsControls;
  SetColor(clBtnFace);
  SetBounds(0, 0, 100, 50);
  AnnounceInsertion();
}

TRect TControlBar::BandRect(const TControl& c) {
  return {c.Left() - 11, c.Top() - 2, c.Left() + c.Width() + 2, c.Top() + c.Height() + 2};
}

void TControlBar::SetOnBandPaint(TBandPaintEvent handler) {
  OnBandPaint = std::move(handler);
  Invalidate();
}

void TControlBar::PaintWindow(HDC dc) {
  TGdiCanvas canvas(dc);
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* band = Controls(i);
    if (!band->Visible()) continue;
    TRect r = BandRect(*band);
    bool defaultDraw = true;
    if (OnBandPaint) {
      try {
        OnBandPaint(this, band, canvas, r, defaultDraw);
      } catch (const std::exception& error) {
        HandleWindowException(error);
      }
    }
    if (!defaultDraw) continue;
    RECT edge{r.Left, r.Top, r.Right, r.Bottom};
    ::DrawEdge(dc, &edge, BDR_RAISEDINNER, BF_RECT);
    for (int x : {r.Left + 3, r.Left + 6}) {
      RECT grip{x, r.Top + 3, x + 3, r.Bottom - 3};
      ::DrawEdge(dc, &grip, BDR_RAISEDINNER, BF_RECT);
    }
  }
}

}  // namespace quillfen::vcl
