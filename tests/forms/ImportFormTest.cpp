#include "FormClasses.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "Forms.h"
#include "StdCtrls.h"
#include "WidgetClasses.h"
#include "WinTestSupport.h"

using namespace quillfen::vcl;

namespace {

std::string ReadDescription(const std::string& name) {
  std::ifstream in(std::string(QF_FORMS_DIR) + "/" + name, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The dialog's class: a plain form whose controls come from its description.
class TfrmImportFiles : public TForm {
 public:
  explicit TfrmImportFiles(TComponent* owner) : TForm(owner) {
    quillfen::widgets::RegisterWidgetClasses();
    RegisterFormClass<TfrmImportFiles>("TfrmImportFiles", "TForm", {});
    LoadForm(*this, ReadDescription("importfrm.qfm"));
  }
};

TRect WindowBounds(TWinControl& control) {
  RECT r{};
  ::GetWindowRect(control.Handle(), &r);
  POINT origin{r.left, r.top};
  ::ScreenToClient(::GetParent(control.Handle()), &origin);
  return Bounds(origin.x, origin.y, r.right - r.left, r.bottom - r.top);
}

}  // namespace

TEST(ImportForm, DescriptionBuildsTheDialogAndItsButtonsEndTheModalLoop) {
  auto* form = new TfrmImportFiles(&Application());
  EXPECT_EQ(form->Name(), "frmImportFiles");
  EXPECT_EQ(form->Caption(), "Import Files");
  EXPECT_EQ(form->BorderIcons(), 0u);
  EXPECT_EQ(form->Position, TPosition::poScreenCenter);

  auto& lblInfo = FindFormComponent<TLabel>(*form, "lblInfo");
  auto& grpFound = FindFormComponent<TGroupBox>(*form, "grpFound");
  auto& lstFiles = FindFormComponent<TListBox>(*form, "lstFiles");
  auto& btnAdd = FindFormComponent<TButton>(*form, "btnAdd");
  auto& btnClose = FindFormComponent<TButton>(*form, "btnClose");
  auto& ckUpdateINI = FindFormComponent<TCheckBox>(*form, "ckUpdateINI");
  auto& ckAddHarmony = FindFormComponent<TCheckBox>(*form, "ckAddHarmony");
  EXPECT_EQ(form->ComponentCount(), 10);  // and the two message dialogs and the painter

  EXPECT_EQ(lblInfo.BoundsRect(), Bounds(3, 2, 246, 55));  // AutoSize off keeps the stored size
  EXPECT_TRUE(lblInfo.WordWrap());
  EXPECT_EQ(lblInfo.Caption(),
            "The following files may have been imported into your project from the RTP. If you "
            "would like to add any of them into your project directory, select the files and "
            "click add, or just exit.");
  EXPECT_EQ(grpFound.Caption(), "Files Found");
  EXPECT_EQ(lstFiles.Parent(), &grpFound);
  EXPECT_TRUE(lstFiles.MultiSelect());
  EXPECT_EQ(lstFiles.BorderStyle(), TBorderStyle::bsNone);
  EXPECT_EQ(lstFiles.Color(), clBtnFace);
  EXPECT_EQ(lstFiles.Font().Color(), clBtnText);
  EXPECT_FALSE(lstFiles.ParentFont());
  EXPECT_EQ(btnAdd.Caption(), "Add Files");
  EXPECT_EQ(btnClose.Caption(), "Close");
  EXPECT_EQ(ckUpdateINI.Caption(),
            "Edit project's configuration to allow running without the RTP installed");
  EXPECT_EQ(ckAddHarmony.Caption(), "Add the harmony.dll file to the project directory");
  EXPECT_FALSE(ckUpdateINI.Checked());
  EXPECT_EQ(form->Font().Name(), "MS Sans Serif");
  EXPECT_EQ(form->Font().Height(), -11);
  EXPECT_EQ(btnAdd.Font().Name(), "MS Sans Serif");

  // The real windows, once shown: client size and coordinates as described.
  qftest::TDeferred add([&] {
    RECT client{};
    ::GetClientRect(form->Handle(), &client);
    EXPECT_EQ(client.right, 353);
    EXPECT_EQ(client.bottom, 349);
    const LONG style = ::GetWindowLongA(form->Handle(), GWL_STYLE);
    EXPECT_FALSE(style & WS_SYSMENU);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_EQ(WindowBounds(grpFound), Bounds(0, 56, 353, 249));
    EXPECT_EQ(WindowBounds(lstFiles), Bounds(2, 15, 349, 232));
    EXPECT_EQ(WindowBounds(btnAdd), Bounds(259, 4, 94, 25));
    EXPECT_EQ(WindowBounds(btnClose), Bounds(259, 32, 94, 25));
    EXPECT_EQ(WindowBounds(ckUpdateINI), Bounds(0, 312, 353, 17));
    EXPECT_EQ(WindowBounds(ckAddHarmony), Bounds(0, 331, 353, 17));
    RECT outer{};
    ::GetWindowRect(form->Handle(), &outer);
    EXPECT_LE(std::abs((outer.left + outer.right) / 2 - ::GetSystemMetrics(SM_CXSCREEN) / 2), 1);
    qftest::PostClick(btnAdd.Handle(), 10, 10);
  });
  EXPECT_EQ(form->ShowModal(), mrOk);
  qftest::TDeferred close([&] { qftest::PostClick(btnClose.Handle(), 10, 10); });
  EXPECT_EQ(form->ShowModal(), mrCancel);
  delete form;
}

TEST(ImportForm, AFaultyDescriptionFailsWithItsLineAndLeavesTheFormEmpty) {
  RegisterStandardClasses();
  TForm form(nullptr);
  try {
    LoadForm(form, "object f: TForm\n  object b: TButton\n    ModalResult = mrMaybe\n  end\nend");
    ADD_FAILURE() << "loaded";
  } catch (const EFormError& e) {
    EXPECT_EQ(e.Line(), 3);
  }
  EXPECT_EQ(form.ComponentCount(), 0);
  EXPECT_EQ(form.ControlCount(), 0);
  // A label is a control but cannot hold one.
  EXPECT_THROW(LoadForm(form, "object f: TForm\n object l: TLabel\n  object b: TButton\n  end\n end\nend"),
               EFormError);
  EXPECT_EQ(form.ControlCount(), 0);
}
