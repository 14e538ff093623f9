#include <gtest/gtest.h>

#include "WinApi.h"
#include <commctrl.h>

#include <string>
#include <vector>

#include "ComCtrls.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "WinTestSupport.h"

using namespace quillfen::vcl;

namespace {

std::vector<UINT>* gSeen = nullptr;
WNDPROC gPrevious = nullptr;

// A plain Win32 subclass, as the XP skinning installs one.
LRESULT CALLBACK Spy(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (gSeen && message >= CM_BASE && message < CN_BASE) gSeen->push_back(message);
  return ::CallWindowProcA(gPrevious, window, message, wParam, lParam);
}

TForm* MakeForm(const char* caption) {
  auto* form = new TForm(&Application());
  form->SetCaption(caption);
  form->SetClientSize(300, 200);
  return form;
}

}  // namespace

TEST(WinControl, TrampolineFindsTheObjectAndNoticesPassTheWindowProcedure) {
  TForm* form = MakeForm("Notices");
  auto* button = new TButton(form);
  button->SetParent(form);
  button->SetCaption("Begin Scan");
  HWND handle = button->Handle();
  EXPECT_EQ(TWinControl::FromHandle(handle), button);
  EXPECT_EQ(::GetParent(handle), form->Handle());
  char className[64] = {};
  ::GetClassNameA(handle, className, sizeof className);
  EXPECT_STREQ(className, "TButton");
  EXPECT_EQ(button->GetText(), "Begin Scan");

  // Both a replaced WindowProc and a Win32 subclass see the framework notices.
  std::vector<UINT> hooked;
  TWndMethod old = button->WindowProc;
  button->WindowProc = [&](TMessage& m) {
    if (m.Msg >= CM_BASE && m.Msg < CN_BASE) hooked.push_back(m.Msg);
    old(m);
  };
  std::vector<UINT> spied;
  gSeen = &spied;
  gPrevious = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Spy)));
  button->SetEnabled(false);
  button->SetCaption("Exit Program");
  button->Font().SetHeight(-13);
  ::SetWindowLongPtrA(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gPrevious));
  gSeen = nullptr;
  const std::vector<UINT> expected = {CM_ENABLEDCHANGED, CM_TEXTCHANGED, CM_FONTCHANGED};
  EXPECT_EQ(hooked, expected);
  EXPECT_EQ(spied, expected);
  EXPECT_EQ(CM_CTL3DCHANGED, 45072u);
  EXPECT_EQ(CM_PARENTCTL3DCHANGED, 45073u);
  EXPECT_FALSE(::IsWindowEnabled(handle));
  EXPECT_FALSE(button->ParentFont());  // a font set by hand stops following the parent

  delete form;
  EXPECT_FALSE(::IsWindow(handle));
}

TEST(WinControl, ParentFontAndColourFlowToChildren) {
  TForm* form = MakeForm("Fonts");
  auto* group = new TGroupBox(form);
  group->SetParent(form);
  auto* check = new TCheckBox(form);
  check->SetParent(group);
  auto* memo = new TMemo(form);
  memo->SetParent(group);
  memo->SetParentFont(false);
  form->Font().SetName("Arial");
  EXPECT_EQ(group->Font().Name(), "Arial");
  EXPECT_EQ(check->Font().Name(), "Arial");
  EXPECT_NE(memo->Font().Name(), "Arial");
  form->SetColor(clWindow);
  EXPECT_EQ(group->Color(), clWindow);
  EXPECT_EQ(check->Color(), clWindow);
  delete form;
}

TEST(GraphicControl, ParentDispatchesAClickAndPaintsIt) {
  TForm* form = MakeForm("Graphic");
  auto* label = new TLabel(form);
  label->SetParent(form);
  label->SetAutoSize(false);
  label->SetBounds(20, 30, 100, 20);
  label->SetCaption("Read this first");
  int clicks = 0;
  label->OnClick = [&](TObject*) { ++clicks; };
  form->Show();
  qftest::PostClick(form->Handle(), 25, 35);
  qftest::PostClick(form->Handle(), 5, 5);  // beside the label
  EXPECT_TRUE(qftest::PumpUntil([&] { return clicks > 0; }));
  qftest::PumpUntil([] { return false; }, 100);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(form->ControlAtPos({25, 35}), label);
  EXPECT_EQ(form->ControlAtPos({5, 5}), nullptr);
  delete form;
}

TEST(StandardControls, ListMemoCheckBoxAndStatusBarKeepTheirState) {
  TForm* form = MakeForm("Controls");
  auto* list = new TListBox(form);
  list->SetParent(form);
  list->SetMultiSelect(true);
  list->SetItems({"Battle\\Slash.wav", "CharSet\\Hero.png", "Music\\Town.mid"});
  list->SetSelected(0, true);
  list->SetSelected(2, true);
  EXPECT_EQ(list->SelCount(), 2);
  EXPECT_TRUE(list->Selected(2));
  EXPECT_FALSE(list->Selected(1));
  EXPECT_TRUE(::GetWindowLongA(list->Handle(), GWL_STYLE) & LBS_EXTENDEDSEL);
  list->SetBorderStyle(TBorderStyle::bsNone);  // recreates the window, keeps the selection
  EXPECT_EQ(list->SelCount(), 2);
  EXPECT_EQ(::SendMessageA(list->Handle(), LB_GETCOUNT, 0, 0), 3);

  auto* memo = new TMemo(form);
  memo->SetParent(form);
  memo->SetReadOnly(true);
  memo->SetLines({"first line ", "", "third"});
  EXPECT_EQ(memo->Lines(), (std::vector<std::string>{"first line ", "", "third"}));
  EXPECT_TRUE(::GetWindowLongA(memo->Handle(), GWL_STYLE) & ES_READONLY);

  auto* check = new TCheckBox(form);
  check->SetParent(form);
  int clicked = 0;
  check->OnClick = [&](TObject*) { ++clicked; };
  ::SendMessageA(check->Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(check->Checked());
  EXPECT_EQ(::SendMessageA(check->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(clicked, 1);

  auto* status = new TStatusBar(form);
  status->SetParent(form);
  status->AddPanel("No project loaded", 359);
  status->AddPanel("", 100);
  status->SetPanelText(0, "Building project data...");
  char text[64] = {};
  ::SendMessageA(status->Handle(), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "Building project data...");
  EXPECT_EQ(::SendMessageA(status->Handle(), SB_GETPARTS, 0, 0), 2);
  EXPECT_EQ(status->Top() + status->Height(), form->ClientHeight());  // docked at the bottom
  delete form;
}

TEST(WinControl, RecreatingAWindowKeepsWhatItsChildrenHeld) {
  TForm* form = MakeForm("Recreate");
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  auto* list = new TListBox(form);
  list->SetParent(form);
  list->SetItems({"a", "b"});
  form->Show();
  ::SetWindowTextA(edit->Handle(), "typed by the user");
  list->SetSelected(1, true);
  HWND before = form->Handle();
  form->SetBorderStyle(TFormBorderStyle::bsDialog);  // a new window for the form
  EXPECT_NE(form->Handle(), before);
  EXPECT_TRUE(::IsWindowVisible(form->Handle()));
  EXPECT_EQ(::GetParent(edit->Handle()), form->Handle());
  EXPECT_EQ(edit->GetText(), "typed by the user");
  EXPECT_EQ(list->ItemIndex(), 1);
  EXPECT_TRUE(::GetWindowLongA(form->Handle(), GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
  delete form;
}

namespace {
// A windowless control that logs the framework notices it receives.
class TNoticeProbe : public TGraphicControl {
 public:
  explicit TNoticeProbe(TComponent* owner) : TGraphicControl(owner) {}
  std::vector<std::pair<UINT, LPARAM>> seen;
  WPARAM answerChar = 0;

 protected:
  void WndProc(TMessage& m) override {
    if (m.Msg == CM_FOCUSCHANGED || m.Msg == CM_DIALOGCHAR) seen.emplace_back(m.Msg, m.LParam);
    if (m.Msg == CM_DIALOGCHAR && m.WParam == answerChar) {
      m.Result = 1;
      return;
    }
    TGraphicControl::WndProc(m);
  }
};
}  // namespace

TEST(WinControl, FocusDialogCharAndCtl3DNoticesReachTheTree) {
  TForm* form = MakeForm("Tree");
  auto* group = new TGroupBox(form);
  group->SetParent(form);
  auto* probe = new TNoticeProbe(form);
  probe->SetParent(group);
  probe->answerChar = 'b';
  auto* edit = new TEdit(form);
  edit->SetParent(group);
  form->Show();

  edit->SetFocus();
  ASSERT_FALSE(probe->seen.empty());
  EXPECT_EQ(probe->seen.back().first, static_cast<UINT>(CM_FOCUSCHANGED));
  EXPECT_EQ(probe->seen.back().second, reinterpret_cast<LPARAM>(static_cast<TControl*>(edit)));

  probe->seen.clear();
  ::PostMessageA(edit->Handle(), WM_SYSCHAR, 'b', 0x20300001);
  EXPECT_TRUE(qftest::PumpUntil([&] { return !probe->seen.empty(); }));
  EXPECT_EQ(probe->seen.at(0).first, static_cast<UINT>(CM_DIALOGCHAR));

  EXPECT_TRUE(::GetWindowLongA(edit->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  HWND flatBefore = edit->Handle();
  form->SetCtl3D(false);  // flows down to the edit, which takes a new frame
  EXPECT_FALSE(group->Ctl3D());
  EXPECT_FALSE(edit->Ctl3D());
  EXPECT_NE(edit->Handle(), flatBefore);
  EXPECT_FALSE(::GetWindowLongA(edit->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  edit->SetCtl3D(true);
  EXPECT_FALSE(edit->ParentCtl3D());
  delete form;
}

TEST(Screen, CursorListKeepsRegisteredCursors) {
  EXPECT_NE(Screen().Cursors(crDefault), nullptr);
  EXPECT_EQ(Screen().Cursors(crArrow), ::LoadCursorA(nullptr, IDC_ARROW));
  HCURSOR hand = ::LoadCursorA(nullptr, IDC_HAND);
  Screen().SetCursors(15000, hand);
  EXPECT_EQ(Screen().Cursors(15000), hand);
  EXPECT_EQ(Screen().Cursors(15004), Screen().Cursors(crDefault));  // unknown: the default
  EXPECT_GT(Screen().PixelsPerInch(), 0);
}
