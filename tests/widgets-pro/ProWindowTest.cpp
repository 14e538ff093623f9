#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Forms.h"
#include "ProCtrls.h"
#include "ProDlgs.h"
#include "ProStBar.h"
#include "ProUrl.h"
#include "ProVCL.h"
#include "WinTestSupport.h"

using namespace quillfen::widgets;
using namespace quillfen::vcl;

namespace {

std::string WindowText(HWND window) {
  char text[512] = {};
  ::GetWindowTextA(window, text, sizeof text);
  return text;
}

// The window as it is on the screen, written as a BMP beside the test program.
void SaveScreenshot(HWND window, const std::string& name) {
  ::UpdateWindow(window);
  RECT outer{};
  ::GetWindowRect(window, &outer);
  TBitmap shot(outer.right - outer.left, outer.bottom - outer.top);
  HDC screen = ::GetDC(nullptr);
  ::BitBlt(shot.Canvas().Handle(), 0, 0, shot.Width(), shot.Height(), screen, outer.left,
           outer.top, SRCCOPY);
  ::ReleaseDC(nullptr, screen);
  const std::string path = std::string(QF_ARTIFACT_DIR) + "/" + name;
  EXPECT_TRUE(shot.SaveToFile(path)) << path;
}

std::vector<std::string> gOpened;
void RecordOpen(HWND owner, const std::string& url) {
  EXPECT_NE(owner, nullptr);
  gOpened.push_back(url);
}

std::vector<int> gBeeps;
void RecordBeep(int type) { gBeeps.push_back(type); }

}  // namespace

TEST(ProResources, CursorsAndCaptionsComeFromTheProgram) {
  EXPECT_EQ(RegisterProCursors(), 5);
  for (int n = crProHandPoint; n <= crProDragHand; ++n) {
    EXPECT_NE(Screen().Cursors(n), nullptr);
    EXPECT_NE(Screen().Cursors(n), Screen().Cursors(crDefault)) << n;
  }
  wchar_t text[64] = {};
  ASSERT_GT(::LoadStringW(::GetModuleHandleA(nullptr), 30121, text, 64), 0);
  EXPECT_EQ(std::wstring(text), L"\x041E\x0442\x043C\x0435\x043D\x0430");  // Russian Cancel
  ASSERT_GT(::LoadStringW(::GetModuleHandleA(nullptr), 30138, text, 64), 0);
  EXPECT_EQ(std::wstring(text), L"\x00C1&no");  // Slovak Yes
  ASSERT_GT(::LoadStringW(::GetModuleHandleA(nullptr), 30402, text, 64), 0);
  EXPECT_EQ(std::wstring(text), L"\xB3C4\xC6C0\xB9D0(&H)");  // Korean Help
  EXPECT_EQ(ProKindCaption(pbkCancelFr), "Annuler");
  EXPECT_EQ(ProKindCaption(pbkHelpGer), "&Hilfe");
  EXPECT_EQ(ProKindCaption(pbkNextDut), "&Volgende >");
  EXPECT_EQ(ProKindCaption(pbkNextPol), "&Dalej >");
  EXPECT_EQ(ProKindCaption(pbkPrev), "< &Back");
}

TEST(ProButton, KindSetsCaptionFlagsAndResultAndEndsAModalForm) {
  TForm form(&Application());
  form.SetCaption("Kinds");
  form.SetClientSize(300, 100);
  auto* yes = new TProButton(&form);
  yes->SetParent(&form);
  yes->SetKind(pbkYesDan);
  EXPECT_EQ(yes->Caption(), "&Ja");
  EXPECT_TRUE(yes->Default());
  EXPECT_EQ(yes->ModalResult(), mrYes);
  EXPECT_FALSE(yes->IsCancelStored());
  EXPECT_FALSE(yes->IsCaptionStored());
  auto* no = new TProButton(&form);
  no->SetParent(&form);
  no->SetLeft(100);
  no->SetKind(pbkNoIta);
  EXPECT_TRUE(no->Cancel());
  qftest::TDeferred click([&] { qftest::PostClick(no->Handle(), 5, 5); });
  EXPECT_EQ(form.ShowModal(), mrNo);

  auto* ok = new TProButton(&form);
  ok->SetKind(pbkOk);
  EXPECT_EQ(ok->Kind(), pbkOk);
  ok->SetModalResult(mrCancel);
  EXPECT_EQ(ok->Kind(), pbkCustom);
  EXPECT_EQ(ok->ModalResult(), mrCancel);  // the rest stays as it was
  EXPECT_EQ(ok->Caption(), "OK");
  EXPECT_TRUE(ok->IsCancelStored());

  // While loading, a stored caption wins.
  auto* loaded = new TProButton(&form);
  loaded->SetCaption("Go on");
  loaded->BeginLoading();
  loaded->SetKind(pbkNext);
  loaded->EndLoading();
  EXPECT_EQ(loaded->Caption(), "Go on");
  EXPECT_TRUE(loaded->IsCaptionStored());
  loaded->SetKind(pbkFinish);
  EXPECT_EQ(loaded->Caption(), "&Finish");
}

TEST(ProButton, CloseKindClosesItsFormAndHelpFallsBackToAnOrdinaryClick) {
  TForm form(&Application());
  form.SetCaption("Closing");
  auto* close = new TProButton(&form);
  close->SetParent(&form);
  close->SetKind(pbkCloseSwe);
  EXPECT_EQ(close->Caption(), "&St\xE4ng");
  int helpClicks = 0;
  auto* help = new TProButton(&form);
  help->SetParent(&form);
  help->SetLeft(100);
  help->SetKind(pbkHelp);
  help->OnClick = [&](TObject*) { ++helpClicks; };
  qftest::TDeferred click([&] {
    help->Click();  // no help context anywhere: ordinary click, the form stays
    qftest::PostClick(close->Handle(), 5, 5);
  });
  EXPECT_EQ(form.ShowModal(), mrCancel);
  EXPECT_EQ(helpClicks, 1);

  // A help context with no application help call set: still an ordinary click.
  form.HelpContext = 42;
  help->Click();
  EXPECT_EQ(helpClicks, 2);
  int shownTopic = 0;
  Application().OnHelp = [&](int topic) { shownTopic = topic; return true; };
  help->Click();
  EXPECT_EQ(shownTopic, 42);
  EXPECT_EQ(helpClicks, 2);
  // The nearest context wins; a help call that shows nothing leaves the click.
  help->HelpContext = 7;
  Application().OnHelp = [&](int topic) { shownTopic = topic; return false; };
  help->Click();
  EXPECT_EQ(shownTopic, 7);
  EXPECT_EQ(helpClicks, 3);
  Application().OnHelp = nullptr;
}

TEST(ProLabel, AngleReadsNormalisedAndSettersFollowTheirRules) {
  TForm form(&Application());
  auto* label = new TProLabel(&form);
  label->SetParent(&form);
  label->SetCaption("Turn");
  EXPECT_TRUE(label->AutoSize());
  label->SetAngle(-90);
  EXPECT_EQ(label->Angle(), 270);
  EXPECT_FALSE(label->AutoSize());
  label->SetAngle(360);
  EXPECT_EQ(label->Angle(), 0);
  label->SetLayout(TTextLayout::tlBottom);
  EXPECT_EQ(label->VerticalAlignment(), vaBottom);
  label->SetShadowStyle(ssShadow);
  label->SetShadowDepth(4);
  EXPECT_EQ(label->ShadowStyle(), ssCustom);
  int entered = 0, left = 0;
  label->OnMouseEnter = [&](TObject* sender) { entered += sender == label; };
  label->OnMouseLeave = [&](TObject* sender) { left += sender == label; };
  label->Perform(CM_MOUSEENTER);
  label->Perform(CM_MOUSELEAVE);
  EXPECT_EQ(entered, 1);
  EXPECT_EQ(left, 1);
}

TEST(ProStatusBarAndUrl, ChildSitsInTheBarAndTheImageOpensItsUrl) {
  TForm form(&Application());
  form.SetCaption("Bar");
  form.SetClientSize(475, 243);
  auto* status = new TProStatusBar(&form);
  status->SetParent(&form);
  auto* inner = new TButton(&form);
  inner->SetParent(status);
  inner->SetBounds(362, 2, 60, 15);
  form.Show();
  EXPECT_EQ(::GetParent(inner->Handle()), status->Handle());
  EXPECT_EQ(inner->Parent(), status);
  RECT bar{}, child{};
  ::GetWindowRect(status->Handle(), &bar);
  ::GetWindowRect(inner->Handle(), &child);
  EXPECT_EQ(child.left - bar.left, 362);

  auto* image = new TProUrlImage(&form);
  image->SetParent(&form);
  EXPECT_EQ(image->Cursor(), 15000);
  int clicks = 0;
  image->OnClick = [&](TObject*) { ++clicks; };
  TShellOpenFunction previous = SetShellOpenFunction(RecordOpen);
  gOpened.clear();
  image->Click();
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(gOpened.empty());
  image->URL = "https://example.org/quillfen";
  image->Click();
  EXPECT_EQ(clicks, 2);
  ASSERT_EQ(gOpened.size(), 1u);
  EXPECT_EQ(gOpened[0], "https://example.org/quillfen");
  SetShellOpenFunction(previous);
}

TEST(ProDialogs, InfoDialogShowsTitleAndTextAndEndsOnItsButton) {
  TForm owner(&Application());
  owner.SetCaption("Owner");
  owner.Font().SetName("Tahoma");
  auto* dialog = new TProInfoDialog(&owner);
  dialog->Caption = "Scan finished";
  dialog->InfoMessage = "All 12 files were copied into the project folder.";
  TBeepFunction previousBeep = SetBeepFunction(RecordBeep);
  gBeeps.clear();
  std::string caption, labelText, fontName;
  bool helpHidden = false;
  TRect image, bevel, ok;
  qftest::TDeferred act([&] {
    HWND window = ::FindWindowA(nullptr, "Scan finished");
    auto* form = dynamic_cast<TInfoForm*>(TWinControl::FromHandle(window));
    ASSERT_NE(form, nullptr);
    caption = WindowText(window);
    labelText = form->InfoLabel()->Caption();
    fontName = form->InfoLabel()->Font().Name();
    helpHidden = !form->HelpButton()->Visible();
    image = form->Image()->BoundsRect();
    bevel = form->Bevel()->BoundsRect();
    ok = form->OKButton()->BoundsRect();
    SaveScreenshot(window, "pro-info-dialog.bmp");
    qftest::PostClick(form->OKButton()->Handle(), 5, 5);
  }, 300);
  dialog->Execute();
  EXPECT_EQ(caption, "Scan finished");
  EXPECT_EQ(labelText, dialog->InfoMessage);
  EXPECT_EQ(fontName, "Tahoma");
  EXPECT_TRUE(helpHidden);
  const TMessageDialogLayout expected = MessageDialogLayout(Screen().PixelsPerInch(), false);
  EXPECT_EQ(image, expected.Image);
  EXPECT_EQ(bevel, expected.Bevel);
  EXPECT_EQ(ok, expected.MainButton);
  EXPECT_TRUE(gBeeps.empty());  // stNoSound
  // Nothing of the window is left.
  EXPECT_EQ(::FindWindowA(nullptr, "Scan finished"), nullptr);

  // Enter presses OK; an empty title leaves the language's word.
  dialog->Caption.clear();
  std::string english;
  qftest::TDeferred enter([&] {
    HWND window = ::GetActiveWindow();
    english = WindowText(window);
    HWND focus = ::GetFocus();
    ::PostMessageA(focus, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    ::PostMessageA(focus, WM_KEYUP, VK_RETURN, 0xC01C0001);
  }, 300);
  dialog->Execute();
  EXPECT_EQ(english, "Information");
  SetBeepFunction(previousBeep);
}

TEST(ProDialogs, StopDialogBeepsAndEndsOnEscapeOrItsCancelButton) {
  TForm owner(&Application());
  auto* dialog = new TProStopDialog(&owner);
  dialog->SoundType = stExclamation;
  dialog->Caption = "Scan failed";
  dialog->StopMessage = "The project database could not be read. A long message wraps inside the "
                        "fixed area of the window, which keeps its size whatever the text.";
  TBeepFunction previousBeep = SetBeepFunction(RecordBeep);
  gBeeps.clear();
  std::string labelText, cancelCaption;
  int clientHeight = 0;
  qftest::TDeferred act([&] {
    HWND window = ::FindWindowA(nullptr, "Scan failed");
    auto* form = dynamic_cast<TStopForm*>(TWinControl::FromHandle(window));
    ASSERT_NE(form, nullptr);
    labelText = form->StopLabel()->Caption();
    cancelCaption = form->CancelButton()->Caption();
    clientHeight = form->ClientHeight();
    SaveScreenshot(window, "pro-stop-dialog.bmp");
    HWND focus = ::GetFocus();
    ::PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    ::PostMessageA(focus, WM_KEYUP, VK_ESCAPE, 0xC0010001);
  }, 300);
  dialog->Execute();
  EXPECT_EQ(labelText, dialog->StopMessage);
  EXPECT_EQ(cancelCaption, "Cancel");
  EXPECT_EQ(clientHeight, MessageDialogLayout(Screen().PixelsPerInch(), false).ClientHeight);
  EXPECT_EQ(gBeeps, std::vector<int>{MB_ICONEXCLAMATION});

  // German: the language's caption and Cancel kind, help shown with a context.
  dialog->Caption.clear();
  dialog->Language = dlGerman;
  dialog->HelpContext = 7;
  std::string caption, german, helpCaption;
  bool helpShown = false;
  qftest::TDeferred german_([&] {
    HWND window = ::FindWindowA(nullptr, "Halt");
    auto* form = dynamic_cast<TStopForm*>(TWinControl::FromHandle(window));
    ASSERT_NE(form, nullptr);
    caption = WindowText(window);
    german = form->CancelButton()->Caption();
    helpCaption = form->HelpButton()->Caption();
    helpShown = form->HelpButton()->Visible();
    qftest::PostClick(form->CancelButton()->Handle(), 5, 5);
  }, 300);
  dialog->Execute();
  EXPECT_EQ(caption, "Halt");
  EXPECT_EQ(german, "Abbrechen");
  EXPECT_EQ(helpCaption, "&Hilfe");
  EXPECT_TRUE(helpShown);
  SetBeepFunction(previousBeep);
}

TEST(ProDialogs, QuestionDialogOffersYesAndNoWithNoFocusedAndAnswers) {
  TForm owner(&Application());
  auto* dialog = new TProQuestionDialog(&owner);
  dialog->SoundType = stQuestion;
  dialog->Caption = "Go on?";
  dialog->QuestionMessage = "Three files are still missing. Go on all the same?";
  TBeepFunction previousBeep = SetBeepFunction(RecordBeep);
  gBeeps.clear();
  std::string labelText, yesCaption, noCaption, focused;
  TRect yes, no;
  bool noShown = false;
  qftest::TDeferred act([&] {
    HWND window = ::FindWindowA(nullptr, "Go on?");
    auto* form = dynamic_cast<TInfoForm*>(TWinControl::FromHandle(window));
    ASSERT_NE(form, nullptr);
    labelText = form->InfoLabel()->Caption();
    yesCaption = form->OKButton()->Caption();
    noCaption = form->HelpButton()->Caption();
    noShown = form->HelpButton()->Visible();
    yes = form->OKButton()->BoundsRect();
    no = form->HelpButton()->BoundsRect();
    auto* control = TWinControl::FindControl(::GetFocus());
    focused = control ? control->Name() : "none";
    SaveScreenshot(window, "pro-question-dialog.bmp");
    qftest::PostClick(form->OKButton()->Handle(), 5, 5);
  }, 300);
  EXPECT_TRUE(dialog->Execute());
  EXPECT_EQ(labelText, dialog->QuestionMessage);
  EXPECT_EQ(yesCaption, "&Yes");
  EXPECT_EQ(noCaption, "&No");
  EXPECT_TRUE(noShown);
  const TMessageDialogLayout layout = MessageDialogLayout(Screen().PixelsPerInch(), true);
  EXPECT_EQ(yes, layout.MainButton);
  EXPECT_EQ(no, layout.HelpButton);
  EXPECT_EQ(focused, "NoButton");
  EXPECT_EQ(gBeeps, std::vector<int>{MB_ICONQUESTION});

  // Enter on the focused "No", then Escape: both answer no.
  for (WORD key : {VK_RETURN, VK_ESCAPE}) {
    qftest::TDeferred press([key] {
      HWND focus = ::GetFocus();
      ::PostMessageA(focus, WM_KEYDOWN, key, 0x00010001);
      ::PostMessageA(focus, WM_KEYUP, key, 0xC0010001);
    }, 300);
    EXPECT_FALSE(dialog->Execute()) << key;
  }
  EXPECT_EQ(::FindWindowA(nullptr, "Go on?"), nullptr);
  SetBeepFunction(previousBeep);
}
