#include "Controls.h"

#include <windowsx.h>

#include <algorithm>
#include <map>

#include "TabOrder.h"

namespace quillfen::vcl {

namespace {

const char kControlProp[] = "QuillfenControl";

std::function<void(const std::exception&)>& ExceptionHandler() {
  static std::function<void(const std::exception&)> handler;
  return handler;
}

// Default window procedures of the registered classes, by class name.
std::map<std::string, WNDPROC>& ClassProcs() {
  static std::map<std::string, WNDPROC> procs;
  return procs;
}

std::map<TCursor, HCURSOR>& CursorTable() {
  static std::map<TCursor, HCURSOR> table;
  return table;
}

LPCSTR StandardCursorId(TCursor cursor) {
  switch (cursor) {
    case crCross: return IDC_CROSS;
    case crIBeam: return IDC_IBEAM;
    case crSizeNESW: return IDC_SIZENESW;
    case crSizeNS: case crVSplit: return IDC_SIZENS;
    case crSizeNWSE: return IDC_SIZENWSE;
    case crSizeWE: case crHSplit: return IDC_SIZEWE;
    case crUpArrow: return IDC_UPARROW;
    case crHourGlass: case crSQLWait: return IDC_WAIT;
    case crNo: case crNoDrop: return IDC_NO;
    case crAppStart: return IDC_APPSTARTING;
    case crHelp: return IDC_HELP;
    case crHandPoint: return IDC_HAND;
    case crSizeAll: return IDC_SIZEALL;
    default: return IDC_ARROW;
  }
}

// SaveDC/RestoreDC for one scope, with the origin moved to a child control.
class TChildDCState {
 public:
  TChildDCState(HDC dc, TPoint origin, int width, int height) : dc_(dc), saved_(::SaveDC(dc)) {
    ::OffsetViewportOrgEx(dc_, origin.X, origin.Y, nullptr);
    ::IntersectClipRect(dc_, 0, 0, width, height);
  }
  TChildDCState(const TChildDCState&) = delete;
  TChildDCState& operator=(const TChildDCState&) = delete;
  ~TChildDCState() { ::RestoreDC(dc_, saved_); }

 private:
  HDC dc_;
  int saved_;
};

bool IsFrameworkMessage(UINT message) { return message >= CM_BASE && message < CN_BASE + 0x400; }

}  // namespace

void SetExceptionHandler(std::function<void(const std::exception&)> handler) {
  ExceptionHandler() = std::move(handler);
}

void HandleWindowException(const std::exception& error) {
  if (ExceptionHandler()) {
    try {
      ExceptionHandler()(error);
    } catch (...) {
      // The handler itself must not take the window procedure down.
    }
    return;
  }
  ::MessageBoxA(nullptr, error.what(), "Error", MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

HCURSOR CursorHandle(TCursor cursor) {
  auto& table = CursorTable();
  if (auto it = table.find(cursor); it != table.end()) return it->second;
  if (cursor == crNone) return nullptr;
  if (cursor > 0) return CursorHandle(crDefault);
  HCURSOR handle = ::LoadCursorA(nullptr, StandardCursorId(cursor));
  table[cursor] = handle;
  return handle;
}

void RegisterCursor(TCursor cursor, HCURSOR handle) { CursorTable()[cursor] = handle; }

// ---------------------------------------------------------------- TControl

TControl::TControl(TComponent* owner) : TComponent(owner) {
  WindowProc = [this](TMessage& message) { WndProc(message); };
  font_.OnChange = [this] { FontChanged(); };
}

TControl::~TControl() {
  if (parent_) parent_->RemoveControl(this);
  parent_ = nullptr;
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent_) {
    Invalidate();
    parent_->RemoveControl(this);
  }
  parent_ = parent;
  if (!parent_) return;
  parent_->InsertControl(this);
  if (parentFont_) UpdateFromParentFont();
  if (parentColor_) UpdateFromParentColor();
  if (parentCtl3D_) Perform(CM_PARENTCTL3DCHANGED);
  Invalidate();
}

void TControl::SetBounds(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  Invalidate();
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  Invalidate();
}

void TControl::SetVisible(bool value) {
  if (value == visible_) return;
  if (!value) Invalidate();
  visible_ = value;
  if (value) Invalidate();
  Perform(CM_VISIBLECHANGED, value ? 1 : 0);
}

bool TControl::Showing() const { return visible_ && parent_ && parent_->Showing(); }

void TControl::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  Perform(CM_ENABLEDCHANGED);
}

void TControl::SetColor(TColor value) {
  parentColor_ = false;
  if (value == color_) return;
  color_ = value;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool value) {
  if (value == parentColor_) return;
  parentColor_ = value;
  if (value) UpdateFromParentColor();
}

void TControl::UpdateFromParentColor() {
  if (!parent_ || parent_->color_ == color_) return;
  color_ = parent_->color_;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentFont(bool value) {
  if (value == parentFont_) return;
  parentFont_ = value;
  if (value) UpdateFromParentFont();
}

void TControl::UpdateFromParentFont() {
  if (!parent_) return;
  takingParentFont_ = true;
  font_.Assign(parent_->font_);
  takingParentFont_ = false;
}

void TControl::FontChanged() {
  // A font set by hand stops following the parent.
  if (!takingParentFont_) parentFont_ = false;
  Perform(CM_FONTCHANGED);
}

void TControl::SetText(const std::string& text) {
  if (text == text_) return;
  text_ = text;
  Perform(CM_TEXTCHANGED);
}

void TControl::SetCtl3D(bool value) {
  if (!takingParentCtl3D_) parentCtl3D_ = false;
  if (value == ctl3D_) return;
  ctl3D_ = value;
  Perform(CM_CTL3DCHANGED);
}

void TControl::SetParentCtl3D(bool value) {
  if (value == parentCtl3D_) return;
  parentCtl3D_ = value;
  if (value && parent_) Perform(CM_PARENTCTL3DCHANGED);
}

void TControl::SetCursor(TCursor value) {
  if (value == cursor_) return;
  cursor_ = value;
  Perform(CM_CURSORCHANGED);
}

void TControl::SetAlign(TAlign value) {
  if (value == align_) return;
  align_ = value;
  if (parent_) parent_->AlignControls();
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::Invalidate() {
  if (!parent_ || !parent_->HandleAllocated() || !visible_) return;
  const RECT r{left_, top_, left_ + width_, top_ + height_};
  ::InvalidateRect(parent_->Handle(), &r, !(ControlStyle & csOpaque));
}

void TControl::Update() {
  if (parent_) parent_->Update();
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

LRESULT TControl::Perform(UINT message, WPARAM wParam, LPARAM lParam) {
  TMessage m{message, wParam, lParam, 0};
  WindowProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
    case CM_COLORCHANGED:
    case CM_SYSCOLORCHANGE: Invalidate(); return;
    case CM_PARENTFONTCHANGED: if (parentFont_) UpdateFromParentFont(); return;
    case CM_PARENTCTL3DCHANGED:
      if (parentCtl3D_ && parent_) {
        takingParentCtl3D_ = true;
        SetCtl3D(parent_->ctl3D_);
        takingParentCtl3D_ = false;
      }
      return;
    case CM_PARENTCOLORCHANGED: if (parentColor_) UpdateFromParentColor(); return;
    case WM_LBUTTONDOWN: mouseDown_ = true; return;
    case WM_LBUTTONUP: {
      const bool wasDown = mouseDown_;
      mouseDown_ = false;
      const int x = GET_X_LPARAM(m.LParam), y = GET_Y_LPARAM(m.LParam);
      if (wasDown && enabled_ && x >= 0 && y >= 0 && x < width_ && y < height_) Click();
      return;
    }
    default: DefaultHandler(m);
  }
}

// --------------------------------------------------------- TGraphicControl

void TGraphicControl::PaintNow() {
  TWinControl* parent = Parent();
  if (!parent || !parent->HandleAllocated() || !Showing()) return;
  TWindowDC dc(parent->Handle());
  TChildDCState state(dc.get(), OriginInParent(), Width(), Height());
  TGdiCanvas canvas(dc.get());
  Paint(canvas);
}

void TGraphicControl::Update() {
  if (Parent() && Parent()->HandleAllocated()) ::UpdateWindow(Parent()->Handle());
}

// ------------------------------------------------------------- TWinControl

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  DestroyComponents();
  while (!controls_.empty()) delete controls_.back();
  if (handle_) {
    // Messages of the dying window go to the class default, not to this half-destroyed object.
    HWND window = handle_;
    ::RemovePropA(window, kControlProp);
    handle_ = nullptr;
    ::DestroyWindow(window);
  }
}

TWinControl* TWinControl::FromHandle(HWND window) {
  if (!window) return nullptr;
  return static_cast<TWinControl*>(::GetPropA(window, kControlProp));
}

HWND TWinControl::Handle() {
  if (!handle_) CreateWnd();
  return handle_;
}

void TWinControl::CreateParams(TCreateParams& p) {
  p.Caption = TControl::GetText();
  p.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (Visible()) p.Style |= WS_VISIBLE;
  if (!Enabled()) p.Style |= WS_DISABLED;
  if (tabStop_) p.Style |= WS_TABSTOP;
  if (ControlStyle & csAcceptsControls) {
    p.Style |= WS_CLIPCHILDREN;
    p.ExStyle |= WS_EX_CONTROLPARENT;
  }
  p.X = Left();
  p.Y = Top();
  p.Width = Width();
  p.Height = Height();
  p.WndParent = Parent() ? Parent()->Handle() : nullptr;
  p.WinClassName = ClassName();
}

namespace {
WNDPROC RegisterFrameworkClass(const TCreateParams& p, WNDPROC trampoline) {
  auto& procs = ClassProcs();
  if (auto it = procs.find(p.WinClassName); it != procs.end()) return it->second;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  if (!p.SystemClass.empty()) {
    if (!::GetClassInfoExA(nullptr, p.SystemClass.c_str(), &wc))
      throw Exception("Unknown window class " + p.SystemClass);
    wc.cbSize = sizeof wc;
  } else {
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.style = p.ClassStyle;
  }
  const WNDPROC defaultProc = wc.lpfnWndProc;
  wc.lpfnWndProc = trampoline;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.lpszClassName = p.WinClassName.c_str();
  wc.hbrBackground = nullptr;  // WM_ERASEBKGND paints our own colour
  if (!::RegisterClassExA(&wc)) throw Exception("Cannot register window class " + p.WinClassName);
  procs[p.WinClassName] = defaultProc;
  return defaultProc;
}
}  // namespace

void TWinControl::CreateWnd() {
  TCreateParams p;
  CreateParams(p);
  if ((p.Style & WS_CHILD) && !p.WndParent)
    throw Exception("Control '" + Name() + "' has no parent window");
  defProc_ = RegisterFrameworkClass(p, StaticWndProc);
  HWND window = ::CreateWindowExA(p.ExStyle, p.WinClassName.c_str(), p.Caption.c_str(), p.Style,
                                  p.X, p.Y, p.Width, p.Height, p.WndParent, nullptr,
                                  ::GetModuleHandleA(nullptr), this);
  if (!window) throw Exception("Error creating window of class " + p.WinClassName);
  ::SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
  for (TWinControl* child : std::vector<TWinControl*>(tabList_)) child->HandleNeeded();
  SyncZOrder();
  HandleCreated();
  AlignControls();
}

void TWinControl::DestroyWnd() {
  if (!handle_) return;
  // Children first, so each keeps what only its window knew (text, selection).
  for (TControl* child : std::vector<TControl*>(controls_))
    if (auto* windowed = dynamic_cast<TWinControl*>(child)) windowed->DestroyWnd();
  text_ = GetText();
  destroyingHandle_ = true;
  ::DestroyWindow(handle_);  // WM_NCDESTROY clears handle_, also of the child windows
  destroyingHandle_ = false;
  handle_ = nullptr;
}

void TWinControl::RecreateWnd() {
  if (!handle_) return;
  const bool hadFocus = Focused();
  Perform(CM_RECREATEWND);  // a window-procedure subclass keeps itself over the new window
  DestroyWnd();
  HandleNeeded();
  // Top-level windows are created hidden; bring a shown one back.
  if (Visible() && !::IsWindowVisible(handle_)) ::ShowWindow(handle_, SW_SHOWNA);
  if (hadFocus) SetFocus();
}

LRESULT CALLBACK TWinControl::StaticWndProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  TWinControl* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<TWinControl*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    if (self) {
      self->handle_ = window;
      ::SetPropA(window, kControlProp, self);
    }
  } else {
    self = FromHandle(window);
  }
  if (!self) {
    char name[128] = {};
    ::GetClassNameA(window, name, sizeof name);
    auto it = ClassProcs().find(name);
    const WNDPROC fallback = it != ClassProcs().end() ? it->second : ::DefWindowProcA;
    return ::CallWindowProcA(fallback, window, message, wParam, lParam);
  }
  TMessage m{message, wParam, lParam, 0};
  try {
    self->WindowProc(m);
  } catch (const std::exception& error) {
    HandleWindowException(error);
  } catch (...) {
    HandleWindowException(Exception("Unknown error in a window procedure"));
  }
  if (message == WM_NCDESTROY) {
    ::RemovePropA(window, kControlProp);
    if (self->handle_ == window) self->handle_ = nullptr;
  }
  return m.Result;
}

void TWinControl::DefaultHandler(TMessage& m) {
  if (!handle_ || IsFrameworkMessage(m.Msg)) {
    m.Result = 0;
    return;
  }
  m.Result = ::CallWindowProcA(defProc_, handle_, m.Msg, m.WParam, m.LParam);
}

void TWinControl::InsertControl(TControl* control) {
  controls_.push_back(control);
  if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
    tabList_.push_back(windowed);
    // A value set before the control had a parent; while loading it waits for the siblings.
    if (windowed->storedTabOrder_ >= 0 && !windowed->IsLoading()) {
      MoveToTabOrder(tabList_, windowed, windowed->storedTabOrder_);
      windowed->storedTabOrder_ = -1;
    }
    if (handle_) {
      if (windowed->handle_)
        ::SetParent(windowed->handle_, handle_);
      else
        windowed->HandleNeeded();
      SyncZOrder();
    }
  }
  if (control->Align() != TAlign::alNone) AlignControls();
}

void TWinControl::RemoveControl(TControl* control) {
  if (hover_ == control) hover_ = nullptr;
  if (captureControl_ == control) {
    captureControl_ = nullptr;
    if (handle_ && ::GetCapture() == handle_) ::ReleaseCapture();
  }
  controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
  tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), control), tabList_.end());
}

void TWinControl::SyncZOrder() {
  if (!handle_) return;
  HWND previous = nullptr;  // HWND_TOP
  for (TWinControl* child : tabList_) {
    if (!child->handle_) continue;
    const HWND above = previous ? ::GetWindow(previous, GW_HWNDNEXT) : ::GetWindow(handle_, GW_CHILD);
    if (above != child->handle_)
      ::SetWindowPos(child->handle_, previous ? previous : HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    previous = child->handle_;
  }
}

void TWinControl::SetTabStop(bool value) {
  if (value == tabStop_) return;
  tabStop_ = value;
  if (!handle_) return;
  const LONG style = ::GetWindowLongA(handle_, GWL_STYLE);
  ::SetWindowLongA(handle_, GWL_STYLE, value ? style | WS_TABSTOP : style & ~static_cast<LONG>(WS_TABSTOP));
}

int TWinControl::TabOrder() const {
  if (storedTabOrder_ >= 0) return storedTabOrder_;
  if (!Parent()) return -1;
  const auto& list = Parent()->tabList_;
  const auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int value) {
  if (IsLoading() || !Parent()) {
    storedTabOrder_ = std::max(value, 0);
    return;
  }
  storedTabOrder_ = -1;
  MoveToTabOrder(Parent()->tabList_, this, value);
  Parent()->SyncZOrder();
}

void TWinControl::Loaded() {
  TControl::Loaded();
  std::vector<std::pair<TWinControl*, int>> stored;
  for (TWinControl* child : tabList_) {
    if (child->storedTabOrder_ < 0) continue;
    stored.emplace_back(child, child->storedTabOrder_);
    child->storedTabOrder_ = -1;
  }
  if (!stored.empty()) {
    ApplyTabOrders(tabList_, std::move(stored));
    SyncZOrder();
  }
  // A parent that was not loaded with this control left the value here.
  if (storedTabOrder_ >= 0 && Parent()) SetTabOrder(storedTabOrder_);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
  for (TWinControl* child : tabList_) {
    list.push_back(child);
    child->GetTabOrderList(list);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool forward, bool checkTabStop) const {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  const auto it = std::find(list.begin(), list.end(), current);
  const int index = it == list.end() ? -1 : static_cast<int>(it - list.begin());
  const int next = NextTabIndex(static_cast<int>(list.size()), index, forward, [&](int i) {
    const TWinControl* c = list[static_cast<size_t>(i)];
    return c->CanFocus() && (!checkTabStop || c->TabStop());
  });
  return next < 0 ? nullptr : list[static_cast<size_t>(next)];
}

void TWinControl::SelectNext(TWinControl* current, bool forward, bool checkTabStop) {
  // The window's own focus call: a control's SetFocus may note more than a
  // move by the keyboard should (the button edit's saved text).
  if (TWinControl* next = FindNextControl(current, forward, checkTabStop)) ::SetFocus(next->Handle());
}

TWinControl* TWinControl::FindControl(HWND window) {
  for (HWND w = window; w; w = ::GetParent(w))
    if (TWinControl* control = FromHandle(w)) return control;
  return nullptr;
}

void TWinControl::SetParent(TWinControl* parent) {
  if (parent == Parent()) return;
  if (handle_ && !parent) DestroyWnd();
  TControl::SetParent(parent);
}

TControl* TWinControl::ControlAtPos(TPoint p, bool graphicOnly) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (!c->Visible()) continue;
    if (graphicOnly && dynamic_cast<TWinControl*>(c)) continue;
    if (p.X >= c->Left() && p.Y >= c->Top() && p.X < c->Left() + c->Width() &&
        p.Y < c->Top() + c->Height())
      return c;
  }
  return nullptr;
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  if (left == Left() && top == Top() && width == Width() && height == Height()) return;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  if (handle_)
    ::SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  else
    AlignControls();
}

TRect TWinControl::ClientRect() const {
  if (!handle_) return TControl::ClientRect();
  RECT r{};
  ::GetClientRect(handle_, &r);
  return {r.left, r.top, r.right, r.bottom};
}

void TWinControl::SetVisible(bool value) {
  if (value == Visible()) return;
  visible_ = value;
  if (handle_) ::ShowWindow(handle_, value ? SW_SHOWNA : SW_HIDE);
  Perform(CM_VISIBLECHANGED, value ? 1 : 0);
}

bool TWinControl::Showing() const { return handle_ && ::IsWindowVisible(handle_); }

void TWinControl::SetEnabled(bool value) {
  if (value == Enabled()) return;
  enabled_ = value;
  if (handle_) ::EnableWindow(handle_, value);
  Perform(CM_ENABLEDCHANGED);
}

std::string TWinControl::GetText() const {
  if (!handle_) return TControl::GetText();
  const int length = ::GetWindowTextLengthA(handle_);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const int copied = ::GetWindowTextA(handle_, text.data(), length + 1);
  text.resize(static_cast<size_t>(std::max(copied, 0)));
  return text;
}

void TWinControl::SetText(const std::string& text) {
  if (text == GetText()) return;
  text_ = text;
  if (handle_) ::SetWindowTextA(handle_, text.c_str());
  Perform(CM_TEXTCHANGED);
}

void TWinControl::SetFocus() { ::SetFocus(Handle()); }

bool TWinControl::Focused() const { return handle_ && ::GetFocus() == handle_; }

bool TWinControl::CanFocus() const {
  if (!Showing()) return false;
  for (const TControl* c = this; c; c = c->Parent())
    if (!c->Enabled()) return false;
  return true;
}

void TWinControl::Invalidate() {
  if (handle_) ::InvalidateRect(handle_, nullptr, !(ControlStyle & csOpaque));
}

void TWinControl::Update() {
  if (handle_) ::UpdateWindow(handle_);
}

void TWinControl::Repaint() {
  if (!handle_) return;
  ::RedrawWindow(handle_, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

LRESULT TWinControl::Perform(UINT message, WPARAM wParam, LPARAM lParam) {
  if (handle_) return ::SendMessageA(handle_, message, wParam, lParam);
  return TControl::Perform(message, wParam, lParam);
}

void TWinControl::Broadcast(UINT message, WPARAM wParam, LPARAM lParam) {
  for (TControl* c : std::vector<TControl*>(controls_)) c->Perform(message, wParam, lParam);
}

LRESULT TWinControl::BroadcastUntilHandled(UINT message, WPARAM wParam, LPARAM lParam) {
  for (TControl* c : std::vector<TControl*>(controls_)) {
    if (LRESULT result = c->Perform(message, wParam, lParam)) return result;
    if (auto* windowed = dynamic_cast<TWinControl*>(c))
      if (LRESULT result = windowed->BroadcastUntilHandled(message, wParam, lParam)) return result;
  }
  return 0;
}

void TWinControl::AlignControls() {
  TRect area = ClientRect();
  auto place = [&](TAlign which) {
    for (TControl* c : controls_) {
      if (c->Align() != which || !c->Visible()) continue;
      switch (which) {
        case TAlign::alTop:
          c->SetBounds(area.Left, area.Top, area.Width(), c->Height());
          area.Top += c->Height();
          break;
        case TAlign::alBottom:
          c->SetBounds(area.Left, area.Bottom - c->Height(), area.Width(), c->Height());
          area.Bottom -= c->Height();
          break;
        case TAlign::alLeft:
          c->SetBounds(area.Left, area.Top, c->Width(), area.Height());
          area.Left += c->Width();
          break;
        case TAlign::alRight:
          c->SetBounds(area.Right - c->Width(), area.Top, c->Width(), area.Height());
          area.Right -= c->Width();
          break;
        case TAlign::alClient: c->SetBounds(area.Left, area.Top, area.Width(), area.Height()); break;
        case TAlign::alNone: break;
      }
    }
  };
  for (TAlign which : {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight,
                       TAlign::alClient})
    place(which);
}

HBRUSH TWinControl::BackgroundBrush() {
  if (!brush_ || brushColor_ != Color()) {
    brush_ = MakeSolidBrush(Color());
    brushColor_ = Color();
  }
  return static_cast<HBRUSH>(brush_.get());
}

void TWinControl::FontChanged() {
  TControl::FontChanged();
  if (handle_) ::SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
  Broadcast(CM_PARENTFONTCHANGED);
}

void TWinControl::PaintWindow(HDC dc) {
  if (OwnClass()) return;  // the background came with WM_ERASEBKGND
  ::CallWindowProcA(defProc_, handle_, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
}

void TWinControl::PaintControls(HDC dc) {
  for (TControl* c : std::vector<TControl*>(controls_)) {
    auto* graphic = dynamic_cast<TGraphicControl*>(c);
    if (!graphic || !graphic->Visible()) continue;
    try {
      TChildDCState state(dc, graphic->OriginInParent(), graphic->Width(), graphic->Height());
      TGdiCanvas canvas(dc);
      graphic->PaintTo(canvas);
    } catch (const std::exception& error) {
      HandleWindowException(error);
    }
  }
}

void TWinControl::PaintHandler(TMessage& m) {
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  PAINTSTRUCT ps{};
  struct EndPaintGuard {
    HWND window;
    PAINTSTRUCT* ps;
    ~EndPaintGuard() {
      if (window) ::EndPaint(window, ps);
    }
  } guard{nullptr, &ps};
  if (!dc) {
    dc = ::BeginPaint(handle_, &ps);
    guard.window = handle_;
  }
  PaintWindow(dc);
  PaintControls(dc);
  m.Result = 0;
}

void TWinControl::CtlColor(TMessage& m) {
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  ::SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(Font().Color())) & 0xFFFFFF);
  ::SetBkColor(dc, static_cast<COLORREF>(ColorToRGB(Color())) & 0xFFFFFF);
  m.Result = reinterpret_cast<LRESULT>(BackgroundBrush());
}

void TWinControl::UpdateHover(TControl* control) {
  if (control == hover_) return;
  TControl* old = hover_;
  hover_ = control;
  if (old) old->Perform(CM_MOUSELEAVE);
  if (control) control->Perform(CM_MOUSEENTER);
}

void TWinControl::DispatchMouse(TMessage& m) {
  const TPoint p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
  TControl* target = captureControl_ ? captureControl_ : ControlAtPos(p);
  if (m.Msg == WM_MOUSEMOVE) {
    if (!trackingLeave_) {
      TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, handle_, 0};
      trackingLeave_ = ::TrackMouseEvent(&track) != FALSE;
      Perform(CM_MOUSEENTER);
    }
    UpdateHover(captureControl_ ? hover_ : target);
  }
  if (!target) {
    DefaultHandler(m);
    return;
  }
  if ((m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK) &&
      (target->ControlStyle & csCaptureMouse)) {
    captureControl_ = target;
    ::SetCapture(handle_);
  }
  const LPARAM local = MAKELPARAM(p.X - target->Left(), p.Y - target->Top());
  UINT message = m.Msg;
  if (message == WM_LBUTTONDBLCLK && !(target->ControlStyle & csDoubleClicks)) message = WM_LBUTTONDOWN;
  m.Result = target->Perform(message, m.WParam, local);
  if (m.Msg == WM_LBUTTONUP && captureControl_) {
    captureControl_ = nullptr;
    ::ReleaseCapture();
  }
}

void TWinControl::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_PAINT:
      if (OwnClass() || ControlCount() > 0) PaintHandler(m);
      else DefaultHandler(m);
      return;
    case WM_ERASEBKGND:
      if (!OwnClass()) break;
      {
        RECT r{};
        ::GetClientRect(handle_, &r);
        ::FillRect(reinterpret_cast<HDC>(m.WParam), &r, BackgroundBrush());
        m.Result = 1;
      }
      return;
    case WM_COMMAND:
      if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(m.LParam))) {
        m.Result = child->Perform(CN_COMMAND, m.WParam, m.LParam);
        return;
      }
      break;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(m.LParam);
      if (TWinControl* child = header ? FromHandle(header->hwndFrom) : nullptr) {
        m.Result = child->Perform(CN_NOTIFY, m.WParam, m.LParam);
        return;
      }
      break;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam);
      if (TWinControl* child = item ? FromHandle(item->hwndItem) : nullptr) {
        m.Result = child->Perform(CN_DRAWITEM, m.WParam, m.LParam);
        return;
      }
      break;
    }
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
      if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(m.LParam))) {
        m.Result = child->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
        return;
      }
      break;
    case CN_CTLCOLORBTN:
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORSTATIC: CtlColor(m); return;
    case CN_COMMAND: Command(HIWORD(m.WParam)); m.Result = 0; return;
    case WM_WINDOWPOSCHANGED: {
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(m.LParam);
      if (!(pos->flags & SWP_NOMOVE)) {
        left_ = pos->x;
        top_ = pos->y;
      }
      if (!(pos->flags & SWP_NOSIZE)) {
        width_ = pos->cx;
        height_ = pos->cy;
      }
      DefaultHandler(m);
      return;
    }
    case WM_SIZE:
      DefaultHandler(m);
      AlignControls();
      return;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK: DispatchMouse(m); return;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(m.LParam) != handle_) captureControl_ = nullptr;
      break;
    case WM_MOUSELEAVE:
      trackingLeave_ = false;
      UpdateHover(nullptr);
      Perform(CM_MOUSELEAVE);
      DefaultHandler(m);
      return;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(m.WParam) == handle_ && LOWORD(m.LParam) == HTCLIENT) {
        POINT screen{};
        ::GetCursorPos(&screen);
        ::ScreenToClient(handle_, &screen);
        TControl* over = ControlAtPos({screen.x, screen.y});
        TCursor cursor = over && over->Cursor() != crDefault ? over->Cursor() : Cursor();
        if (cursor != crDefault) {
          ::SetCursor(CursorHandle(cursor));
          m.Result = TRUE;
          return;
        }
      }
      break;
    case WM_SETFOCUS:
      DefaultHandler(m);
      Perform(CM_ENTER);
      if (TWinControl* form = GetParentForm(this))
        form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(static_cast<TControl*>(this)));
      return;
    case CM_FOCUSCHANGED: Broadcast(m.Msg, m.WParam, m.LParam); return;
    case CM_CTL3DCHANGED:
      Invalidate();
      Broadcast(CM_PARENTCTL3DCHANGED);
      return;
    case WM_KILLFOCUS:
      DefaultHandler(m);
      Perform(CM_EXIT);
      return;
    case WM_SYSCOLORCHANGE: Perform(CM_SYSCOLORCHANGE); DefaultHandler(m); return;
    case WM_CLOSE:
      // A multi-line edit closes its parent on Escape; a control inside a form stays.
      if (Parent()) {
        m.Result = 0;
        return;
      }
      break;
    case CM_SYSCOLORCHANGE:
      brush_.reset();
      Invalidate();
      Broadcast(CM_SYSCOLORCHANGE);
      return;
    case CM_COLORCHANGED:
      Invalidate();
      Broadcast(CM_PARENTCOLORCHANGED);
      return;
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED: Invalidate(); return;
    case CM_PARENTFONTCHANGED:
    case CM_PARENTCOLORCHANGED:
    case CM_PARENTCTL3DCHANGED: TControl::WndProc(m); return;
    default: break;
  }
  DefaultHandler(m);
}

TWinControl* GetParentForm(TControl* control) {
  TWinControl* top = nullptr;
  for (TControl* c = control; c; c = c->Parent())
    if (auto* windowed = dynamic_cast<TWinControl*>(c)) top = windowed;
  return top && top->IsForm() ? top : nullptr;
}

}  // namespace quillfen::vcl
