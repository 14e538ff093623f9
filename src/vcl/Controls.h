// Controls: TControl, TGraphicControl (painted by its parent) and
// TWinControl (a real window). One window procedure serves every window
// class the framework registers; it finds its object through the pointer
// stored at WM_NCCREATE and calls the object's WindowProc, which a
// subclass may replace to see every message first.
#pragma once

#include "WinApi.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Canvas.h"
#include "Classes.h"
#include "GdiCanvas.h"
#include "Graphics.h"

namespace quillfen::vcl {

// Framework notices: private window messages sent through the window procedure.
enum : UINT {
  CM_BASE = 0xB000,
  CM_ACTIVATE = CM_BASE + 0,
  CM_DEACTIVATE = CM_BASE + 1,
  CM_GOTFOCUS = CM_BASE + 2,
  CM_LOSTFOCUS = CM_BASE + 3,
  CM_CANCELMODE = CM_BASE + 4,
  CM_DIALOGKEY = CM_BASE + 5,
  CM_DIALOGCHAR = CM_BASE + 6,
  CM_FOCUSCHANGED = CM_BASE + 7,
  CM_PARENTFONTCHANGED = CM_BASE + 8,
  CM_PARENTCOLORCHANGED = CM_BASE + 9,
  CM_HITTEST = CM_BASE + 10,
  CM_VISIBLECHANGED = CM_BASE + 11,
  CM_ENABLEDCHANGED = CM_BASE + 12,
  CM_COLORCHANGED = CM_BASE + 13,
  CM_FONTCHANGED = CM_BASE + 14,
  CM_CURSORCHANGED = CM_BASE + 15,
  CM_CTL3DCHANGED = CM_BASE + 16,
  CM_PARENTCTL3DCHANGED = CM_BASE + 17,
  CM_TEXTCHANGED = CM_BASE + 18,
  CM_MOUSEENTER = CM_BASE + 19,
  CM_MOUSELEAVE = CM_BASE + 20,
  CM_BUTTONPRESSED = CM_BASE + 24,
  CM_SHOWINGCHANGED = CM_BASE + 25,
  CM_ENTER = CM_BASE + 26,
  CM_EXIT = CM_BASE + 27,
  CM_SYSCOLORCHANGE = CM_BASE + 36,
  CM_RELEASE = CM_BASE + 33,
  CM_RECREATEWND = CM_BASE + 51,
  CM_INVALIDATE = CM_BASE + 52,
  // WParam a key (Tab, Enter, Escape) before the form acts on it; a non-zero
  // answer claims it, and the control then receives it as an ordinary key.
  CM_WANTSPECIALKEY = CM_BASE + 62,
};

// Notifications a parent reflects back to the child control that sent them.
enum : UINT {
  CN_BASE = 0xBC00,
  CN_COMMAND = CN_BASE + WM_COMMAND,
  CN_NOTIFY = CN_BASE + WM_NOTIFY,
  CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN,
  CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT,
  CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX,
  CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC,
  CN_DRAWITEM = CN_BASE + WM_DRAWITEM,
};

struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};
using TWndMethod = std::function<void(TMessage&)>;

using TCursor = int;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4,
                  crSizeNESW = -6, crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9,
                  crUpArrow = -10, crHourGlass = -11, crDrag = -12, crNoDrop = -13,
                  crHSplit = -14, crVSplit = -15, crMultiDrag = -16, crSQLWait = -17,
                  crNo = -18, crAppStart = -19, crHelp = -20, crHandPoint = -21,
                  crSizeAll = -22;
// The cursor list: the standard cursors, and any registered under a number.
HCURSOR CursorHandle(TCursor cursor);
void RegisterCursor(TCursor cursor, HCURSOR handle);

using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4,
                       mrIgnore = 5, mrYes = 6, mrNo = 7, mrAll = 8, mrNoToAll = 9,
                       mrYesToAll = 10;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

enum TControlStyleFlag : unsigned {
  csAcceptsControls = 1,
  csCaptureMouse = 2,
  csOpaque = 4,
  csDoubleClicks = 8,
  csSetCaption = 16,
  csClickEvents = 32,
};

// Where an exception that reached a window procedure goes; it never crosses it.
void SetExceptionHandler(std::function<void(const std::exception&)> handler);
void HandleWindowException(const std::exception& error);

class TWinControl;

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;
  std::string ClassName() const override { return "TControl"; }

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int value) { SetBounds(value, top_, width_, height_); }
  void SetTop(int value) { SetBounds(left_, value, width_, height_); }
  void SetWidth(int value) { SetBounds(left_, top_, value, height_); }
  void SetHeight(int value) { SetBounds(left_, top_, width_, value); }
  virtual void SetBounds(int left, int top, int width, int height);
  TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
  virtual TRect ClientRect() const { return {0, 0, width_, height_}; }
  int ClientWidth() const { return ClientRect().Width(); }
  int ClientHeight() const { return ClientRect().Height(); }

  bool Visible() const { return visible_; }
  virtual void SetVisible(bool value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible with every parent visible.
  virtual bool Showing() const;
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool value);

  TColor Color() const { return color_; }
  void SetColor(TColor value);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool value);
  TFont& Font() { return font_; }
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool value);

  std::string Caption() const { return GetText(); }
  void SetCaption(const std::string& text) { SetText(text); }
  virtual std::string GetText() const { return text_; }
  virtual void SetText(const std::string& text);

  // The sunken 3-D look of edits and lists; children follow the parent's unless set.
  bool Ctl3D() const { return ctl3D_; }
  void SetCtl3D(bool value);
  bool ParentCtl3D() const { return parentCtl3D_; }
  void SetParentCtl3D(bool value);

  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor value);
  TAlign Align() const { return align_; }
  void SetAlign(TAlign value);
  int HelpContext = 0;
  unsigned ControlStyle = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;

  TNotifyEvent OnClick;
  virtual void Click();

  virtual void Invalidate();
  virtual void Update();
  virtual void Repaint();

  // Delivers a message to WindowProc (through the window for windowed controls).
  virtual LRESULT Perform(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  // The subclassing point: replace it, keep the old one, call the old one.
  TWndMethod WindowProc;

 protected:
  virtual void WndProc(TMessage& message);
  virtual void DefaultHandler(TMessage& message) { message.Result = 0; }
  // The parent's client coordinates of this control's origin.
  TPoint OriginInParent() const { return {left_, top_}; }
  virtual void FontChanged();
  void UpdateFromParentFont();
  void UpdateFromParentColor();
  bool mouseDown_ = false;

 private:
  friend class TWinControl;
  TWinControl* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  TColor color_ = clWindow;
  bool parentColor_ = false;
  TFont font_;
  bool parentFont_ = true;
  bool takingParentFont_ = false;
  std::string text_;
  bool ctl3D_ = true;
  bool parentCtl3D_ = true;
  bool takingParentCtl3D_ = false;
  TCursor cursor_ = crDefault;
  TAlign align_ = TAlign::alNone;
};

// No window of its own: painted by the parent in its WM_PAINT, or at once by
// PaintNow through a DC of the parent window clipped to the control.
class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* owner) : TControl(owner) {}
  std::string ClassName() const override { return "TGraphicControl"; }
  // Synchronous paint without a message loop; does nothing without a parent window.
  void PaintNow();
  void Update() override;
  void Repaint() override { PaintNow(); }
  // The parent's paint handler calls this with a canvas whose origin is the control's.
  void PaintTo(TCanvas& canvas) { Paint(canvas); }

 protected:
  virtual void Paint(TCanvas& canvas) { (void)canvas; }
};

struct TCreateParams {
  std::string Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  std::string WinClassName;      // the framework's class name
  std::string SystemClass;       // superclassed system class, empty for a plain window
  UINT ClassStyle = CS_DBLCLKS;
};

class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;
  std::string ClassName() const override { return "TWinControl"; }

  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded() { Handle(); }
  void RecreateWnd();
  // The control owning a window made by the framework, or null.
  static TWinControl* FromHandle(HWND window);

  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int index) const { return controls_.at(static_cast<size_t>(index)); }
  TControl* ControlAtPos(TPoint point, bool graphicOnly = true) const;

  void SetParent(TWinControl* parent) override;
  void SetBounds(int left, int top, int width, int height) override;
  TRect ClientRect() const override;
  void SetVisible(bool value) override;
  void SetEnabled(bool value) override;
  bool Showing() const override;
  std::string GetText() const override;
  void SetText(const std::string& text) override;

  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool value);
  // The place among the parent's windowed controls, 0-based; -1 without a
  // parent. Setting it moves the control there (clamped), the others shift;
  // it is also the order of the child windows, which dialog navigation follows.
  // While loading, the value waits until all siblings exist.
  int TabOrder() const;
  void SetTabOrder(int value);
  // Windowed children in tab order, each followed by its own children's.
  void GetTabOrderList(std::vector<TWinControl*>& list) const;
  // The control after (or before) current in that list that can take the
  // focus, with TabStop set when checkTabStop; null when there is none.
  TWinControl* FindNextControl(TWinControl* current, bool forward, bool checkTabStop) const;
  // Moves the focus as Tab and Shift+Tab do.
  void SelectNext(TWinControl* current, bool forward, bool checkTabStop);
  // Virtual: a control may note something before it takes the focus.
  virtual void SetFocus();
  bool Focused() const;
  // Showing, with itself and every parent enabled.
  bool CanFocus() const;
  // The framework control whose window is window or holds it, or null.
  static TWinControl* FindControl(HWND window);

  void Invalidate() override;
  void Update() override;
  void Repaint() override;
  LRESULT Perform(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) override;
  // Sends a message to every child control (not to this one), in order.
  void Broadcast(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  // Like Broadcast, but through the whole tree, stopping at the first non-zero answer.
  LRESULT BroadcastUntilHandled(UINT message, WPARAM wParam, LPARAM lParam);
  // Places aligned children in the client area.
  void AlignControls();
  // Forms answer true; a button looks up to one for its ModalResult.
  virtual bool IsForm() const { return false; }
  // The brush for this control's background colour (owned, counted).
  HBRUSH BackgroundBrush();

 protected:
  virtual void CreateParams(TCreateParams& params);
  virtual void CreateWnd();
  virtual void DestroyWnd();
  // Called once the window exists (children, fonts, texts applied).
  virtual void HandleCreated() {}
  void WndProc(TMessage& message) override;
  void DefaultHandler(TMessage& message) override;
  // Default painting of the window itself, before graphic children are drawn over it.
  virtual void PaintWindow(HDC dc);
  void PaintHandler(TMessage& message);
  void PaintControls(HDC dc);
  void FontChanged() override;
  // Places the children as their stored tab orders ask.
  void Loaded() override;
  // Applies ctl colours for a child's CN_CTLCOLOR*.
  virtual void CtlColor(TMessage& message);
  virtual void Command(WORD notifyCode) { (void)notifyCode; }
  bool OwnClass() const { return defProc_ == ::DefWindowProcA; }

 private:
  friend class TControl;
  static LRESULT CALLBACK StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  void DispatchMouse(TMessage& message);
  void UpdateHover(TControl* control);
  // Child windows stacked in tab order.
  void SyncZOrder();

  HWND handle_ = nullptr;
  WNDPROC defProc_ = ::DefWindowProcA;
  std::vector<TControl*> controls_;
  std::vector<TWinControl*> tabList_;
  bool tabStop_ = false;
  int storedTabOrder_ = -1;  // set while loading or without a parent, applied later
  TGdiObject brush_;
  TColor brushColor_ = clNone;
  TControl* hover_ = nullptr;
  TControl* captureControl_ = nullptr;
  bool trackingLeave_ = false;
  bool destroyingHandle_ = false;
};

// The topmost form a control sits on, or null.
TWinControl* GetParentForm(TControl* control);

}  // namespace quillfen::vcl
