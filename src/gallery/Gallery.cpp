// WidgetGallery: one window with every widget of the library in its states,
// and a second one with the XP look beside the plain one.
//   WidgetGallery.exe                          shows the window ("XP look..." opens the other)
//   WidgetGallery.exe --screenshot FILE.bmp    writes the painted window and exits
//   WidgetGallery.exe --dialog info|stop FILE.bmp   writes that message window and exits
//   WidgetGallery.exe --screenshot-xp FILE.bmp writes the XP window and exits
//   WidgetGallery.exe --menu FILE.bmp          writes the XP window with its File menu
//                                              dropped and the first item selected
//   WidgetGallery.exe --popup FILE.bmp         the same with the popup menu
//   WidgetGallery.exe --popup-gradient FILE.bmp  the popup with Gradient and FlatMenu on
#include "WinApi.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ComCtrls.h"
#include "Forms.h"
#include "Graphics.h"
#include "ProCtrls.h"
#include "ProDlgs.h"
#include "ProStBar.h"
#include "ProUrl.h"
#include "ProVCL.h"
#include "StdCtrls.h"
#include "XPShowcase.h"
#include "rmBtnEdit.h"
#include "rmGauge.h"
#include "rmSpeedBtns.h"

using namespace quillfen::vcl;
using namespace quillfen::widgets;

namespace {

constexpr int kGaugeWidth = 60, kGaugeHeight = 60, kGaugeStep = 66;

// A part of the screen as a 24-bit BMP; false on failure.
bool SaveScreenArea(const RECT& area, const std::string& path) {
  TBitmap shot(area.right - area.left, area.bottom - area.top);
  HDC screen = ::GetDC(nullptr);
  ::BitBlt(shot.Canvas().Handle(), 0, 0, shot.Width(), shot.Height(), screen, area.left, area.top,
           SRCCOPY);
  ::ReleaseDC(nullptr, screen);
  return shot.SaveToFile(path);
}

// The window as it is on the screen; false on failure.
bool SaveWindowShot(HWND window, const std::string& path) {
  ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT outer{};
  ::GetWindowRect(window, &outer);
  return SaveScreenArea(outer, path);
}

void Pump(int milliseconds) {
  const DWORD end = ::GetTickCount() + static_cast<DWORD>(milliseconds);
  while (::GetTickCount() < end) {
    Application().ProcessMessages();
    ::Sleep(10);
  }
}

TProLabel* AddLabel(TForm* form, int x, int y, int w, int h, const std::string& text) {
  auto* label = new TProLabel(form);
  label->SetParent(form);
  label->SetAutoSize(false);
  label->SetBounds(x, y, w, h);
  label->SetCaption(text);
  return label;
}

class TGalleryForm : public TForm {
 public:
  explicit TGalleryForm(TComponent* owner) : TForm(owner) {
    SetCaption("Widget Gallery");
    SetBorderStyle(TFormBorderStyle::bsSingle);
    Position = TPosition::poScreenCenter;
    SetClientSize(820, 600);
    AddGauges();
    AddLabels();
    AddSpeedButtons();
    AddEdits();
    AddStatusBar();
    AddDialogButtons();
  }

  TProInfoDialog* Info = nullptr;
  TProStopDialog* Stop = nullptr;
  TForm* XPForm = nullptr;
  quillfen::gallery::TXPShowcase XP;

 private:
  // Six shapes in rows; solid and gradient at 0, 35, 70 and 100 percent.
  void AddGauges() {
    const TGaugeShape shapes[] = {gsTriangle, gsVertRect, gsHorzRect, gsEllipse, gsArc, gsPole};
    const int percents[] = {0, 35, 70, 100};
    const TGaugeBorder borders[] = {gbSingle, gbRaised, gbLowered, gbNone};
    for (int s = 0; s < 6; ++s) {
      for (int g = 0; g < 2; ++g) {
        for (int p = 0; p < 4; ++p) {
          auto* gauge = new TrmGauge(this);
          gauge->SetName("Gauge" + std::to_string(s) + "_" + std::to_string(g) + "_" + std::to_string(p));
          gauge->SetParent(this);
          const int column = g * 4 + p;
          gauge->SetBounds(8 + column * kGaugeStep, 8 + s * kGaugeStep, kGaugeWidth, kGaugeHeight);
          gauge->SetShape(shapes[s]);
          gauge->SetBorder(borders[p]);
          gauge->SetGradientFill(g == 1);
          gauge->SetFillColor(clLime);
          gauge->SetGradientColor(clRed);
          gauge->SetUseMedianColor(g == 1 && p == 2);
          gauge->SetPercent(percents[p]);
        }
      }
    }
  }

  void AddLabels() {
    const int x = 540;
    const TShadowStyle styles[] = {ssRaised, ssRecessed, ssShadow, ssThickShadow, ssRaisedColor};
    const char* names[] = {"Raised", "Recessed", "Shadow", "Thick shadow", "Raised colour"};
    for (int i = 0; i < 5; ++i) {
      TProLabel* label = AddLabel(this, x, 8 + i * 24, 130, 22, names[i]);
      label->Font().SetName("Arial");
      label->Font().SetHeight(-16);
      label->SetShadowStyle(styles[i]);
    }
    const int angles[] = {45, 90, 270};
    for (int i = 0; i < 3; ++i) {
      TProLabel* label = AddLabel(this, x + 140 + i * 45, 8, 44, 110, std::to_string(angles[i]) + " deg");
      label->Font().SetName("Arial");
      label->SetAngle(angles[i]);
      label->SetOffsetY(angles[i] == 270 ? 0 : 60);
      label->SetOffsetX(angles[i] == 270 ? 14 : 0);
    }
    const TVerticalAlignment places[] = {vaTop, vaCenter, vaBottom};
    const char* placeNames[] = {"top", "centre", "bottom"};
    for (int i = 0; i < 3; ++i) {
      TProLabel* label = AddLabel(this, x + i * 92, 130, 88, 40, placeNames[i]);
      label->SetColor(clWindow);
      label->SetVerticalAlignment(places[i]);
    }
  }

  TrmSpeedButton* AddButton(int x, int y, const std::string& caption) {
    auto* button = new TrmSpeedButton(this);
    button->SetParent(this);
    button->SetBounds(x, y, 60, 24);
    button->SetCaption(caption);
    return button;
  }

  // Normal, flat, down, disabled, a group of three and the two menu styles.
  void AddSpeedButtons() {
    const int y = 182, x = 540;
    AddButton(x, y, "Normal");
    AddButton(x + 64, y, "Flat")->SetFlat(true);
    TrmSpeedButton* down = AddButton(x + 128, y, "Down");
    down->SetGroupIndex(9);
    down->SetAllowAllUp(true);
    down->SetDown(true);
    AddButton(x + 192, y, "Disabled")->SetEnabled(false);
    for (int i = 0; i < 3; ++i) {
      TrmSpeedButton* grouped = AddButton(x + i * 64, y + 28, "Group " + std::to_string(i + 1));
      grouped->SetGroupIndex(1);
      if (i == 1) grouped->SetDown(true);
    }
    TrmSpeedButton* flatDown = AddButton(x + 192, y + 28, "Flat dn");
    flatDown->SetFlat(true);
    flatDown->SetGroupIndex(10);
    flatDown->SetAllowAllUp(true);
    flatDown->SetDown(true);
    menu_ = ::CreatePopupMenu();
    ::AppendMenuA(menu_, MF_STRING, 1, "First");
    ::AppendMenuA(menu_, MF_STRING, 2, "Second");
    TrmSpeedButton* combo = AddButton(x, y + 56, "Combo");
    combo->SetStyle(sbsComboButton);
    TrmSpeedButton* split = AddButton(x + 64, y + 56, "Split");
    split->SetStyle(sbsMenu);
    split->SetDropDownMenu(menu_);
    TrmSpeedButton* flatSplit = AddButton(x + 128, y + 56, "Flat");
    flatSplit->SetStyle(sbsMenu);
    flatSplit->SetFlat(true);
    flatSplit->SetDropDownMenu(menu_);
    TrmSpeedButton* offSplit = AddButton(x + 192, y + 56, "Off");
    offSplit->SetStyle(sbsMenu);
    offSplit->SetEnabled(false);
  }

  void AddEdits() {
    const int x = 540, y = 276;
    for (int i = 0; i < 4; ++i) {
      auto* edit = new TrmBtnEdit(this);
      edit->SetParent(this);
      edit->SetBounds(x + (i % 2) * 136, y + (i / 2) * 28, 130, 21);
      edit->SetCtl3D(i % 2 == 0);
      edit->SetBtn2Visible(i >= 2);
      edit->SetText(i % 2 == 0 ? "3-D look" : "Flat look");
    }
  }

  void AddStatusBar() {
    status_ = new TProStatusBar(this);
    status_->SetParent(this);
    status_->SizeGrip = false;
    status_->AddPanel("Status bar with a gauge", 300);
    status_->AddPanel("", 200);
    status_->AddPanel("URL image", 100);
    auto* gauge = new TrmGauge(this);
    gauge->SetParent(status_);
    gauge->SetBounds(304, 5, 190, 11);
    gauge->SetBorder(gbNone);
    gauge->SetShape(gsHorzRect);
    gauge->SetGradientFill(true);
    gauge->SetFillColor(clBlack);
    gauge->SetGradientColor(clBlue);
    gauge->SetPercent(60);
    auto* url = new TProUrlImage(this);
    url->SetParent(this);
    url->SetBounds(540, 340, 48, 64);
    url->Picture().LoadFromResourceName(::GetModuleHandleA(nullptr), "INFORMATIONICON");
    url->Transparent = true;  // the picture's magenta background is its transparent colour
    url->URL = "https://example.org/";
  }

  void AddDialogButtons() {
    Info = new TProInfoDialog(this);
    Info->Caption = "Gallery information";
    Info->InfoMessage = "The information window, laid out for the screen's resolution.";
    Stop = new TProStopDialog(this);
    Stop->Caption = "Gallery stop";
    Stop->StopMessage = "The stop window, with its own picture and a Cancel button.";
    auto* info = new TProButton(this);
    info->SetParent(this);
    info->SetBounds(600, 340, 100, 25);
    info->SetCaption("Information...");
    info->OnClick = [this](TObject*) { Info->Execute(); };
    auto* stop = new TProButton(this);
    stop->SetParent(this);
    stop->SetBounds(600, 372, 100, 25);
    stop->SetCaption("Stop...");
    stop->OnClick = [this](TObject*) { Stop->Execute(); };
    XPForm = new TForm(&Application());
    XPForm->SetBorderStyle(TFormBorderStyle::bsSingle);
    XPForm->Position = TPosition::poScreenCenter;
    XP = quillfen::gallery::BuildXPShowcase(XPForm);
    auto* xp = new TProButton(this);
    xp->SetParent(this);
    xp->SetBounds(600, 404, 100, 25);
    xp->SetCaption("XP look...");
    xp->OnClick = [this](TObject*) { XPForm->Show(); };
  }

  TProStatusBar* status_ = nullptr;
  HMENU menu_ = nullptr;
};

// Steps a dropped menu through from inside its modal loop: select the first
// item if the system has not, then capture the screen, then close the menu.
struct TMenuShot {
  HWND Window = nullptr;  // the window the menu drops from
  std::string Path;
  bool Saved = false;
  bool Done = false;  // captured, or the menu never opened
  int Waited = 0;     // timer ticks without an open menu
  bool Selected = false;
};

TMenuShot& MenuShot() {
  static TMenuShot shot;
  return shot;
}

void CALLBACK MenuShotTimer(HWND, UINT, UINT_PTR id, DWORD) {
  TMenuShot& shot = MenuShot();
  HWND popup = ::FindWindowA("#32768", nullptr);
  if (!popup || !::IsWindowVisible(popup)) {
    if (++shot.Waited > 20) {  // the menu never opened
      ::KillTimer(nullptr, id);
      shot.Done = true;
      ::EndMenu();
    }
    return;
  }
  if (!shot.Selected) {
    HMENU menu = reinterpret_cast<HMENU>(::SendMessageA(popup, MN_GETHMENU, 0, 0));
    const bool first = menu && (::GetMenuState(menu, 0, MF_BYPOSITION) & MF_HILITE);
    if (!first) ::PostMessageA(popup, WM_KEYDOWN, VK_DOWN, 0);
    shot.Selected = true;
    return;
  }
  ::KillTimer(nullptr, id);
  RECT a{}, b{};
  ::GetWindowRect(shot.Window, &a);
  ::GetWindowRect(popup, &b);
  RECT both{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
  shot.Saved = SaveScreenArea(both, shot.Path);
  shot.Done = true;
  ::EndMenu();
}

// Shows form, drops its File menu (or popup) and writes the screen with it.
bool SaveMenuShot(TForm* form, TPopupMenu* popup, const std::string& path) {
  form->Show();
  ::SetForegroundWindow(form->Handle());
  Pump(400);
  TMenuShot& shot = MenuShot();
  shot.Window = form->Handle();
  shot.Path = path;
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 250, &MenuShotTimer);
  if (popup) {
    RECT r{};
    ::GetWindowRect(form->Handle(), &r);
    popup->Popup(r.left + 60, r.top + 140);  // returns when the menu closes
  } else {
    ::PostMessageA(form->Handle(), WM_SYSCOMMAND, SC_KEYMENU, 'f');
    const DWORD end = ::GetTickCount() + 10000;
    while (!shot.Done && ::GetTickCount() < end) {
      Application().ProcessMessages();
      ::Sleep(10);
    }
  }
  ::KillTimer(nullptr, timer);
  Pump(100);
  return shot.Saved;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "WidgetGallery: %s\n", message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  RegisterProCursors();
  Application().SetTitle("Widget Gallery");
  auto* form = Application().CreateForm<TGalleryForm>();
  if (args.empty()) {
    Application().Run();
    Application().FreeForms();
    return 0;
  }
  if (args.size() == 2 && args[0] == "--screenshot") {
    form->Show();
    Pump(400);
    const bool saved = SaveWindowShot(form->Handle(), args[1]);
    Application().FreeForms();
    return saved ? 0 : Fail("cannot write " + args[1]);
  }
  if (args.size() == 3 && args[0] == "--dialog" && (args[1] == "info" || args[1] == "stop")) {
    form->Show();
    Pump(200);
    bool saved = false;
    TProCommonDialog* dialog = args[1] == "info" ? static_cast<TProCommonDialog*>(form->Info)
                                                 : static_cast<TProCommonDialog*>(form->Stop);
    dialog->OnShowDialog = [&](TCommonDialogForm& window) {
      Pump(300);
      saved = SaveWindowShot(window.Handle(), args[2]);
      window.SetModalResult(mrCancel);
    };
    if (args[1] == "info") form->Info->Execute();
    else form->Stop->Execute();
    Application().FreeForms();
    return saved ? 0 : Fail("cannot write " + args[2]);
  }
  if (args.size() == 2 && args[0] == "--screenshot-xp") {
    TForm* xp = form->XPForm;
    xp->Show();
    ::SetForegroundWindow(xp->Handle());
    // The caret goes to an exempt control, so no skinned one shows its focus frame.
    form->XP.Edits[1]->SetFocus();
    Pump(400);
    // Painted by its own messages: a forced redraw of every child leaves the
    // list box's first line blank under Wine.
    RECT outer{};
    ::GetWindowRect(xp->Handle(), &outer);
    const bool saved = SaveScreenArea(outer, args[1]);
    Application().FreeForms();
    return saved ? 0 : Fail("cannot write " + args[1]);
  }
  if (args.size() == 2 && args[0] == "--popup-gradient") {
    form->XP.Gradient->SetChecked(true);
    form->XP.FlatMenu->SetChecked(true);
    form->XP.Painter->SetGradient(true);
    form->XP.Painter->SetFlatMenu(true);
    const bool saved = SaveMenuShot(form->XPForm, form->XP.PopupMenu, args[1]);
    Application().FreeForms();
    return saved ? 0 : Fail("cannot capture the menu into " + args[1]);
  }
  if (args.size() == 2 && (args[0] == "--menu" || args[0] == "--popup")) {
    const bool saved =
        SaveMenuShot(form->XPForm, args[0] == "--popup" ? form->XP.PopupMenu : nullptr, args[1]);
    Application().FreeForms();
    return saved ? 0 : Fail("cannot capture the menu into " + args[1]);
  }
  return Fail(
      "usage: WidgetGallery [--screenshot FILE.bmp | --dialog info|stop FILE.bmp |"
      " --screenshot-xp FILE.bmp | --menu FILE.bmp | --popup FILE.bmp |"
      " --popup-gradient FILE.bmp]");
}
