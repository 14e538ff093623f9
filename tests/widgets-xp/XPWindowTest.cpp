#include <gtest/gtest.h>

#include "WinApi.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

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

namespace {

// A painter of its own on a hidden form, its colours prepared for bitmap.
struct TBitmapPainter {
  TForm form{&Application()};
  TXPMenu* xp = new TXPMenu(&form);
  explicit TBitmapPainter(TBitmap& bitmap) { xp->PrepareColors(bitmap.Canvas().Handle()); }
};

// Sizes bitmap and fills it with one colour.
void Fill(TBitmap& bitmap, int width, int height, TColor color) {
  bitmap.SetSize(width, height);
  bitmap.Canvas().Brush.Style = TBrushStyle::bsSolid;
  bitmap.Canvas().Brush.Color = color;
  bitmap.Canvas().FillRect({0, 0, width, height});
}

// A 16 x 16 glyph: a red square (4..11) on a teal background.
constexpr TColor kGlyphBack = 0x808000;  // RGB(0, 128, 128)
constexpr TColor kGlyphInk = 0x0000C8;   // RGB(200, 0, 0)
void MakeGlyph(TBitmap& glyph) {
  Fill(glyph, 16, 16, kGlyphBack);
  glyph.Canvas().Brush.Color = kGlyphInk;
  glyph.Canvas().FillRect({4, 4, 12, 12});
}

TColor At(TBitmap& bitmap, int x, int y) { return bitmap.Pixel(x, y) & 0xFFFFFF; }

int Count(TBitmap& bitmap, TColor color) {
  int n = 0;
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x) n += At(bitmap, x, y) == (color & 0xFFFFFF);
  return n;
}

}  // namespace

TEST(XPPainter, ItemGlyphsAreDimmedGrayedAndLiftedPixelByPixel) {
  constexpr TColor kBack = 0xF0E0D0;
  TBitmap target;
  Fill(target, 40, 24, kBack);
  TBitmapPainter p(target);
  if (!p.xp->DeepColorMode()) GTEST_SKIP() << "no dimming on a display of 15 bits or fewer";
  // A menu item's glyph, narrower than the icon column: x = (24 - 16) / 2 - 1, y = 3.
  // Not selected: every pixel is dimmed by DimLevel, the background too, and
  // the dimmed background is what stays transparent.
  TBitmap dimmed;
  MakeGlyph(dimmed);
  p.xp->DrawItemGlyph(target.Canvas(), false, false, false, true, false, false, {0, 0, 40, 24}, dimmed, false);
  EXPECT_EQ(At(dimmed, 0, 15), LightenColor(kGlyphBack, 30));
  EXPECT_EQ(At(dimmed, 8, 8), LightenColor(kGlyphInk, 30));
  EXPECT_EQ(At(target, 3 + 8, 3 + 8), LightenColor(kGlyphInk, 30));
  EXPECT_EQ(At(target, 3 + 4, 3 + 4), LightenColor(kGlyphInk, 30));
  EXPECT_EQ(At(target, 3 + 3, 3 + 3), kBack);
  EXPECT_EQ(At(target, 3, 3), kBack);
  EXPECT_EQ(At(target, 3 + 12, 3 + 8), kBack);
  EXPECT_EQ(Count(target, LightenColor(kGlyphInk, 30)), 64);

  // Disabled: grayed by GrayLevel, then lightened by 40, every pixel.
  Fill(target, 40, 24, kBack);
  TBitmap grayed;
  MakeGlyph(grayed);
  p.xp->DrawItemGlyph(target.Canvas(), false, false, false, false, false, false, {0, 0, 40, 24}, grayed, false);
  const TColor grayInk = LightenColor(GrayColor(kGlyphInk, 10), 40);
  EXPECT_EQ(At(grayed, 0, 15), LightenColor(GrayColor(kGlyphBack, 10), 40));
  EXPECT_EQ(At(target, 3 + 8, 3 + 8), grayInk);
  EXPECT_EQ(At(target, 3 + 2, 3 + 2), kBack);
  EXPECT_EQ(Count(target, grayInk), 64);

  // Selected: one pixel up and left, undimmed, over its shadow two pixels
  // down and right in the darkened selection colour.
  Fill(target, 40, 24, kBack);
  TBitmap lifted;
  MakeGlyph(lifted);
  p.xp->DrawItemGlyph(target.Canvas(), false, false, false, true, false, true, {0, 0, 40, 24}, lifted, false);
  const TColor shade = DarkenColor(p.xp->Colors().EffSelectColor, 50) & 0xFFFFFF;
  EXPECT_EQ(At(lifted, 0, 15), kGlyphBack);
  EXPECT_EQ(At(target, 2 + 4, 2 + 4), kGlyphInk);
  EXPECT_EQ(At(target, 2 + 11, 2 + 11), kGlyphInk);
  EXPECT_EQ(At(target, 2 + 13, 2 + 13), shade);
  EXPECT_EQ(At(target, 2 + 12, 2 + 6), shade);
  EXPECT_EQ(At(target, 2 + 3, 2 + 3), kBack);
  EXPECT_EQ(Count(target, kGlyphInk), 64);
  EXPECT_EQ(Count(target, shade), 64 - 36);  // the square's shadow less what the square covers
  // Checked: drawn as it is, where it is.
  Fill(target, 40, 24, kBack);
  TBitmap plain;
  MakeGlyph(plain);
  p.xp->DrawItemGlyph(target.Canvas(), false, false, true, true, false, false, {0, 0, 40, 24}, plain, false);
  EXPECT_EQ(At(target, 3 + 4, 3 + 4), kGlyphInk);
  EXPECT_EQ(Count(target, kGlyphInk), 64);
}

TEST(XPPainter, TopLevelSelectionHasAnOpenFrameAndAShadowAtTheRight) {
  constexpr TColor kBar = 0xC0C0C0;
  TBitmap target;
  Fill(target, 80, 24, kBar);
  TBitmapPainter p(target);
  const TXPWorkingColors& c = p.xp->Colors();
  const TColor select = ColorToRGB(c.EffSelectColor) & 0xFFFFFF;
  const TColor border = ColorToRGB(c.EffSelectBorderColor) & 0xFFFFFF;
  const int L = 10, T = 2, R = 70, B = 22;
  // Left to right on a deep display: frame up to R - 8, a stepped shadow after it.
  p.xp->DrawTopLevelSelection(target.Canvas(), false, kBar, {L, T, R, B});
  if (c.DeepColorMode) {
    const TColor bar = ColorToRGB(c.EffMenuBarColor);
    EXPECT_EQ(At(target, L, T + 8), border);
    EXPECT_EQ(At(target, L, B - 1), border);
    EXPECT_EQ(At(target, L + 20, T), border);
    EXPECT_EQ(At(target, R - 8, T + 8), border);
    EXPECT_EQ(At(target, R - 8, B - 1), border);
    EXPECT_EQ(At(target, L + 20, B - 1), select);  // no frame along the bottom
    EXPECT_EQ(At(target, L + 1, T + 1), select);
    EXPECT_EQ(At(target, R - 9, B - 2), select);
    EXPECT_EQ(At(target, R - 1, B - 1), DarkenColor(bar, 10) & 0xFFFFFF);
    EXPECT_EQ(At(target, R - 3, B - 1), DarkenColor(bar, 30) & 0xFFFFFF);
    EXPECT_EQ(At(target, R - 4, B - 1), DarkenColor(bar, 60) & 0xFFFFFF);
    EXPECT_EQ(At(target, R - 7, B - 1), DarkenColor(bar, 100) & 0xFFFFFF);
    EXPECT_EQ(At(target, R - 1, T + 3), bar & 0xFFFFFF);
    EXPECT_EQ(At(target, R, T + 5), kBar);
  }
  // Right to left: frame up to R - 3 and a flat two-pixel shadow.
  Fill(target, 80, 24, kBar);
  p.xp->DrawTopLevelSelection(target.Canvas(), true, kBar, {L, T, R, B});
  EXPECT_EQ(At(target, R - 3, T + 8), border);
  EXPECT_EQ(At(target, L + 20, T), border);
  EXPECT_EQ(At(target, R - 4, T + 8), select);
  EXPECT_EQ(At(target, R - 1, T + 8), DarkenColor(kBar, 70) & 0xFFFFFF);
  EXPECT_EQ(At(target, R - 2, B - 1), DarkenColor(kBar, 70) & 0xFFFFFF);
  EXPECT_EQ(At(target, R - 1, T), kBar);
  EXPECT_EQ(At(target, R - 2, T + 1), kBar);
}

TEST(XPPainter, ADefaultItemsTextHasAHaloOfThePixelsUnderIt) {
  constexpr TColor kBack = 0xC89664;  // RGB(100, 150, 200)
  TBitmap target;
  Fill(target, 120, 24, kBack);
  TBitmapPainter p(target);
  TFontState font;
  font.Name = "Arial";
  font.Height = -16;
  font.Color = clBlack;
  font.Style = fsBold;
  const TColor light30 = LightenColor(kBack, 30), light60 = LightenColor(kBack, 60);
  const TColor dark40 = DarkenColor(kBack, 40) & 0xFFFFFF;
  // An ordinary item: black text, none of the halo's colours.
  p.xp->DrawItemText(target.Canvas(), "HIH", 0, font, false, false, false, true, false, {4, 0, 120, 24}, {});
  EXPECT_GT(Count(target, clBlack), 20);
  EXPECT_EQ(Count(target, light30) + Count(target, light60) + Count(target, dark40), 0);
  // The default item: copies one right, two down, one left and down (darker)
  // and one right and down, under the black text.
  Fill(target, 120, 24, kBack);
  p.xp->DrawItemText(target.Canvas(), "HIH", 0, font, false, false, true, true, false, {4, 0, 120, 24}, {});
  EXPECT_GT(Count(target, clBlack), 20);
  EXPECT_GT(Count(target, light60), 10);
  EXPECT_GT(Count(target, dark40), 2);
  EXPECT_GT(Count(target, light30), 5);
  // Each halo pixel lies beside a text pixel: the darker copy one left and
  // one down of it, the brightest one right and down.
  bool darkLeftBelow = false, lightRightBelow = false;
  for (int y = 1; y < 24; ++y)
    for (int x = 1; x + 1 < 120; ++x) {
      darkLeftBelow |= At(target, x, y) == dark40 && At(target, x + 1, y - 1) == 0;
      lightRightBelow |= At(target, x, y) == light60 && At(target, x - 1, y - 1) == 0;
    }
  EXPECT_TRUE(darkLeftBelow);
  EXPECT_TRUE(lightRightBelow);
}

TEST(XPSkinning, TheControlPaintersDrawTheirFramesBoxesAndArrows) {
  TPlainForm f = MakeForm();
  auto* xp = new TXPMenu(f.Form);
  xp->SetActive(true);
  f.List->SetFocus();  // no skinned control is hot or focused
  qftest::PumpUntil([] { return false; }, 100);
  auto paint = [](TWinControl* c) {
    ::RedrawWindow(c->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  };
  const TColor window = ColorToRGB(clWindow), shadowColor = ColorToRGB(clBtnShadow);
  const TColor highlight = ColorToRGB(clHighlight);
  const int thumb = ::GetSystemMetrics(SM_CXHTHUMB);

  // The edit's flat frame lies over its client rectangle.
  paint(f.Edit);
  RECT client{};
  ::GetClientRect(f.Edit->Handle(), &client);
  EXPECT_EQ(PixelOf(f.Edit, 0, client.bottom / 2), DarkenColor(window, 60) & 0xFFFFFF);
  EXPECT_EQ(PixelOf(f.Edit, client.right - 1, client.bottom / 2), DarkenColor(window, 60) & 0xFFFFFF);
  EXPECT_EQ(PixelOf(f.Edit, client.right / 2, client.bottom - 1), DarkenColor(window, 60) & 0xFFFFFF);

  // The check box: a box of the thumb size at the left, centred in the client
  // height less three pixels each way, framed in the shadow colour and filled
  // with the window colour; checked, a tick in the highlight colour.
  f.Check->SetChecked(true);
  paint(f.Check);
  ::GetClientRect(f.Check->Handle(), &client);
  const int boxTop = 3 + ((client.bottom - 3 - 3) - thumb) / 2;
  const TRect box{2, boxTop + 2, thumb - 2, boxTop + thumb - 2};
  EXPECT_EQ(PixelOf(f.Check, box.Left, box.Top + 1), shadowColor);
  EXPECT_EQ(PixelOf(f.Check, box.Right - 1, box.Bottom - 2), shadowColor);
  EXPECT_EQ(PixelOf(f.Check, box.Left + 1, box.Top + 1), window);
  EXPECT_EQ(PixelOf(f.Check, 0, boxTop), ColorToRGB(f.Check->Color()));
  const int w = box.Width();
  EXPECT_EQ(PixelOf(f.Check, box.Left + w / 2 - 1, box.Bottom - 4), highlight) << "the tick's lowest point";
  f.Check->SetChecked(false);
  paint(f.Check);
  EXPECT_EQ(PixelOf(f.Check, box.Left + w / 2 - 1, box.Bottom - 4), window);

  // The radio button: a 14-pixel circle with a dot in the highlight colour.
  f.Radio->SetChecked(true);
  paint(f.Radio);
  ::GetClientRect(f.Radio->Handle(), &client);
  const int radioTop = 4 + ((client.bottom - 4 - 4) - 14) / 2;
  EXPECT_EQ(PixelOf(f.Radio, 7, radioTop + 7), highlight);
  EXPECT_EQ(PixelOf(f.Radio, 7, radioTop + 2), shadowColor);
  EXPECT_EQ(PixelOf(f.Radio, 7, radioTop + 3), window);
  f.Radio->SetChecked(false);
  paint(f.Radio);
  EXPECT_EQ(PixelOf(f.Radio, 7, radioTop + 7), window);

  // The combo box: its colour around, the button area in the face colour at
  // the right with a black arrow of 5, 3 and 1 pixels ten pixels down.
  paint(f.Combo);
  ::GetClientRect(f.Combo->Handle(), &client);
  const int buttonLeft = client.right - 1 - (thumb + 1);
  EXPECT_EQ(PixelOf(f.Combo, 0, 0), window);
  EXPECT_EQ(PixelOf(f.Combo, client.right - 1, client.bottom - 1), window);
  EXPECT_EQ(PixelOf(f.Combo, buttonLeft + 1, 2), ColorToRGB(clBtnFace));
  EXPECT_EQ(PixelOf(f.Combo, buttonLeft - 1, 5), window);  // the separator in the border colour
  const int arrowX = buttonLeft + (thumb + 1 - 5) / 2;
  for (int i = 0; i < 5; ++i) EXPECT_EQ(PixelOf(f.Combo, arrowX + i, 10), 0u) << i;
  EXPECT_EQ(PixelOf(f.Combo, arrowX + 1, 11), 0u);
  EXPECT_EQ(PixelOf(f.Combo, arrowX + 2, 12), 0u);
  EXPECT_EQ(PixelOf(f.Combo, arrowX, 12), ColorToRGB(clBtnFace));

  // The group box: a frame light at the top and left, dark at the right and
  // bottom, starting at half the caption's height, with a gap for the caption.
  paint(f.Group);
  ::GetClientRect(f.Group->Handle(), &client);
  const TColor face = ColorToRGB(f.Group->Color());
  const TColor light = LightenColor(face, 60), dark = DarkenColor(face, 60) & 0xFFFFFF;
  int frameTop = -1;
  for (int y = 0; y < 20 && frameTop < 0; ++y)
    if (PixelOf(f.Group, 0, y) == light) frameTop = y;
  ASSERT_GE(frameTop, 3);
  EXPECT_EQ(PixelOf(f.Group, 4, frameTop), light);
  EXPECT_EQ(PixelOf(f.Group, 0, client.bottom - 2), light);
  EXPECT_EQ(PixelOf(f.Group, client.right - 1, frameTop + 10), dark);
  EXPECT_EQ(PixelOf(f.Group, client.right / 2, client.bottom - 1), dark);
  EXPECT_NE(PixelOf(f.Group, 8, frameTop), light) << "the caption's gap";
  EXPECT_EQ(PixelOf(f.Group, client.right - 5, frameTop), light);
  delete f.Form;
}

TEST(XPSkinning, AClickHandlerMayFreeItsOwnButtonOrItsForm) {
  // Freed memory is filled at once, so that a subclass reading its fields
  // after the handler would find garbage instead of its old values.
  std::vector<std::unique_ptr<unsigned char[]>> blocks;
  auto scribble = [&blocks] {
    for (int i = 0; i < 64; ++i) {
      blocks.emplace_back(new unsigned char[sizeof(TControlSubClass)]);
      std::memset(blocks.back().get(), 0xCD, sizeof(TControlSubClass));
    }
  };
  const LPARAM at = MAKELPARAM(5, 5);
  TPlainForm f = MakeForm();
  auto* xp = new TXPMenu(f.Form);
  xp->SetActive(true);
  const int live = TControlSubClass::LiveCount();
  TButton* button = f.Button;
  HWND window = button->Handle();
  int clicks = 0;
  // The handler is freed with its button: it copies what it needs first.
  button->OnClick = [&](TObject*) {
    ++clicks;
    auto spray = scribble;
    TButton* doomed = button;
    delete doomed;
    spray();
  };
  ::SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::SendMessageA(window, WM_LBUTTONUP, 0, at);
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(::IsWindow(window));
  EXPECT_EQ(TControlSubClass::LiveCount(), live - 1);
  // The painter and the other skinned controls go on.
  ::SendMessageA(f.Check->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::SendMessageA(f.Check->Handle(), WM_LBUTTONUP, 0, at);
  EXPECT_TRUE(f.Check->Checked());

  // A handler that frees the whole form, painter and all.
  TForm* form = f.Form;
  TButton* other = f.ExemptButton;
  other->Tag = 0;
  xp->HookForm(form, true, false);
  ASSERT_TRUE(Skinned(other));
  HWND otherWindow = other->Handle();
  other->OnClick = [&](TObject*) {
    ++clicks;
    auto spray = scribble;
    TForm* doomed = form;
    delete doomed;
    spray();
  };
  ::SendMessageA(otherWindow, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::SendMessageA(otherWindow, WM_LBUTTONUP, 0, at);
  EXPECT_EQ(clicks, 2);
  EXPECT_FALSE(::IsWindow(otherWindow));
  EXPECT_EQ(TControlSubClass::LiveCount(), 0);
}
