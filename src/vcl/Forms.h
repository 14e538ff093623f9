// Forms, the application object and the screen.
#pragma once

#include "WinApi.h"

#include <functional>
#include <string>
#include <vector>

#include "Controls.h"

namespace quillfen::vcl {

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
using TBorderIcons = unsigned;
enum class TPosition { poDesigned, poDefault, poScreenCenter, poDesktopCenter, poMainFormCenter };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };

using TCloseQueryEvent = std::function<void(TObject* sender, bool& canClose)>;
using TCloseEvent = std::function<void(TObject* sender, TCloseAction& action)>;

class TCustomForm : public TWinControl {
 public:
  explicit TCustomForm(TComponent* owner);
  ~TCustomForm() override;
  std::string ClassName() const override { return "TForm"; }
  bool IsForm() const override { return true; }

  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle value);
  TBorderIcons BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(TBorderIcons value);
  TPosition Position = TPosition::poDesigned;
  // The outer size follows from the client size and the border.
  void SetClientSize(int width, int height);
  // Pixels per inch the form was laid out for; ScaleBy scales every child.
  int PixelsPerInch = 96;
  void ScaleBy(int multiplier, int divisor);
  int TextHeight = 13;

  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult value) { modalResult_ = value; }
  // Runs a local message loop until ModalResult is non-zero; the other
  // windows of the application are disabled meanwhile.
  TModalResult ShowModal();
  bool Modal() const { return modal_; }
  void Show();
  void Close();
  bool CloseQuery();

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TCloseQueryEvent OnCloseQuery;
  TCloseEvent OnClose;

  // The button that Enter (Default) or Escape (Cancel) presses, when it can take the focus.
  TWinControl* FindButton(bool cancel) const;
  // The control inside the form that has the focus, or null.
  TWinControl* ActiveControl() const;
  // What the form does with Tab, Shift+Tab, Enter and Escape that no control
  // claimed: move the focus; press the focused button or else the default
  // one; press the cancel button, or end a modal form with mrCancel. True
  // when the key was used.
  bool DialogKey(WPARAM key);

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& message) override;

 private:
  void PlaceOnScreen();
  // Back to the control that last had the focus, else the first in tab order.
  void RestoreFocus();
  HWND lastFocus_ = nullptr;
  TFormBorderStyle borderStyle_ = TFormBorderStyle::bsSizeable;
  TBorderIcons borderIcons_ = biSystemMenu | biMinimize | biMaximize;
  TModalResult modalResult_ = mrNone;
  bool modal_ = false;
};

class TForm : public TCustomForm {
 public:
  explicit TForm(TComponent* owner) : TCustomForm(owner) {}
};

class TApplication : public TComponent {
 public:
  explicit TApplication(TComponent* owner);
  ~TApplication() override;
  std::string ClassName() const override { return "TApplication"; }

  // A window of no size that owns the forms and carries the program's task
  // bar button, with the title as its text; the folder browser's owner.
  HWND Handle();
  // Shows that window (and so the task bar button); the main form does it when it shows.
  void ShowHandle();
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title);
  TCustomForm* MainForm() const { return mainForm_; }
  // Creates a form owned by the application; the first one becomes the main form.
  template <typename F>
  F* CreateForm() {
    auto* form = new F(this);
    if (!mainForm_) mainForm_ = form;
    if (form->OnCreate) form->OnCreate(form);
    return form;
  }
  void SetMainForm(TCustomForm* form) { mainForm_ = form; }
  // Shows the main form and pumps messages until it closes.
  void Run();
  void Terminate();
  bool Terminated() const { return terminated_; }
  // One message, waiting for it; false once WM_QUIT was seen.
  bool HandleMessage();
  void ProcessMessages();
  // Exceptions that reached a window procedure; without a handler a message box shows.
  std::function<void(const std::exception&)> OnException;
  // The program's help: shows the topic of a help context and answers whether
  // it did. HelpContext answers false while no handler is set.
  std::function<bool(int helpContext)> OnHelp;
  bool HelpContext(int helpContext) { return OnHelp && OnHelp(helpContext); }
  std::string LastError;
  // Frees the forms the application owns (before the program returns from main).
  void FreeForms() { DestroyComponents(); }

 private:
  bool ProcessMessage(MSG& msg);
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND handle_ = nullptr;
  std::string title_;
  TCustomForm* mainForm_ = nullptr;
  bool terminated_ = false;
};

// The single application object (created on first use, freed at exit).
TApplication& Application();

class TScreen {
 public:
  int PixelsPerInch() const;
  int Width() const { return ::GetSystemMetrics(SM_CXSCREEN); }
  int Height() const { return ::GetSystemMetrics(SM_CYSCREEN); }
  HCURSOR Cursors(TCursor index) const { return CursorHandle(index); }
  void SetCursors(TCursor index, HCURSOR handle) { RegisterCursor(index, handle); }
  // Forms in creation order.
  const std::vector<TCustomForm*>& Forms() const { return forms_; }

 private:
  friend class TCustomForm;
  std::vector<TCustomForm*> forms_;
};

TScreen& Screen();

}  // namespace quillfen::vcl
