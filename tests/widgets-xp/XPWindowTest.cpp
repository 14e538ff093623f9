#include <gtest/gtest.h>

#include "WinApi.h"

#include <string>

#include "ChoiceCtrls.h"
#include "Forms.h"
#include "FormClasses.h"
#include "FormLoader.h"
#include "FormReader.h"
#include "Graphics.h"
#include "Menus.h"
#include "Published.h"
#include "StdCtrls.h"
#include "ToolWin.h"
#include "WinTestSupport.h"
#include "XPMenu.h"
#include "XPShowcase.h"

using namespace quillfen::vcl;
using namespace quillfen::widgets;
using quillfen::gallery::BuildXPShowcase;
using quillfen::gallery::TXPShowcase;

namespace {

bool Skinned(const TControl* control) { return TControlSubClass::Of(control) != nullptr; }

// Counts the messages a control's own procedure sees, beneath any subclass installed later.
struct TSpy {
  int Downs = 0;
  int DoubleClicks = 0;
  void Install(TControl* control) {
    TWndMethod previous = control->WindowProc;
    control->WindowProc = [this, previous](TMessage& m) {
      if (m.Msg == WM_LBUTTONDOWN) ++Downs;
      if (m.Msg == WM_LBUTTONDBLCLK) ++DoubleClicks;
      previous(m);
    };
  }
};

void DoubleClick(HWND window) {
  const LPARAM at = MAKELPARAM(5, 5);
  ::SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::SendMessageA(window, WM_LBUTTONUP, 0, at);
  ::SendMessageA(window, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  ::SendMessageA(window, WM_LBUTTONUP, 0, at);
}

TColor PixelOf(TWinControl* control, int x, int y) {
  TWindowDC dc(control->Handle());
  return static_cast<TColor>(::GetPixel(dc.get(), x, y));
}

// The form as the screen shows it, saved as a BMP beside the test.
void Capture(TWinControl* form, const std::string& name, const RECT* area = nullptr) {
  RECT r{};
  if (area) r = *area;
  else ::GetWindowRect(form->Handle(), &r);
  TBitmap shot(r.right - r.left, r.bottom - r.top);
  TWindowDC screen(nullptr);
  ::BitBlt(shot.Canvas().Handle(), 0, 0, shot.Width(), shot.Height(), screen.get(), r.left, r.top, SRCCOPY);
  EXPECT_TRUE(shot.SaveToFile(std::string(QF_ARTIFACT_DIR) + "/" + name));
}

struct TPlainForm {
  TForm* Form;
  TButton* Button;
  TButton* ExemptButton;
  TCheckBox* Check;
  TRadioButton* Radio;
  TGroupBox* Group;
  TCheckBox* InGroup;
  TGroupBox* ExemptGroup;
  TCheckBox* InExemptGroup;
  TEdit* Edit;
  TMemo* Memo;
  TComboBox* Combo;
  TLabel* Label;
  TListBox* List;
};

template <typename T>
T* Add(TForm* form, TWinControl* parent, int left, int top, const std::string& caption = {}) {
  auto* c = new T(form);
  c->SetParent(parent);
  c->SetLeft(left);
  c->SetTop(top);
  if (!caption.empty()) c->SetCaption(caption);
  return c;
}

TPlainForm MakeForm() {
  TPlainForm f{};
  f.Form = new TForm(&Application());
  f.Form->SetBorderStyle(TFormBorderStyle::bsSingle);
  f.Form->SetClientSize(420, 330);
  f.Form->SetCaption("Skinning");
  f.Button = Add<TButton>(f.Form, f.Form, 8, 8, "Button");
  f.ExemptButton = Add<TButton>(f.Form, f.Form, 100, 8, "Exempt");
  f.ExemptButton->Tag = NoSkinTag;
  f.Check = Add<TCheckBox>(f.Form, f.Form, 8, 40, "Check");
  f.Radio = Add<TRadioButton>(f.Form, f.Form, 8, 62, "Radio");
  f.Group = Add<TGroupBox>(f.Form, f.Form, 8, 90, "Group");
  f.InGroup = Add<TCheckBox>(f.Form, f.Group, 8, 20, "Inside");
  f.ExemptGroup = Add<TGroupBox>(f.Form, f.Form, 200, 90, "Exempt group");
  f.ExemptGroup->Tag = NoSkinTag;
  f.InExemptGroup = Add<TCheckBox>(f.Form, f.ExemptGroup, 8, 20, "Inside");
  f.Edit = Add<TEdit>(f.Form, f.Form, 8, 200);
  f.Memo = Add<TMemo>(f.Form, f.Form, 140, 200);
  f.Combo = Add<TComboBox>(f.Form, f.Form, 8, 230);
  f.Label = Add<TLabel>(f.Form, f.Form, 8, 300, "Label");
  f.List = Add<TListBox>(f.Form, f.Form, 340, 200);
  f.Form->Show();
  return f;
}

// A menu item with caption, owned by owner, added to parent.
TMenuItem* AddItem(TComponent* owner, TMenuItem* parent, const char* caption) {
  auto* item = new TMenuItem(owner);
  item->SetCaption(caption);
  parent->Add(item);
  return item;
}

}  // namespace

TEST(XPMenu, NeedsAFormAndStartsWithItsDefaults) {
  TComponent plain(nullptr);
  EXPECT_THROW(TXPMenu{&plain}, EInvalidCast);
  EXPECT_THROW(TXPMenu{nullptr}, EInvalidCast);
  EXPECT_EQ(plain.ComponentCount(), 0);

  TForm form(&Application());
  auto* xp = new TXPMenu(&form);
  EXPECT_EQ(xp->DimLevel(), 30);
  EXPECT_EQ(xp->GrayLevel(), 10);
  EXPECT_EQ(xp->Font().Color(), clMenuText);
  EXPECT_EQ(xp->Color(), clBtnFace);
  EXPECT_EQ(xp->SelectColor(), clHighlight);
  EXPECT_EQ(xp->SelectFontColor(), clMenuText);
  EXPECT_EQ(xp->DisabledColor(), clInactiveCaption);
  EXPECT_EQ(xp->IconWidth(), 24);
  EXPECT_TRUE(xp->DrawSelect());
  EXPECT_TRUE(xp->UseSystemColors());
  EXPECT_FALSE(xp->OverrideOwnerDraw() || xp->Gradient() || xp->FlatMenu() || xp->AutoDetect());
  EXPECT_EQ(xp->XPContainers(), 1023);
  EXPECT_EQ(xp->XPControls(), 65535);
  EXPECT_FALSE(xp->Active());
}

TEST(XPSkinning, SubclassesOnlyWhereTheSetsAndTagsAllow) {
  TPlainForm f = MakeForm();
  auto* xp = new TXPMenu(f.Form);
  EXPECT_FALSE(Skinned(f.Button));
  xp->SetActive(true);
  for (TControl* c : std::initializer_list<TControl*>{f.Button, f.Check, f.Radio, f.Group, f.InGroup,
                                                       f.Edit, f.Memo, f.Combo})
    EXPECT_TRUE(Skinned(c)) << c->ClassName();
  for (TControl* c : std::initializer_list<TControl*>{f.ExemptButton, f.ExemptGroup, f.InExemptGroup,
                                                       f.Label, f.List})
    EXPECT_FALSE(Skinned(c)) << c->ClassName();
  // The flat frame replaces the sunken edge of edits and memos.
  EXPECT_FALSE(f.Edit->Ctl3D());
  EXPECT_FALSE(f.Memo->Ctl3D());
  EXPECT_TRUE(f.Memo->HandleAllocated());
  // The subclass survives the recreation it caused, and is not installed twice.
  const int live = TControlSubClass::LiveCount();
  xp->HookForm(f.Form, true, false);
  EXPECT_EQ(TControlSubClass::LiveCount(), live);

  // Leaving a kind or a container out of the sets, while active, takes the frames off.
  xp->SetXPControls(xcAll & ~(1u << xcButton));
  EXPECT_FALSE(Skinned(f.Button));
  EXPECT_TRUE(Skinned(f.Check));
  xp->SetXPContainers(xccAll & ~(1u << xccGroupBox));
  EXPECT_FALSE(Skinned(f.InGroup));
  EXPECT_TRUE(Skinned(f.Group));
  xp->SetXPControls(xcAll);
  xp->SetXPContainers(xccAll);
  EXPECT_TRUE(Skinned(f.Button));
  EXPECT_TRUE(Skinned(f.InGroup));
  delete f.Form;
  EXPECT_EQ(TControlSubClass::LiveCount(), 0);
}

TEST(XPSkinning, DeactivationRestoresEachControlAtItsNextMessage) {
  TPlainForm f = MakeForm();
  auto* xp = new TXPMenu(f.Form);
  xp->SetActive(true);
  ASSERT_TRUE(Skinned(f.Memo));
  xp->SetActive(false);
  // Lazily: nothing changes until the control hears from the system again.
  EXPECT_TRUE(Skinned(f.Memo));
  EXPECT_FALSE(f.Memo->Ctl3D());
  ::SendMessageA(f.Memo->Handle(), WM_NULL, 0, 0);
  EXPECT_FALSE(Skinned(f.Memo));
  EXPECT_TRUE(f.Memo->Ctl3D());
  // Text the control gives back is its own, not the subclass's answer.
  ::SendMessageA(f.Button->Handle(), WM_NULL, 0, 0);
  EXPECT_EQ(::SendMessageA(f.Button->Handle(), WM_GETTEXTLENGTH, 0, 0), 6);
  EXPECT_FALSE(Skinned(f.Button));
  xp->SetActive(true);
  EXPECT_TRUE(Skinned(f.Button));
  EXPECT_FALSE(f.Memo->Ctl3D());

  // A painter freed first takes its subclasses off at once.
  delete xp;
  EXPECT_FALSE(Skinned(f.Button));
  EXPECT_EQ(TControlSubClass::LiveCount(), 0);
  ::SendMessageA(f.Button->Handle(), WM_NULL, 0, 0);
  EXPECT_TRUE(f.Memo->Ctl3D());
  delete f.Form;
}

TEST(XPSkinning, ADoubleClickReachesASkinnedButtonAsASecondPress) {
  TPlainForm f = MakeForm();
  TSpy skinned, exempt, check;
  skinned.Install(f.Button);
  exempt.Install(f.ExemptButton);
  check.Install(f.Check);
  auto* xp = new TXPMenu(f.Form);
  xp->SetActive(true);
  int clicks = 0;
  f.Button->OnClick = [&clicks](TObject*) { ++clicks; };
  DoubleClick(f.Button->Handle());
  DoubleClick(f.ExemptButton->Handle());
  DoubleClick(f.Check->Handle());
  EXPECT_EQ(skinned.Downs, 2);
  EXPECT_EQ(skinned.DoubleClicks, 0);
  EXPECT_EQ(exempt.Downs, 1);
  EXPECT_EQ(exempt.DoubleClicks, 1);
  EXPECT_EQ(check.Downs, 2);
  EXPECT_EQ(clicks, 2);
  delete f.Form;
}

TEST(XPSkinning, HotFollowsTheMouseAndTheFocus) {
  TPlainForm f = MakeForm();
  auto* xp = new TXPMenu(f.Form);
  xp->SetActive(true);
  TControlSubClass* sub = TControlSubClass::Of(f.Button);
  ASSERT_NE(sub, nullptr);
  f.Button->Perform(CM_MOUSEENTER);
  EXPECT_TRUE(sub->Hot());
  f.Button->Perform(CM_MOUSELEAVE);
  EXPECT_FALSE(sub->Hot());
  ::SendMessageA(f.Button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  EXPECT_TRUE(sub->MouseDown());
  ::SendMessageA(f.Button->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  EXPECT_FALSE(sub->MouseDown());
  f.Button->SetEnabled(false);
  f.Button->Perform(CM_MOUSEENTER);
  EXPECT_FALSE(sub->Hot());  // a disabled control does not light up
  f.Button->SetEnabled(true);
  f.Edit->SetFocus();
  TControlSubClass* edit = TControlSubClass::Of(f.Edit);
  ASSERT_NE(edit, nullptr);
  EXPECT_TRUE(edit->Hot());
  f.Memo->SetFocus();
  EXPECT_FALSE(edit->Hot());
  // A control freed before the painter takes its subclass along.
  const int live = TControlSubClass::LiveCount();
  delete f.Check;
  EXPECT_EQ(TControlSubClass::LiveCount(), live - 1);
  delete f.Form;
}

TEST(XPMenu, HooksMenusBarsAndNewComponents) {
  TForm* form = new TForm(&Application());
  auto* menu = new TMainMenu(form);
  auto* file = AddItem(form, menu->Items(), "&File");
  auto* open = AddItem(form, file, "&Open");
  auto* own = new TMenuItem(form);
  own->SetCaption("Own");
  own->Tag = NoSkinTag;
  file->Add(own);
  auto* custom = new TMenuItem(form);
  custom->SetCaption("Custom");
  int customDraws = 0;
  custom->SetOnDrawItem([&customDraws](TObject*, TGdiCanvas&, TRect, bool) { ++customDraws; });
  file->Add(custom);
  menu->AttachTo(form);
  auto* popup = new TPopupMenu(form);
  popup->Tag = NoSkinTag;  // the tag rule is the main menu's only
  auto* cut = AddItem(form, popup->Items(), "Cut");
  auto* bar = new TToolBar(form);
  bar->SetParent(form);

  auto* xp = new TXPMenu(form);
  xp->SetAutoDetect(true);
  xp->SetActive(true);
  EXPECT_TRUE(open->OnDrawItem() && open->OnMeasureItem());
  EXPECT_TRUE(open->IsOwnerDrawn());
  EXPECT_TRUE(cut->OnDrawItem());
  EXPECT_FALSE(own->OnDrawItem());
  EXPECT_TRUE(bar->Flat());
  EXPECT_TRUE(bar->OnCustomDrawButton);
  // The application's own handler stays, until OverrideOwnerDraw replaces it.
  TGdiCanvas none(nullptr);
  custom->OnDrawItem()(custom, none, {}, false);
  EXPECT_EQ(customDraws, 1);
  xp->SetOverrideOwnerDraw(true);
  custom->OnDrawItem()(custom, none, {}, false);
  EXPECT_EQ(customDraws, 1);

  // Run-time additions: a control bar is hooked on creation.
  auto* controlBar = new TControlBar(form);
  controlBar->SetParent(form);
  EXPECT_TRUE(controlBar->OnBandPaint);
  xp->SetAutoDetect(false);
  auto* second = new TControlBar(form);
  EXPECT_FALSE(second->OnBandPaint);

  // The measure handler is the painter's: a separator is 4 high.
  auto* line = AddItem(form, file, "-");
  xp->HookForm(form, true, false);
  TWindowDC screen(nullptr);
  TGdiCanvas canvas(screen.get());
  int width = 0, height = 0;
  line->MeasureItem(canvas, width, height);
  EXPECT_EQ(height, 4);

  xp->SetActive(false);
  EXPECT_FALSE(open->OnDrawItem());
  EXPECT_FALSE(cut->OnMeasureItem());
  EXPECT_FALSE(bar->OnCustomDrawButton);
  EXPECT_FALSE(controlBar->OnBandPaint);
  delete form;
}

TEST(XPMenu, LoadsFromADescriptionWithActiveLast) {
  RegisterStandardClasses();
  RegisterXPMenuClass();
  const auto properties = ClassRegistry().Properties("TXPMenu");
  ASSERT_FALSE(properties.empty());
  EXPECT_EQ(properties.back()->Name, "Active");
  EXPECT_EQ(properties[properties.size() - 2]->Name, "XPControls");
  EXPECT_EQ(properties[properties.size() - 2]->Default.Names.size(), 16u);
  TForm form(&Application());
  auto* button = new TButton(&form);
  button->SetParent(&form);
  auto* xp = new TXPMenu(&form);
  xp->BeginLoading();
  ClassRegistry().FindProperty("TXPMenu", "Active")->Set(*xp, IdentValue("True"));
  EXPECT_FALSE(Skinned(button));  // not before the whole form is there
  xp->EndLoading();
  EXPECT_TRUE(xp->Active());
  EXPECT_TRUE(Skinned(button));
  ClassRegistry().FindProperty("TXPMenu", "Font.Name")->Set(*xp, StringValue("Tahoma"));
  EXPECT_EQ(xp->Font().Name(), "Tahoma");
}

TEST(XPShowcase, BothLooksSideBySide) {
  TForm* form = new TForm(&Application());
  form->SetBorderStyle(TFormBorderStyle::bsSingle);
  form->Position = TPosition::poScreenCenter;
  TXPShowcase s = BuildXPShowcase(form);
  form->Show();
  ::SetForegroundWindow(form->Handle());
  qftest::PumpUntil([] { return false; }, 400);
  form->Repaint();
  qftest::PumpUntil([] { return false; }, 200);

  EXPECT_TRUE(Skinned(s.Buttons[0]));
  EXPECT_FALSE(Skinned(s.Buttons[1]));
  EXPECT_FALSE(Skinned(s.Label));
  EXPECT_FALSE(Skinned(s.List));
  // The skinned button is filled with the icon-back colour, the exempt one keeps the face colour.
  HDC screen = ::GetDC(nullptr);
  const bool deep = ::GetDeviceCaps(screen, BITSPIXEL) > 15;
  ::ReleaseDC(nullptr, screen);
  s.Buttons[0]->Repaint();
  const TColor face = ColorToRGB(clBtnFace);
  const TColor skinnedFill = deep ? LightenColor(clBtnFace, 16) : face;
  EXPECT_EQ(PixelOf(s.Buttons[0], 5, 5), skinnedFill);
  EXPECT_EQ(PixelOf(s.Buttons[1], 5, 5), face);
  Capture(form, "xp_showcase.bmp");

  // The open popup shows the icon column in its own colour.
  TColor iconColumn = -1;
  TColor textArea = -1;
  qftest::TDeferred look([&] {
    HWND popup = ::FindWindowA("#32768", nullptr);
    if (popup) {
      RECT r{};
      ::GetWindowRect(popup, &r);
      TWindowDC dc(nullptr);
      iconColumn = static_cast<TColor>(::GetPixel(dc.get(), r.left + 8, r.top + 12));
      textArea = static_cast<TColor>(::GetPixel(dc.get(), r.right - 12, r.top + 6));
      RECT area{r.left - 4, r.top - 4, r.right + 8, r.bottom + 8};
      Capture(form, "xp_popup.bmp", &area);
    }
    ::EndMenu();
  }, 300);
  RECT fr{};
  ::GetWindowRect(form->Handle(), &fr);
  s.PopupMenu->Popup(fr.left + 40, fr.top + 120);
  if (iconColumn != -1) {
    EXPECT_EQ(iconColumn, deep ? LightenColor(clBtnFace, 16) : face);
    EXPECT_EQ(textArea, deep ? LightenColor(clBtnFace, 86) : clWhite);
  }
  delete form;
}

TEST(XPMenu, MenusOfARightToLeftWindowAreDrawnFromTheRight) {
  TForm* form = new TForm(&Application());
  auto* menu = new TMainMenu(form);
  auto* file = AddItem(form, menu->Items(), "&File");
  auto* open = AddItem(form, file, "&Open");
  menu->AttachTo(form);
  auto* popup = new TPopupMenu(form);
  auto* cut = AddItem(form, popup->Items(), "Cut");
  auto* xp = new TXPMenu(form);
  xp->SetActive(true);
  HWND window = form->Handle();
  EXPECT_FALSE(menu->IsRightToLeft());
  EXPECT_FALSE(popup->IsRightToLeft());

  // Drawn into a bitmap: the icon column's colour tells which side it is on.
  auto iconSide = [&](TMenuItem* item) {
    TBitmap bitmap(150, 22);
    item->DrawItem(bitmap.Canvas(), {0, 0, 150, 22}, false);
    const TColor icon = xp->Colors().EffIconBackColor & 0xFFFFFF;
    const bool left = (bitmap.Pixel(3, 10) & 0xFFFFFF) == icon;
    const bool right = (bitmap.Pixel(146, 10) & 0xFFFFFF) == icon;
    return left && !right ? 'L' : right && !left ? 'R' : '?';
  };
  EXPECT_EQ(iconSide(open), 'L');
  const LONG exStyle = ::GetWindowLongA(window, GWL_EXSTYLE);
  ::SetWindowLongA(window, GWL_EXSTYLE, exStyle | WS_EX_RTLREADING);
  EXPECT_TRUE(menu->IsRightToLeft());
  EXPECT_TRUE(popup->IsRightToLeft());
  EXPECT_EQ(iconSide(open), 'R');
  EXPECT_EQ(iconSide(cut), 'R');
  // A mode of its own overrides the window's; setting one stops taking the window's.
  popup->SetParentBiDiMode(false);
  EXPECT_FALSE(popup->IsRightToLeft());
  EXPECT_EQ(iconSide(cut), 'L');
  ::SetWindowLongA(window, GWL_EXSTYLE, exStyle);
  popup->SetParentBiDiMode(true);
  popup->SetBiDiMode(TBiDiMode::bdRightToLeft);
  EXPECT_FALSE(popup->ParentBiDiMode());
  EXPECT_TRUE(popup->IsRightToLeft());
  EXPECT_FALSE(menu->IsRightToLeft());
  delete form;
}

TEST(XPMenu, PaintedItemsAnswerTheirAcceleratorKeys) {
  TForm* form = new TForm(&Application());
  TXPShowcase s = BuildXPShowcase(form);
  HWND window = form->Handle();
  HMENU bar = s.MainMenu->Handle();
  HMENU file = s.FileMenu->Handle();
  ASSERT_TRUE(s.FileMenu->IsOwnerDrawn());
  auto menuChar = [&](char key, HMENU menu, WPARAM flags) {
    return ::SendMessageA(window, WM_MENUCHAR, MAKEWPARAM(static_cast<unsigned char>(key), flags),
                          reinterpret_cast<LPARAM>(menu));
  };
  // "&File" and "&View" on the bar, either case; their position is the answer.
  EXPECT_EQ(menuChar('f', bar, 0), MAKELRESULT(0, MNC_EXECUTE));
  EXPECT_EQ(menuChar('V', bar, 0), MAKELRESULT(1, MNC_EXECUTE));
  EXPECT_EQ(HIWORD(menuChar('q', bar, 0)), 0);  // no such key: the system beeps
  // In the File menu, counted past the separator: New, Open..., Save, Recent, -, Exit.
  EXPECT_EQ(menuChar('s', file, MF_POPUP), MAKELRESULT(2, MNC_EXECUTE));
  EXPECT_EQ(menuChar('x', file, MF_POPUP), MAKELRESULT(5, MNC_EXECUTE));
  delete form;
}
