#include "Forms.h"

#include <algorithm>
#include <functional>

#include "Math.h"
#include "StdCtrls.h"

namespace quillfen::vcl {

// ----------------------------------------------------------- TCustomForm

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {
  SetVisible(false);
  SetParentFont(false);
  SetColor(clBtnFace);
  ControlStyle |= csAcceptsControls;
  SetBounds(0, 0, 320, 240);
  Screen().forms_.push_back(this);
}

TCustomForm::~TCustomForm() {
  auto& forms = Screen().forms_;
  forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
  if (Application().MainForm() == this) Application().SetMainForm(nullptr);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle value) {
  if (value == borderStyle_) return;
  borderStyle_ = value;
  RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons value) {
  if (value == borderIcons_) return;
  borderIcons_ = value;
  RecreateWnd();
}

void TCustomForm::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.Style &= ~static_cast<DWORD>(WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS);
  p.Style |= WS_CLIPCHILDREN;
  p.ExStyle |= WS_EX_CONTROLPARENT;
  // Owned by the application's window, which carries the task bar button.
  p.WndParent = Application().Handle();
  bool canMinMax = false;
  switch (borderStyle_) {
    case TFormBorderStyle::bsNone: p.Style |= WS_POPUP; break;
    case TFormBorderStyle::bsSingle: p.Style |= WS_CAPTION; canMinMax = true; break;
    case TFormBorderStyle::bsSizeable: p.Style |= WS_CAPTION | WS_THICKFRAME; canMinMax = true; break;
    case TFormBorderStyle::bsDialog:
      p.Style |= WS_POPUP | WS_CAPTION;
      p.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
      break;
    case TFormBorderStyle::bsToolWindow: p.Style |= WS_CAPTION; p.ExStyle |= WS_EX_TOOLWINDOW; break;
    case TFormBorderStyle::bsSizeToolWin:
      p.Style |= WS_CAPTION | WS_THICKFRAME;
      p.ExStyle |= WS_EX_TOOLWINDOW;
      break;
  }
  if (borderStyle_ != TFormBorderStyle::bsNone && (borderIcons_ & biSystemMenu)) {
    p.Style |= WS_SYSMENU;
    if (canMinMax && (borderIcons_ & biMinimize)) p.Style |= WS_MINIMIZEBOX;
    if (canMinMax && (borderIcons_ & biMaximize)) p.Style |= WS_MAXIMIZEBOX;
    if ((borderIcons_ & biHelp) && !(p.Style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)))
      p.ExStyle |= WS_EX_CONTEXTHELP;
  }
}

void TCustomForm::SetClientSize(int width, int height) {
  TCreateParams p;
  CreateParams(p);
  DWORD style = p.Style, exStyle = p.ExStyle;
  if (HandleAllocated()) {
    style = static_cast<DWORD>(::GetWindowLongA(Handle(), GWL_STYLE));
    exStyle = static_cast<DWORD>(::GetWindowLongA(Handle(), GWL_EXSTYLE));
  }
  RECT r{0, 0, width, height};
  ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
  SetBounds(Left(), Top(), r.right - r.left, r.bottom - r.top);
}

namespace {
void ScaleControl(TControl* c, int m, int d) {
  c->SetBounds(MulDiv(c->Left(), m, d), MulDiv(c->Top(), m, d), MulDiv(c->Width(), m, d),
               MulDiv(c->Height(), m, d));
  if (!c->ParentFont()) {
    c->Font().SetHeight(MulDiv(c->Font().Height(), m, d));
  }
  if (auto* w = dynamic_cast<TWinControl*>(c))
    for (int i = 0; i < w->ControlCount(); ++i) ScaleControl(w->Controls(i), m, d);
}
}  // namespace

void TCustomForm::ScaleBy(int multiplier, int divisor) {
  if (multiplier == divisor || divisor == 0) return;
  const TRect client = ClientRect();
  for (int i = 0; i < ControlCount(); ++i) ScaleControl(Controls(i), multiplier, divisor);
  Font().SetHeight(MulDiv(Font().Height(), multiplier, divisor));
  SetClientSize(MulDiv(client.Width(), multiplier, divisor),
                MulDiv(client.Height(), multiplier, divisor));
}

void TCustomForm::PlaceOnScreen() {
  if (Position != TPosition::poScreenCenter && Position != TPosition::poDesktopCenter &&
      Position != TPosition::poMainFormCenter)
    return;
  int areaLeft = 0, areaTop = 0, areaWidth = Screen().Width(), areaHeight = Screen().Height();
  TCustomForm* main = Application().MainForm();
  if (Position == TPosition::poMainFormCenter && main && main != this && main->HandleAllocated()) {
    areaLeft = main->Left();
    areaTop = main->Top();
    areaWidth = main->Width();
    areaHeight = main->Height();
  }
  SetBounds(areaLeft + (areaWidth - Width()) / 2, areaTop + (areaHeight - Height()) / 2, Width(),
            Height());
}

void TCustomForm::Show() {
  HWND window = Handle();
  if (Application().MainForm() == this) Application().ShowHandle();
  // A centred form is centred again at every show, wherever it was moved.
  if (!::IsWindowVisible(window)) PlaceOnScreen();
  SetVisible(true);
  ::ShowWindow(window, SW_SHOW);
  ::SetForegroundWindow(window);
  ::UpdateWindow(window);
  if (OnShow) OnShow(this);
}

namespace {
struct TDisabledWindows {
  HWND keep;
  std::vector<HWND> windows;
};

BOOL CALLBACK DisableWindow(HWND window, LPARAM data) {
  auto* state = reinterpret_cast<TDisabledWindows*>(data);
  if (window != state->keep && ::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
    ::EnableWindow(window, FALSE);
    state->windows.push_back(window);
  }
  return TRUE;
}
}  // namespace

TModalResult TCustomForm::ShowModal() {
  if (Visible() || !Enabled() || modal_) throw Exception("Cannot make a visible window modal");
  if (::GetCapture()) ::SendMessageA(::GetCapture(), WM_CANCELMODE, 0, 0);
  ::ReleaseCapture();
  HWND window = Handle();
  HWND previousActive = ::GetActiveWindow();
  // Owned by the form it was called from, so it stays above that one.
  TWinControl* caller = TWinControl::FromHandle(previousActive);
  HWND owner = caller && caller != this && caller->IsForm() ? previousActive : Application().Handle();
  ::SetWindowLongPtrA(window, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  TDisabledWindows disabled{window, {}};
  ::EnumThreadWindows(::GetCurrentThreadId(), DisableWindow, reinterpret_cast<LPARAM>(&disabled));
  modal_ = true;
  modalResult_ = mrNone;
  struct Restore {
    TCustomForm* form;
    TDisabledWindows& disabled;
    HWND previousActive;
    ~Restore() {
      // Enable the others before hiding, so activation returns to them.
      for (HWND w : disabled.windows)
        if (::IsWindow(w)) ::EnableWindow(w, TRUE);
      form->modal_ = false;
      if (form->HandleAllocated()) {
        ::SetWindowPos(form->Handle(), nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        form->SetVisible(false);
      }
      if (previousActive && ::IsWindow(previousActive)) ::SetActiveWindow(previousActive);
      if (form->HandleAllocated())
        ::SetWindowLongPtrA(form->Handle(), GWLP_HWNDPARENT,
                            reinterpret_cast<LONG_PTR>(Application().Handle()));
    }
  } restore{this, disabled, previousActive};

  Show();
  while (modalResult_ == mrNone) {
    if (!Application().HandleMessage()) {
      modalResult_ = mrCancel;
      break;
    }
    if (Application().Terminated()) {
      modalResult_ = mrCancel;
      break;
    }
    if (modalResult_ != mrNone) {
      TCloseAction action = TCloseAction::caNone;
      if (CloseQuery()) {
        action = TCloseAction::caHide;
        if (OnClose) OnClose(this, action);
      }
      if (action == TCloseAction::caNone) modalResult_ = mrNone;
    }
  }
  return modalResult_;
}

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::Close() {
  if (modal_) {
    modalResult_ = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = TCloseAction::caHide;
  if (OnClose) OnClose(this, action);
  if (action == TCloseAction::caNone) return;
  if (Application().MainForm() == this) {
    Application().Terminate();
    return;
  }
  if (action == TCloseAction::caHide || action == TCloseAction::caMinimize) {
    Hide();
  } else if (action == TCloseAction::caFree && HandleAllocated()) {
    ::PostMessageA(Handle(), CM_RELEASE, 0, 0);
  }
}

namespace {
TWinControl* FindButtonIn(const TWinControl* parent, bool cancel) {
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (auto* button = dynamic_cast<TButton*>(c)) {
      if ((cancel ? button->Cancel() : button->Default()) && button->CanFocus()) return button;
    }
    if (auto* windowed = dynamic_cast<TWinControl*>(c))
      if (TWinControl* found = FindButtonIn(windowed, cancel)) return found;
  }
  return nullptr;
}
}  // namespace

TWinControl* TCustomForm::FindButton(bool cancel) const { return FindButtonIn(this, cancel); }

TWinControl* TCustomForm::ActiveControl() const {
  TWinControl* control = TWinControl::FindControl(::GetFocus());
  if (!control || control == this) return nullptr;
  return GetParentForm(control) == this ? control : nullptr;
}

bool TCustomForm::DialogKey(WPARAM key) {
  const bool shift = ::GetKeyState(VK_SHIFT) < 0;
  const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
  const bool alt = ::GetKeyState(VK_MENU) < 0;
  TWinControl* active = ActiveControl();
  switch (key) {
    case VK_TAB:
      if (ctrl || alt) return false;
      SelectNext(active, !shift, true);
      return true;
    case VK_RETURN: {
      if (shift || ctrl || alt) return false;
      TWinControl* button = dynamic_cast<TButton*>(active);
      if (!button) button = FindButton(false);
      if (!button) return false;
      button->Click();
      return true;
    }
    case VK_ESCAPE:
      if (shift || ctrl || alt) return false;
      if (TWinControl* button = FindButton(true)) {
        button->Click();
        return true;
      }
      if (!modal_) return false;
      modalResult_ = mrCancel;
      return true;
    default: return false;
  }
}

void TCustomForm::RestoreFocus() {
  TWinControl* last = ::IsWindow(lastFocus_) && ::IsChild(Handle(), lastFocus_)
                          ? TWinControl::FindControl(lastFocus_)
                          : nullptr;
  if (last && last != this && last->CanFocus()) {
    ::SetFocus(last->Handle());
    return;
  }
  SelectNext(nullptr, true, true);
}

void TCustomForm::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_CLOSE: Close(); m.Result = 0; return;
    case CM_DIALOGKEY: m.Result = DialogKey(m.WParam) ? 1 : 0; return;
    case WM_ACTIVATE:
      DefaultHandler(m);  // focuses the form's own window
      if (LOWORD(m.WParam) != WA_INACTIVE && !HIWORD(m.WParam)) RestoreFocus();
      return;
    case CM_FOCUSCHANGED:
      if (auto* control = reinterpret_cast<TControl*>(m.LParam); control && control != this)
        if (auto* windowed = dynamic_cast<TWinControl*>(control); windowed && windowed->HandleAllocated())
          lastFocus_ = windowed->Handle();
      break;
    case WM_COMMAND:
      // Enter and Escape, as translated by IsDialogMessage.
      if (HIWORD(m.WParam) == BN_CLICKED && !TWinControl::FromHandle(reinterpret_cast<HWND>(m.LParam)) &&
          (LOWORD(m.WParam) == IDOK || LOWORD(m.WParam) == IDCANCEL)) {
        if (TWinControl* button = FindButton(LOWORD(m.WParam) == IDCANCEL)) button->Click();
        else if (LOWORD(m.WParam) == IDCANCEL && modal_) modalResult_ = mrCancel;
        m.Result = 0;
        return;
      }
      break;
    case CM_RELEASE: delete this; return;
    default: break;
  }
  TWinControl::WndProc(m);
}

// ------------------------------------------------------------ TApplication

TApplication::TApplication(TComponent* owner) : TComponent(owner) {
  SetExceptionHandler([this](const std::exception& error) {
    LastError = error.what();
    if (OnException) {
      OnException(error);
      return;
    }
    ::MessageBoxA(nullptr, error.what(), title_.c_str(), MB_OK | MB_ICONSTOP | MB_TASKMODAL);
  });
}

TApplication::~TApplication() {
  DestroyComponents();
  if (handle_) ::DestroyWindow(handle_);
  SetExceptionHandler(nullptr);
}

HWND TApplication::Handle() {
  if (handle_) return handle_;
  static const char kClass[] = "TApplication";
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  if (!::GetClassInfoExA(::GetModuleHandleA(nullptr), kClass, &wc)) {
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &TApplication::WindowProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = kClass;
    if (!::RegisterClassExA(&wc)) throw Exception("Cannot register the application window class");
  }
  // No size, in the middle of the screen: its owned forms always cover it.
  handle_ = ::CreateWindowExA(0, kClass, title_.c_str(),
                              WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                              ::GetSystemMetrics(SM_CXSCREEN) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2,
                              0, 0, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
  if (!handle_) throw Exception("Cannot create the application window");
  return handle_;
}

void TApplication::ShowHandle() {
  HWND window = Handle();
  if (!::IsWindowVisible(window)) ::ShowWindow(window, SW_SHOWNOACTIVATE);
}

LRESULT CALLBACK TApplication::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      // Closing from the task bar asks the main form, with its close query;
      // the default would destroy this window and every form with it.
      if (TCustomForm* main = Application().MainForm()) main->Close();
      return 0;
    case WM_SETFOCUS: {
      // Activation through the task bar button goes on to a modal form, else the main form.
      TCustomForm* target = Application().MainForm();
      for (TCustomForm* form : Screen().Forms())
        if (form->Modal() && form->HandleAllocated() && ::IsWindowVisible(form->Handle())) target = form;
      if (target && target->HandleAllocated() && ::IsWindowVisible(target->Handle()) &&
          ::IsWindowEnabled(target->Handle()))
        ::SetFocus(target->Handle());
      return 0;
    }
    default: return ::DefWindowProcA(window, message, wParam, lParam);
  }
}

void TApplication::SetTitle(const std::string& title) {
  title_ = title;
  if (handle_) ::SetWindowTextA(handle_, title.c_str());
}

void TApplication::Run() {
  if (mainForm_) mainForm_->Show();
  while (!terminated_ && HandleMessage()) {
  }
}

void TApplication::Terminate() {
  if (terminated_) return;
  terminated_ = true;
  ::PostQuitMessage(0);
}

namespace {
bool IsDialogKey(WPARAM key) { return key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE; }

// The focused control may claim the key (its own notice, or its dialog code);
// otherwise the form acts on it. True when the form used it.
bool FormTakesKey(TWinControl& form, MSG& msg) {
  const WPARAM key = msg.wParam;
  if (TWinControl* control = TWinControl::FindControl(msg.hwnd))
    if (control->Perform(CM_WANTSPECIALKEY, key, msg.lParam)) return false;
  const LRESULT wanted = key == VK_TAB ? DLGC_WANTTAB : DLGC_WANTALLKEYS;
  if (msg.hwnd && (::SendMessageA(msg.hwnd, WM_GETDLGCODE, key, reinterpret_cast<LPARAM>(&msg)) & wanted))
    return false;
  return form.Perform(CM_DIALOGKEY, key, msg.lParam) != 0;
}
}  // namespace

bool TApplication::ProcessMessage(MSG& msg) {
  HWND root = msg.hwnd ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  TWinControl* form = TWinControl::FromHandle(root);
  // Alt+letter: controls without a window (speed buttons) get the first say.
  if (msg.message == WM_SYSCHAR && form && form->IsForm() &&
      form->BroadcastUntilHandled(CM_DIALOGCHAR, msg.wParam, msg.lParam))
    return true;
  if (msg.message == WM_KEYDOWN && form && form->IsForm() && IsDialogKey(msg.wParam)) {
    if (!FormTakesKey(*form, msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    return true;
  }
  if (form && form->IsForm() && ::IsDialogMessageA(root, &msg)) return true;
  ::TranslateMessage(&msg);
  ::DispatchMessageA(&msg);
  return true;
}

bool TApplication::HandleMessage() {
  MSG msg{};
  const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
  if (got == 0) {
    terminated_ = true;
    ::PostQuitMessage(static_cast<int>(msg.wParam));  // outer loops see the end too
    return false;
  }
  if (got == -1) return false;
  return ProcessMessage(msg);
}

void TApplication::ProcessMessages() {
  MSG msg{};
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      terminated_ = true;
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    ProcessMessage(msg);
  }
}

TApplication& Application() {
  // Never destroyed by static teardown: forms must go before the class tables they use.
  static TApplication* application = new TApplication(nullptr);
  return *application;
}

int TScreen::PixelsPerInch() const {
  TWindowDC screen(nullptr);
  return ::GetDeviceCaps(screen.get(), LOGPIXELSY);
}

TScreen& Screen() {
  static TScreen* screen = new TScreen();
  return *screen;
}

}  // namespace quillfen::vcl
