#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Forms.h"
#include "StdCtrls.h"
#include "WinTestSupport.h"

using namespace quillfen::vcl;

namespace {

struct TDialog {
  TForm* form;
  TButton* ok;
  TButton* cancel;
};

TDialog MakeDialog() {
  auto* form = new TForm(&Application());
  form->SetCaption("Import Files");
  form->SetBorderStyle(TFormBorderStyle::bsSingle);
  form->SetBorderIcons(0);
  form->Position = TPosition::poScreenCenter;
  form->SetClientSize(353, 349);
  auto* ok = new TButton(form);
  ok->SetParent(form);
  ok->SetBounds(259, 4, 94, 25);
  ok->SetCaption("Add Files");
  ok->SetModalResult(mrOk);
  ok->SetDefault(true);
  auto* cancel = new TButton(form);
  cancel->SetParent(form);
  cancel->SetBounds(259, 32, 94, 25);
  cancel->SetCaption("Close");
  cancel->SetModalResult(mrCancel);
  cancel->SetCancel(true);
  return {form, ok, cancel};
}

void CALLBACK ClickCloseButton(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  HWND dialog = ::FindWindowA(nullptr, "Import Files");
  qftest::PostClick(::FindWindowExA(dialog, nullptr, nullptr, "Close"), 5, 5);
}

}  // namespace

TEST(Form, ClickOnAButtonEndsTheModalLoopWithItsResult) {
  TDialog d = MakeDialog();
  TForm owner(&Application());
  owner.SetCaption("Main");
  owner.Show();
  ASSERT_TRUE(owner.HandleAllocated());

  bool ownerDisabledMeanwhile = false;
  int clicks = 0;
  d.ok->OnClick = [&](TObject*) { ++clicks; };
  qftest::TDeferred click([&] {
    ownerDisabledMeanwhile = !::IsWindowEnabled(owner.Handle());
    qftest::PostClick(d.ok->Handle(), 10, 10);
  });
  EXPECT_EQ(d.form->ShowModal(), mrOk);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(ownerDisabledMeanwhile);
  EXPECT_TRUE(::IsWindowEnabled(owner.Handle()));
  EXPECT_FALSE(::IsWindowVisible(d.form->Handle()));

  // The same dialog again, moved away meanwhile: it opens centred again, and
  // is left through the other button.
  const RECT centred = [&] { RECT r{}; ::GetWindowRect(d.form->Handle(), &r); return r; }();
  EXPECT_EQ(centred.left, (::GetSystemMetrics(SM_CXSCREEN) - (centred.right - centred.left)) / 2);
  EXPECT_EQ(centred.top, (::GetSystemMetrics(SM_CYSCREEN) - (centred.bottom - centred.top)) / 2);
  d.form->SetBounds(5, 7, d.form->Width(), d.form->Height());
  RECT shown{};
  qftest::TDeferred close([&] {
    ::GetWindowRect(d.form->Handle(), &shown);
    qftest::PostClick(d.cancel->Handle(), 10, 10);
  });
  EXPECT_EQ(d.form->ShowModal(), mrCancel);
  EXPECT_EQ(shown.left, centred.left);
  EXPECT_EQ(shown.top, centred.top);
  delete d.form;
}

TEST(Form, EnterAndEscapePressTheDefaultAndCancelButtons) {
  TDialog d = MakeDialog();
  qftest::TDeferred enter([&] {
    ::PostMessageA(d.ok->Handle(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
    ::PostMessageA(d.ok->Handle(), WM_KEYUP, VK_RETURN, 0xC01C0001);
  });
  EXPECT_EQ(d.form->ShowModal(), mrOk);
  qftest::TDeferred escape([&] {
    ::PostMessageA(d.ok->Handle(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    ::PostMessageA(d.ok->Handle(), WM_KEYUP, VK_ESCAPE, 0xC0010001);
  });
  EXPECT_EQ(d.form->ShowModal(), mrCancel);
  delete d.form;
}

TEST(Form, CloseQueryCanRefuseAndBorderFollowsTheSettings) {
  TDialog d = MakeDialog();
  int asked = 0;
  d.form->OnCloseQuery = [&](TObject*, bool& canClose) { canClose = ++asked > 1; };
  // The first result is refused, the loop goes on; the second closes.
  qftest::TDeferred first([&] {
    qftest::PostClick(d.ok->Handle(), 10, 10);
    ::SetTimer(nullptr, 0, 100, ClickCloseButton);
  });
  EXPECT_EQ(d.form->ShowModal(), mrCancel);
  EXPECT_EQ(asked, 2);

  const LONG style = ::GetWindowLongA(d.form->Handle(), GWL_STYLE);
  EXPECT_FALSE(style & WS_SYSMENU);  // no border icons: no close box
  EXPECT_FALSE(style & WS_THICKFRAME);
  RECT client{};
  ::GetClientRect(d.form->Handle(), &client);
  EXPECT_EQ(client.right, 353);
  EXPECT_EQ(client.bottom, 349);
  // Centred on the screen.
  RECT outer{};
  ::GetWindowRect(d.form->Handle(), &outer);
  EXPECT_LE(std::abs((outer.left + outer.right) / 2 - ::GetSystemMetrics(SM_CXSCREEN) / 2), 1);
  delete d.form;
}


TEST(Form, AModalFormOpenedFromAnotherGivesEachOwnerBackInTurn) {
  TForm owner(&Application());
  owner.SetCaption("Main");
  owner.Show();
  TDialog outer = MakeDialog();
  TDialog inner = MakeDialog();
  inner.form->SetCaption("Message");

  struct TSeen {
    bool ownerEnabled = true, outerEnabled = true;
  } duringInner, afterInner;
  TModalResult innerResult = mrNone;
  outer.ok->OnClick = [&](TObject*) {
    // The outer dialog stays up while the message runs; refuse its close.
    outer.form->SetModalResult(mrNone);
    qftest::TDeferred close([&] {
      duringInner = {::IsWindowEnabled(owner.Handle()) != FALSE,
                     ::IsWindowEnabled(outer.form->Handle()) != FALSE};
      qftest::PostClick(inner.cancel->Handle(), 10, 10);
    });
    innerResult = inner.form->ShowModal();
    afterInner = {::IsWindowEnabled(owner.Handle()) != FALSE,
                  ::IsWindowEnabled(outer.form->Handle()) != FALSE};
    qftest::PostClick(outer.cancel->Handle(), 10, 10);
  };
  qftest::TDeferred start([&] { qftest::PostClick(outer.ok->Handle(), 10, 10); });
  EXPECT_EQ(outer.form->ShowModal(), mrCancel);
  EXPECT_EQ(innerResult, mrCancel);
  EXPECT_FALSE(duringInner.ownerEnabled);
  EXPECT_FALSE(duringInner.outerEnabled);
  EXPECT_FALSE(afterInner.ownerEnabled);  // still under the outer dialog
  EXPECT_TRUE(afterInner.outerEnabled);
  EXPECT_TRUE(::IsWindowEnabled(owner.Handle()));
  EXPECT_FALSE(::IsWindowVisible(inner.form->Handle()));
  EXPECT_FALSE(::IsWindowVisible(outer.form->Handle()));
  delete inner.form;
  delete outer.form;
}
