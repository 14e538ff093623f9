#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Forms.h"
#include "WinTestSupport.h"

using namespace quillfen::vcl;

namespace {

BOOL CALLBACK CollectTaskBarWindow(HWND w, LPARAM data) {
  const LONG ex = ::GetWindowLongA(w, GWL_EXSTYLE);
  const bool button = (ex & WS_EX_APPWINDOW) || (!::GetWindow(w, GW_OWNER) && !(ex & WS_EX_TOOLWINDOW));
  if (::IsWindowVisible(w) && button) reinterpret_cast<std::vector<HWND>*>(data)->push_back(w);
  return TRUE;
}

// The windows of this thread that get a task bar button: shown, and either
// marked for one or top-level without an owner and not a tool window.
std::vector<HWND> TaskBarWindows() {
  std::vector<HWND> found;
  ::EnumThreadWindows(::GetCurrentThreadId(), CollectTaskBarWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::string TextOf(HWND window) {
  char text[256] = {};
  ::GetWindowTextA(window, text, sizeof text);
  return text;
}

}  // namespace

TEST(Application, TheTaskBarButtonShowsTheTitleAndFormsAddNone) {
  Application().SetTitle("Quillfen");
  auto* main = new TForm(&Application());
  main->SetCaption("Velmarch /:/ Quillfen");
  Application().SetMainForm(main);
  EXPECT_TRUE(TaskBarWindows().empty());  // nothing before the main form shows
  main->Show();
  HWND app = Application().Handle();
  EXPECT_EQ(TaskBarWindows(), std::vector<HWND>{app});
  EXPECT_EQ(TextOf(app), "Quillfen");
  EXPECT_EQ(::GetWindow(main->Handle(), GW_OWNER), app);
  RECT r{};
  ::GetWindowRect(app, &r);
  EXPECT_EQ(r.right - r.left, 0);

  // A modal form is owned by the form it was opened from: it stays above it.
  auto* dialog = new TForm(&Application());
  dialog->SetCaption("Import Files");
  std::vector<HWND> buttonsMeanwhile;
  HWND ownerMeanwhile = nullptr;
  ::SetActiveWindow(main->Handle());
  qftest::TDeferred look([&] {
    buttonsMeanwhile = TaskBarWindows();
    ownerMeanwhile = ::GetWindow(dialog->Handle(), GW_OWNER);
    dialog->SetModalResult(mrOk);
  });
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_EQ(buttonsMeanwhile, std::vector<HWND>{app});
  EXPECT_EQ(ownerMeanwhile, main->Handle());

  Application().SetTitle("Renamed");
  EXPECT_EQ(TextOf(app), "Renamed");

  // Closing through the task bar asks the main form, which may refuse.
  int asked = 0;
  main->OnCloseQuery = [&](TObject*, bool& canClose) {
    ++asked;
    canClose = false;
  };
  ::SendMessageA(app, WM_CLOSE, 0, 0);
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(::IsWindow(app));
  EXPECT_TRUE(::IsWindowVisible(main->Handle()));
  Application().SetMainForm(nullptr);
  delete dialog;
  delete main;
}

// Its own program: once Run has ended, the application stays terminated.
TEST(Form, MainFormCloseBoxRunsTheCloseQueryAndEndsRun) {
  auto* main = new TForm(&Application());
  main->SetBorderStyle(TFormBorderStyle::bsSingle);
  main->SetBorderIcons(biSystemMenu);
  Application().SetMainForm(main);
  std::vector<std::string> events;
  main->OnCloseQuery = [&](TObject*, bool& canClose) {
    events.push_back("query");
    canClose = events.size() > 1;
  };
  main->OnClose = [&](TObject*, TCloseAction&) { events.push_back("close"); };
  qftest::TDeferred closeTwice([&] {
    ::PostMessageA(main->Handle(), WM_CLOSE, 0, 0);
    ::PostMessageA(main->Handle(), WM_CLOSE, 0, 0);
  });
  Application().Run();
  EXPECT_EQ(events, (std::vector<std::string>{"query", "query", "close"}));
  EXPECT_TRUE(Application().Terminated());
  const LONG style = ::GetWindowLongA(main->Handle(), GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  delete main;
}
