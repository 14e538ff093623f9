#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Forms.h"
#include "WinTestSupport.h"

using namespace quillfen::vcl;

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
