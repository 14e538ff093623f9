#include "StdCtrls.h"

#include "Forms.h"

namespace quillfen::vcl {

// ------------------------------------------------------------- buttons

TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner) {
  SetParentColor(true);
  SetTabStop(true);
}

void TButtonControl::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClass = "BUTTON";
}

TButton::TButton(TComponent* owner) : TButtonControl(owner) { SetBounds(0, 0, 75, 25); }

void TButton::SetDefault(bool value) {
  if (value == default_) return;
  default_ = value;
  if (HandleAllocated())
    ::SendMessageA(Handle(), BM_SETSTYLE, value ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::CreateParams(TCreateParams& p) {
  TButtonControl::CreateParams(p);
  p.Style |= default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::Click() {
  if (modalResult_ != mrNone)
    if (auto* form = dynamic_cast<TCustomForm*>(GetParentForm(this))) form->SetModalResult(modalResult_);
  TButtonControl::Click();
}

void TButton::WndProc(TMessage& m) {
  if (m.Msg == CM_FOCUSCHANGED && HandleAllocated()) {
    auto* focused = reinterpret_cast<TControl*>(m.LParam);
    const bool framed = dynamic_cast<TButton*>(focused) ? focused == this : default_;
    const bool isFramed = (::GetWindowLongA(Handle(), GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON;
    if (framed != isFramed)
      ::SendMessageA(Handle(), BM_SETSTYLE, framed ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  }
  TButtonControl::WndProc(m);
}

void TButton::Command(WORD notifyCode) {
  if (notifyCode == BN_CLICKED) Click();
}

TCheckBox::TCheckBox(TComponent* owner) : TButtonControl(owner) { SetBounds(0, 0, 97, 17); }

void TCheckBox::CreateParams(TCreateParams& p) {
  TButtonControl::CreateParams(p);
  p.Style |= BS_3STATE;  // the state is ours; clicks cycle it in Command
}

void TCheckBox::HandleCreated() {
  ::SendMessageA(Handle(), BM_SETCHECK, static_cast<WPARAM>(state_), 0);
}

TCheckBoxState TCheckBox::State() const { return state_; }

void TCheckBox::SetState(TCheckBoxState value) {
  if (value == state_) return;
  state_ = value;
  if (HandleAllocated()) ::SendMessageA(Handle(), BM_SETCHECK, static_cast<WPARAM>(value), 0);
  Click();
}

void TCheckBox::Command(WORD notifyCode) {
  if (notifyCode != BN_CLICKED) return;
  SetState(state_ == TCheckBoxState::cbChecked ? TCheckBoxState::cbUnchecked
                                               : TCheckBoxState::cbChecked);
}

TCustomGroupBox::TCustomGroupBox(TComponent* owner) : TWinControl(owner) {
  ControlStyle |= csAcceptsControls;
  SetParentColor(true);
  SetBounds(0, 0, 185, 105);
}

void TCustomGroupBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClass = "BUTTON";
  p.Style |= BS_GROUPBOX;
}

void TCustomGroupBox::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_NCHITTEST:
      // The system group box is transparent to the mouse; ours holds controls.
      m.Result = HTCLIENT;
      return;
    case WM_ERASEBKGND: {
      RECT r{};
      ::GetClientRect(Handle(), &r);
      ::FillRect(reinterpret_cast<HDC>(m.WParam), &r, BackgroundBrush());
      m.Result = 1;
      return;
    }
    default: TWinControl::WndProc(m);
  }
}

// ---------------------------------------------------------------- edits

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
  SetTabStop(true);
  SetBounds(0, 0, 121, 21);
}

void TCustomEdit::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClass = "EDIT";
  p.Style |= ES_AUTOHSCROLL;
  if (readOnly_) p.Style |= ES_READONLY;
  if (borderStyle_ == TBorderStyle::bsSingle) {
    if (Ctl3D()) p.ExStyle |= WS_EX_CLIENTEDGE;
    else p.Style |= WS_BORDER;
  }
}

void TCustomEdit::SetReadOnly(bool value) {
  if (value == readOnly_) return;
  readOnly_ = value;
  if (HandleAllocated()) ::SendMessageA(Handle(), EM_SETREADONLY, value, 0);
}

void TCustomEdit::SetMaxLength(int value) {
  if (value == maxLength_) return;
  maxLength_ = value;
  if (HandleAllocated()) ::SendMessageA(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(value), 0);
}

void TCustomEdit::SetBorderStyle(TBorderStyle value) {
  if (value == borderStyle_) return;
  borderStyle_ = value;
  RecreateWnd();
}

void TCustomEdit::SelectAll() {
  if (HandleAllocated()) ::SendMessageA(Handle(), EM_SETSEL, 0, -1);
}

bool TCustomEdit::Modified() const {
  return HandleAllocated() &&
         ::SendMessageA(const_cast<TCustomEdit*>(this)->Handle(), EM_GETMODIFY, 0, 0) != 0;
}

void TCustomEdit::Command(WORD notifyCode) {
  if (notifyCode == EN_CHANGE && OnChange) OnChange(this);
}

void TCustomEdit::WndProc(TMessage& m) {
  // Entered by the keyboard: all the text selected, as in a dialog; a click places the caret.
  if (m.Msg == CM_ENTER && AutoSelect && HandleAllocated() && ::GetKeyState(VK_LBUTTON) >= 0 &&
      !(::GetWindowLongA(Handle(), GWL_STYLE) & ES_MULTILINE))
    SelectAll();
  TWinControl::WndProc(m);
  if (m.Msg == CM_CTL3DCHANGED && borderStyle_ == TBorderStyle::bsSingle) RecreateWnd();
  if (m.Msg == WM_CREATE && maxLength_ > 0)
    ::SendMessageA(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
}

TCustomMemo::TCustomMemo(TComponent* owner) : TCustomEdit(owner) {
  AutoSelect = false;
  SetBounds(0, 0, 185, 89);
}

void TCustomMemo::CreateParams(TCreateParams& p) {
  TCustomEdit::CreateParams(p);
  p.Style |= ES_MULTILINE | ES_AUTOVSCROLL;
  if (WantReturns) p.Style |= ES_WANTRETURN;
  if (WordWrap) p.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
  if (ScrollBars == TScrollStyle::ssVertical || ScrollBars == TScrollStyle::ssBoth) p.Style |= WS_VSCROLL;
  if (ScrollBars == TScrollStyle::ssHorizontal || ScrollBars == TScrollStyle::ssBoth) p.Style |= WS_HSCROLL;
}

void TCustomMemo::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_GETDLGCODE:
      // Tab and Escape stay the form's; Enter is claimed below when wanted.
      TCustomEdit::WndProc(m);
      m.Result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB);
      return;
    case CM_WANTSPECIALKEY: m.Result = m.WParam == VK_RETURN && WantReturns ? 1 : 0; return;
    case WM_KEYDOWN:
      // The system's multi-line edit would close its parent window on Escape.
      if (m.WParam == VK_ESCAPE) {
        m.Result = 0;
        return;
      }
      break;
    default: break;
  }
  TCustomEdit::WndProc(m);
}

std::vector<std::string> TCustomMemo::Lines() const {
  std::vector<std::string> lines;
  const std::string text = GetText();
  if (text.empty()) return lines;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = text.find('\n', start);
    std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (end == std::string::npos) {
      if (!line.empty()) lines.push_back(line);
      break;
    }
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

void TCustomMemo::SetLines(const std::vector<std::string>& lines) {
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) text += "\r\n";
    text += lines[i];
  }
  SetText(text);
}

void TCustomMemo::AddLine(const std::string& line) {
  auto lines = Lines();
  lines.push_back(line);
  SetLines(lines);
}

// ------------------------------------------------------------- list box

TListBox::TListBox(TComponent* owner) : TWinControl(owner) {
  SetTabStop(true);
  SetBounds(0, 0, 121, 97);
}

void TListBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClass = "LISTBOX";
  p.Style |= LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL;
  if (multiSelect_) p.Style |= ExtendedSelect ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
  if (borderStyle_ == TBorderStyle::bsSingle) {
    if (Ctl3D()) p.ExStyle |= WS_EX_CLIENTEDGE;
    else p.Style |= WS_BORDER;
  }
}

void TListBox::SetScrollWidth(int value) {
  if (value < 0) value = 0;
  if (value == scrollWidth_) return;
  scrollWidth_ = value;
  if (HandleAllocated()) ::SendMessageA(Handle(), LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(value), 0);
}

void TListBox::HandleCreated() {
  HWND list = Handle();
  for (const auto& item : items_) ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  ::SendMessageA(list, LB_SETITEMHEIGHT, 0, itemHeight_);
  ::SendMessageA(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(scrollWidth_), 0);
  for (size_t i = 0; i < savedSelection_.size() && i < items_.size(); ++i)
    if (savedSelection_[i]) SetSelected(static_cast<int>(i), true);
  savedSelection_.clear();
}

void TListBox::DestroyWnd() {
  savedSelection_.assign(items_.size(), false);
  for (int i = 0; i < Count(); ++i) savedSelection_[static_cast<size_t>(i)] = Selected(i);
  TWinControl::DestroyWnd();
}

void TListBox::SetItems(const std::vector<std::string>& items) {
  Clear();
  for (const auto& item : items) Add(item);
}

int TListBox::Add(const std::string& item) {
  items_.push_back(item);
  if (HandleAllocated()) ::SendMessageA(Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  return Count() - 1;
}

void TListBox::Clear() {
  items_.clear();
  if (HandleAllocated()) ::SendMessageA(Handle(), LB_RESETCONTENT, 0, 0);
}

void TListBox::SetMultiSelect(bool value) {
  if (value == multiSelect_) return;
  multiSelect_ = value;
  RecreateWnd();
}

bool TListBox::Selected(int index) const {
  if (index < 0 || index >= Count() || !HandleAllocated()) return false;
  HWND list = const_cast<TListBox*>(this)->Handle();
  if (multiSelect_) return ::SendMessageA(list, LB_GETSEL, static_cast<WPARAM>(index), 0) > 0;
  return ::SendMessageA(list, LB_GETCURSEL, 0, 0) == index;
}

void TListBox::SetSelected(int index, bool value) {
  if (index < 0 || index >= Count()) return;
  HWND list = Handle();
  if (multiSelect_) {
    ::SendMessageA(list, LB_SETSEL, value, index);
    return;
  }
  if (value) ::SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  else if (Selected(index)) ::SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

int TListBox::SelCount() const {
  if (!HandleAllocated()) return 0;
  HWND list = const_cast<TListBox*>(this)->Handle();
  if (multiSelect_) return static_cast<int>(::SendMessageA(list, LB_GETSELCOUNT, 0, 0));
  return ::SendMessageA(list, LB_GETCURSEL, 0, 0) >= 0 ? 1 : 0;
}

int TListBox::ItemIndex() const {
  if (!HandleAllocated()) return -1;
  HWND list = const_cast<TListBox*>(this)->Handle();
  if (multiSelect_) return static_cast<int>(::SendMessageA(list, LB_GETCARETINDEX, 0, 0));
  return static_cast<int>(::SendMessageA(list, LB_GETCURSEL, 0, 0));
}

void TListBox::SetItemIndex(int index) {
  HWND list = Handle();
  if (multiSelect_) ::SendMessageA(list, LB_SETCARETINDEX, static_cast<WPARAM>(index), FALSE);
  else ::SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TListBox::SetItemHeight(int value) {
  if (value == itemHeight_ || value <= 0) return;
  itemHeight_ = value;
  if (HandleAllocated()) ::SendMessageA(Handle(), LB_SETITEMHEIGHT, 0, value);
}

void TListBox::SetBorderStyle(TBorderStyle value) {
  if (value == borderStyle_) return;
  borderStyle_ = value;
  RecreateWnd();
}

// ---------------------------------------------------------------- label

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner) {
  SetParentColor(true);
  SetBounds(0, 0, 65, 17);
}

#define QF_LABEL_SETTER(Name, Field, Type) \
  void TCustomLabel::Set##Name(Type value) { \
    if (value == Field) return;              \
    Field = value;                           \
    AdjustBounds();                          \
    Invalidate();                            \
  }
QF_LABEL_SETTER(Alignment, alignment_, TAlignment)
QF_LABEL_SETTER(Layout, layout_, TTextLayout)
QF_LABEL_SETTER(AutoSize, autoSize_, bool)
QF_LABEL_SETTER(WordWrap, wordWrap_, bool)
QF_LABEL_SETTER(Transparent, transparent_, bool)
QF_LABEL_SETTER(ShowAccelChar, showAccelChar_, bool)
#undef QF_LABEL_SETTER

unsigned TCustomLabel::DrawTextFlags() const {
  unsigned flags = dtExpandTabs;
  if (wordWrap_) flags |= dtWordBreak;
  if (!showAccelChar_) flags |= dtNoPrefix;
  if (alignment_ == TAlignment::taCenter) flags |= dtCenter;
  if (alignment_ == TAlignment::taRightJustify) flags |= dtRight;
  return flags;
}

void TCustomLabel::DoDrawText(TCanvas& canvas, TRect& rect, unsigned flags) {
  std::string text = Caption();
  if ((flags & dtCalcRect) && (text.empty() || (showAccelChar_ && text == "&"))) text += ' ';
  canvas.Font = Font().State();
  if (Enabled() || (flags & dtCalcRect)) {
    canvas.DrawText(text, rect, flags);
    return;
  }
  TRect shifted{rect.Left + 1, rect.Top + 1, rect.Right + 1, rect.Bottom + 1};
  canvas.Font.Color = clBtnHighlight;
  canvas.DrawText(text, shifted, flags);
  canvas.Font.Color = clBtnShadow;
  canvas.DrawText(text, rect, flags);
}

void TCustomLabel::Paint(TCanvas& canvas) {
  TRect rect = ClientRect();
  canvas.Brush.Color = Color();
  canvas.Brush.Style = TBrushStyle::bsSolid;
  if (!transparent_) canvas.FillRect(rect);
  canvas.Brush.Style = TBrushStyle::bsClear;
  const unsigned flags = DrawTextFlags();
  if (layout_ != TTextLayout::tlTop) {
    TRect measured = rect;
    DoDrawText(canvas, measured, flags | dtCalcRect);
    const int offset = layout_ == TTextLayout::tlBottom ? rect.Height() - measured.Height()
                                                         : (rect.Height() - measured.Height()) / 2;
    rect.Top += offset;
    rect.Bottom += offset;
  }
  DoDrawText(canvas, rect, flags);
}

void TCustomLabel::AdjustBounds() {
  if (!autoSize_ || IsLoading()) return;
  TWindowDC screen(nullptr);
  TGdiCanvas canvas(screen.get());
  TRect rect = ClientRect();
  if (!wordWrap_) rect.Right = rect.Left + 0x7FFF;
  DoDrawText(canvas, rect, DrawTextFlags() | dtCalcRect);
  int left = Left();
  if (alignment_ == TAlignment::taRightJustify) left += Width() - rect.Right;
  if (alignment_ == TAlignment::taCenter) left += (Width() - rect.Right) / 2;
  SetBounds(left, Top(), rect.Right, rect.Bottom);
}

void TCustomLabel::WndProc(TMessage& m) {
  TGraphicControl::WndProc(m);
  if (m.Msg == CM_TEXTCHANGED || m.Msg == CM_FONTCHANGED) AdjustBounds();
}

}  // namespace quillfen::vcl
