// The save dialog: its settings from a form description, the answer tests
// give in its place, and the system's window shown and cancelled.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "Dialogs.h"
#include "FormClasses.h"
#include "FormLoader.h"
#include "Forms.h"
#include "WinTestSupport.h"

using namespace quillfen::vcl;

namespace {

TEST(SaveDialog, TakesItsSettingsFromADescriptionAndAnswersThroughTheTestAnswer) {
  RegisterStandardClasses();
  TForm form(&Application());
  LoadForm(form,
           "object f: TForm\n"
           "  object dlgSave: TSaveDialog\n"
           "    DefaultExt = 'html'\n"
           "    FileName = 'report.html'\n"
           "    Filter = 'HTML page (*.html)|*.html|All files (*.*)|*.*'\n"
           "    Options = [ofOverwritePrompt, ofNoChangeDir]\n"
           "    Title = 'Save Report'\n"
           "  end\n"
           "end\n");
  auto& dialog = FindFormComponent<TSaveDialog>(form, "dlgSave");
  EXPECT_EQ(dialog.DefaultExt, "html");
  EXPECT_EQ(dialog.FileName, "report.html");
  EXPECT_EQ(dialog.Title, "Save Report");
  EXPECT_EQ(dialog.Options, static_cast<unsigned>(ofOverwritePrompt | ofNoChangeDir));
  EXPECT_EQ(dialog.FilterIndex, 1);
  const char expected[] = "HTML page (*.html)\0*.html\0All files (*.*)\0*.*\0\0";
  EXPECT_EQ(SystemFilter(dialog.Filter), std::string(expected, sizeof expected - 1));
  EXPECT_EQ(SystemFilter(""), "");

  std::string proposed;
  TSaveDialog::SetAnswer([&](TSaveDialog& d) {
    proposed = d.FileName;
    return std::optional<std::string>("C:\\out\\page.html");
  });
  EXPECT_TRUE(dialog.Execute());
  EXPECT_EQ(proposed, "report.html");
  EXPECT_EQ(dialog.FileName, "C:\\out\\page.html");
  TSaveDialog::SetAnswer([](TSaveDialog&) { return std::optional<std::string>(); });
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(dialog.FileName, "C:\\out\\page.html");  // a cancel changes nothing
  TSaveDialog::SetAnswer({});
}

TEST(SaveDialog, ShowsTheSystemWindowWithItsTitleAndNameAndCancels) {
  TSaveDialog dialog(nullptr);
  dialog.Title = "Save Report";
  dialog.FileName = "report.html";
  dialog.Filter = "HTML page (*.html)|*.html";
  std::string name;
  bool shown = false;
  qftest::TDeferred cancel([&] {
    HWND window = ::FindWindowA(nullptr, "Save Report");
    shown = window != nullptr;
    if (!window) return;
    // The file name box of the system's templates: a plain edit, or a combo box holding one.
    char text[MAX_PATH] = {};
    HWND box = ::GetDlgItem(window, 0x480);
    if (!box) box = ::GetDlgItem(window, 0x47C);
    if (box) ::GetWindowTextA(box, text, sizeof text);
    name = text;
    ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  }, 1500);
  EXPECT_FALSE(dialog.Execute());
  EXPECT_TRUE(shown);
  EXPECT_EQ(name, "report.html");
  EXPECT_EQ(dialog.FileName, "report.html");
}

}  // namespace
