// Tab order, keyboard navigation and the dialog keys, with real windows and
// keys pressed through the input queue.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FormClasses.h"
#include "FormLoader.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "WinTestSupport.h"

using namespace quillfen::vcl;

namespace {

std::string NameOf(HWND window) {
  TWinControl* control = TWinControl::FromHandle(window);
  return control ? control->Name() : "?";
}

// The names of a window's framework children, top of the z order first.
std::vector<std::string> ChildWindows(TWinControl& parent) {
  std::vector<std::string> names;
  for (HWND w = ::GetWindow(parent.Handle(), GW_CHILD); w; w = ::GetWindow(w, GW_HWNDNEXT))
    names.push_back(NameOf(w));
  return names;
}

std::vector<std::string> TabOrderNames(const TWinControl& parent) {
  std::vector<std::string> names(static_cast<size_t>(parent.ControlCount()));
  for (int i = 0; i < parent.ControlCount(); ++i)
    if (auto* c = dynamic_cast<TWinControl*>(parent.Controls(i)))
      names.at(static_cast<size_t>(c->TabOrder())) = c->Name();
  return names;
}

template <typename T>
T* Make(TWinControl* parent, const std::string& name, TComponent* owner = nullptr) {
  auto* control = new T(owner ? owner : parent);
  control->SetName(name);
  control->SetCaption(name);
  control->SetParent(parent);
  return control;
}

std::string FocusedName() {
  TWinControl* control = TWinControl::FindControl(::GetFocus());
  return control ? control->Name() : "none";
}

// Presses key count times, noting where the focus is after each press.
std::vector<std::string> FocusAfterEachPress(int count, WORD key, bool shift = false) {
  std::vector<std::string> seen;
  for (int i = 0; i < count; ++i) {
    qftest::PressKey(key, shift);
    seen.push_back(FocusedName());
  }
  return seen;
}

}  // namespace

TEST(TabOrder, SettingItMovesTheControlClampedAndTheWindowsStackTheSameWay) {
  auto* form = new TForm(&Application());
  auto* a = Make<TButton>(form, "A", form);
  auto* b = Make<TButton>(form, "B", form);
  auto* c = Make<TButton>(form, "C", form);
  auto* d = Make<TButton>(form, "D", form);
  EXPECT_EQ(TabOrderNames(*form), (std::vector<std::string>{"A", "B", "C", "D"}));

  // Before the windows exist.
  c->SetTabOrder(0);
  EXPECT_EQ(TabOrderNames(*form), (std::vector<std::string>{"C", "A", "B", "D"}));
  a->SetTabOrder(99);
  EXPECT_EQ(a->TabOrder(), 3);
  d->SetTabOrder(-3);
  EXPECT_EQ(TabOrderNames(*form), (std::vector<std::string>{"D", "C", "B", "A"}));
  form->HandleNeeded();
  EXPECT_EQ(ChildWindows(*form), (std::vector<std::string>{"D", "C", "B", "A"}));

  // Once they exist, and for a control given its place before its parent.
  b->SetTabOrder(0);
  auto* e = new TButton(form);
  e->SetName("E");
  EXPECT_EQ(e->TabOrder(), -1);
  e->SetTabOrder(2);
  e->SetParent(form);
  EXPECT_EQ(TabOrderNames(*form), (std::vector<std::string>{"B", "D", "E", "C", "A"}));
  EXPECT_EQ(ChildWindows(*form), (std::vector<std::string>{"B", "D", "E", "C", "A"}));

  // The dialog manager walks the same order.
  EXPECT_EQ(::GetNextDlgTabItem(form->Handle(), b->Handle(), FALSE), d->Handle());
  EXPECT_EQ(::GetNextDlgTabItem(form->Handle(), e->Handle(), FALSE), c->Handle());
  EXPECT_EQ(::GetNextDlgTabItem(form->Handle(), b->Handle(), TRUE), a->Handle());

  // A control that leaves closes the gap.
  delete e;
  EXPECT_EQ(TabOrderNames(*form), (std::vector<std::string>{"B", "D", "C", "A"}));
  delete form;
}

TEST(TabOrder, DescriptionsPlaceControlsByTheirValuesWhateverTheEntryOrder) {
  RegisterStandardClasses();
  auto* form = new TForm(&Application());
  LoadForm(*form, R"(object Loaded: TForm
  object A: TButton
    TabOrder = 2
  end
  object B: TButton
    TabOrder = 1
  end
  object Box: TGroupBox
    TabOrder = 3
    object Y: TEdit
      TabOrder = 1
    end
    object X: TEdit
      TabOrder = 0
    end
  end
  object C: TButton
    TabOrder = 0
  end
end
)");
  EXPECT_EQ(TabOrderNames(*form), (std::vector<std::string>{"C", "B", "A", "Box"}));
  auto& box = FindFormComponent<TGroupBox>(*form, "Box");
  EXPECT_EQ(TabOrderNames(box), (std::vector<std::string>{"X", "Y"}));
  EXPECT_EQ(ChildWindows(*form), (std::vector<std::string>{"C", "B", "A", "Box"}));
  EXPECT_EQ(ChildWindows(box), (std::vector<std::string>{"X", "Y"}));
  delete form;
}

TEST(TabOrder, TabAndShiftTabVisitOnlyControlsThatCanTakeTheFocus) {
  auto* form = new TForm(&Application());
  form->SetCaption("Tab test");
  form->SetClientSize(300, 300);
  Make<TLabel>(form, "Label", form)->SetBounds(0, 0, 50, 13);
  auto* first = Make<TEdit>(form, "First", form);
  auto* box = Make<TGroupBox>(form, "Box", form);
  box->SetBounds(0, 30, 200, 100);
  Make<TCheckBox>(box, "Check", form)->SetBounds(5, 15, 80, 17);
  Make<TEdit>(box, "Inner", form)->SetBounds(5, 40, 80, 21);
  Make<TButton>(form, "Disabled", form)->SetEnabled(false);
  Make<TButton>(form, "Hidden", form)->SetVisible(false);
  auto* noStop = Make<TEdit>(form, "NoTabStop", form);
  noStop->SetTabStop(false);
  auto* off = Make<TGroupBox>(form, "OffBox", form);
  off->SetBounds(0, 150, 200, 60);
  Make<TEdit>(off, "InOffBox", form);
  off->SetEnabled(false);
  auto* ok = Make<TButton>(form, "OK", form);
  ok->SetBounds(210, 0, 75, 25);
  // The order of creation, but for one moved to the front.
  ok->SetTabOrder(0);

  form->Show();
  ASSERT_TRUE(qftest::Activate(form->Handle()));
  // An opened form puts the focus on its first control in tab order.
  EXPECT_EQ(FocusedName(), "OK");
  EXPECT_EQ(FocusAfterEachPress(5, VK_TAB),
            (std::vector<std::string>{"First", "Check", "Inner", "OK", "First"}));
  EXPECT_EQ(FocusAfterEachPress(3, VK_TAB, true), (std::vector<std::string>{"OK", "Inner", "Check"}));

  // A control made unfocusable drops out; the focus comes back to where it was.
  first->SetEnabled(false);
  ::SetFocus(ok->Handle());
  EXPECT_EQ(FocusAfterEachPress(1, VK_TAB), (std::vector<std::string>{"Check"}));
  noStop->SetTabStop(true);
  EXPECT_EQ(FocusAfterEachPress(2, VK_TAB), (std::vector<std::string>{"Inner", "NoTabStop"}));
  EXPECT_TRUE(::GetWindowLongA(noStop->Handle(), GWL_STYLE) & WS_TABSTOP);
  delete form;
}

TEST(DialogKeys, EnterAndEscapeGoToTheButtonsUnlessTheFocusedControlClaimsThem) {
  auto* form = new TForm(&Application());
  form->SetCaption("Keys test");
  form->SetClientSize(300, 200);
  auto* edit = Make<TEdit>(form, "Edit", form);
  auto* box = Make<TGroupBox>(form, "Box", form);
  box->SetBounds(0, 30, 200, 100);
  auto* memo = Make<TMemo>(box, "Memo", form);
  memo->SetBounds(5, 15, 180, 60);
  memo->SetText("");
  auto* other = Make<TButton>(form, "Other", form);
  other->SetBounds(210, 60, 75, 25);
  auto* ok = Make<TButton>(form, "OK", form);
  ok->SetBounds(210, 0, 75, 25);
  ok->SetDefault(true);
  ok->SetModalResult(mrOk);
  auto* cancel = Make<TButton>(form, "Cancel", form);
  cancel->SetBounds(210, 30, 75, 25);
  cancel->SetCancel(true);
  cancel->SetModalResult(mrCancel);
  int otherClicks = 0;
  other->OnClick = [&](TObject*) { ++otherClicks; };

  // A memo that wants returns keeps Enter; a focused button takes it for
  // itself; elsewhere it presses the default button.
  // Keys go to the foreground window.
  bool activated = false;
  std::string memoText;
  TModalResult afterOther = mrNone;
  auto framed = [](TButton* button) {
    return (::GetWindowLongA(button->Handle(), GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON;
  };
  std::vector<bool> framedOnOther, framedOnEdit;
  qftest::TDeferred enter([&] {
    activated = qftest::Activate(form->Handle());
    ::SetFocus(memo->Handle());
    qftest::PressKey(VK_RETURN);
    memoText = memo->GetText();
    ::SetFocus(other->Handle());
    framedOnOther = {framed(ok), framed(other)};
    qftest::PressKey(VK_RETURN);
    afterOther = form->ModalResult();
    ::SetFocus(edit->Handle());
    framedOnEdit = {framed(ok), framed(other)};
    qftest::PressKey(VK_RETURN);
  });
  EXPECT_EQ(form->ShowModal(), mrOk);
  EXPECT_EQ(memoText, "\r\n");
  EXPECT_EQ(otherClicks, 1);
  EXPECT_EQ(afterOther, mrNone);
  // The frame of the default button shows which one Enter presses.
  EXPECT_EQ(framedOnOther, (std::vector<bool>{false, true}));
  EXPECT_EQ(framedOnEdit, (std::vector<bool>{true, false}));

  // Escape in the memo presses the cancel button, and the memo's group box
  // is not closed on the way.
  qftest::TDeferred escape([&] {
    activated = activated && qftest::Activate(form->Handle());
    ::SetFocus(memo->Handle());
    qftest::PressKey(VK_ESCAPE);
  });
  EXPECT_EQ(form->ShowModal(), mrCancel);
  EXPECT_TRUE(::IsWindow(box->Handle()));
  EXPECT_EQ(box->Parent(), form);

  // A control that claims Escape receives it as an ordinary key; without a
  // cancel button Escape still ends a modal form, as Cancel.
  int escapesSeen = 0;
  TWndMethod editProc = edit->WindowProc;
  edit->WindowProc = [&](TMessage& m) {
    if (m.Msg == CM_WANTSPECIALKEY && m.WParam == VK_ESCAPE) {
      m.Result = 1;
      return;
    }
    if (m.Msg == WM_KEYDOWN && m.WParam == VK_ESCAPE) ++escapesSeen;
    editProc(m);
  };
  cancel->SetCancel(false);
  TModalResult afterClaim = mrNone;
  qftest::TDeferred claimed([&] {
    activated = activated && qftest::Activate(form->Handle());
    ::SetFocus(edit->Handle());
    qftest::PressKey(VK_ESCAPE);
    afterClaim = form->ModalResult();
    ::SetFocus(ok->Handle());
    qftest::PressKey(VK_ESCAPE);
  });
  EXPECT_EQ(form->ShowModal(), mrCancel);
  EXPECT_EQ(escapesSeen, 1);
  EXPECT_EQ(afterClaim, mrNone);
  EXPECT_TRUE(activated);
  edit->WindowProc = editProc;
  delete form;
}

TEST(DialogKeys, EscapeInAMemoLeavesAWindowWithoutCancelButtonOpen) {
  auto* form = new TForm(&Application());
  form->SetCaption("Memo on a form");
  auto* memo = Make<TMemo>(form, "Memo", form);
  auto* box = Make<TGroupBox>(form, "Box", form);
  box->SetBounds(0, 100, 200, 100);
  auto* inner = Make<TMemo>(box, "Inner", form);
  inner->SetBounds(5, 15, 180, 60);
  int closes = 0;
  form->OnCloseQuery = [&](TObject*, bool&) { ++closes; };
  form->Show();
  ASSERT_TRUE(qftest::Activate(form->Handle()));
  ::SetFocus(memo->Handle());
  qftest::PressKey(VK_ESCAPE);
  ::SetFocus(inner->Handle());
  qftest::PressKey(VK_ESCAPE);
  qftest::PressKey(VK_TAB);
  EXPECT_EQ(closes, 0);
  EXPECT_TRUE(::IsWindowVisible(form->Handle()));
  EXPECT_TRUE(::IsWindow(box->Handle()));
  // Tab leaves a memo, as it leaves any control.
  EXPECT_EQ(FocusedName(), "Memo");
  delete form;
}
