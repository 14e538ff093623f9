#include "FormClasses.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "Forms.h"
#include "StdCtrls.h"
#include "ProCtrls.h"
#include "ProDlgs.h"
#include "ProUrl.h"
#include "WidgetClasses.h"
#include "rmSpeedBtns.h"
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

TEST(WidgetForms, ADescriptionSetsEveryPublishedPropertyOfTheWidgets) {
  using namespace quillfen::widgets;
  RegisterWidgetClasses();
  TForm form(&Application());
  LoadForm(form, R"(object f: TForm
  object dlgInfo: TProInfoDialog
    Caption = 'Notice'
    InfoMessage = 'All done.'
    Alignment = taCenter
    VerticalAlignment = vaBottom
  end
  object dlgStop: TProStopDialog
    Caption = 'Trouble'
    StopMessage = 'It failed.'
    Alignment = taRightJustify
    VerticalAlignment = vaTop
  end
  object lbl: TProLabel
    Caption = 'Turned'
    Angle = -90
    OffsetX = 2
    OffsetY = 3
    VerticalAlignment = vaCenter
    ShadowStyle = ssRaised
    ShadowDirection = drDownRight
    ShadowColor = clRed
    HighlightDepth = 2
  end
  object lbl2: TProLabel
    Layout = tlBottom
  end
  object ok: TProButton
    Kind = pbkOk
  end
  object next: TProButton
    Caption = 'Onward'
    Kind = pbkNextPol
  end
  object url: TProUrlImage
    Cursor = crArrow
    URL = 'https://example.org/'
  end
  object url2: TProUrlImage
    Cursor = 15001
  end
  object sb: TrmSpeedButton
    AllowAllUp = True
    BiDiMode = bdRightToLeft
    GroupIndex = 3
    Down = True
    Caption = 'Go'
    Flat = True
    Layout = blGlyphTop
    Margin = 2
    MenuButtonWidth = 13
    NumGlyphs = 2
    ParentBiDiMode = False
    Spacing = -1
    Transparent = False
  end
  object split: TrmSpeedButton
    Style = sbsMenu
  end
end)");
  auto& info = FindFormComponent<TProInfoDialog>(form, "dlgInfo");
  EXPECT_EQ(info.Caption, "Notice");
  EXPECT_EQ(info.InfoMessage, "All done.");
  EXPECT_EQ(info.Alignment, TAlignment::taCenter);
  EXPECT_EQ(info.VerticalAlignment, vaBottom);
  auto& stop = FindFormComponent<TProStopDialog>(form, "dlgStop");
  EXPECT_EQ(stop.Caption, "Trouble");
  EXPECT_EQ(stop.StopMessage, "It failed.");
  EXPECT_EQ(stop.Alignment, TAlignment::taRightJustify);
  EXPECT_EQ(stop.VerticalAlignment, vaTop);
  auto& lbl = FindFormComponent<TProLabel>(form, "lbl");
  EXPECT_EQ(lbl.Angle(), 270);
  EXPECT_EQ(lbl.OffsetX(), 2);
  EXPECT_EQ(lbl.OffsetY(), 3);
  EXPECT_EQ(lbl.VerticalAlignment(), vaCenter);
  EXPECT_EQ(lbl.ShadowStyle(), ssCustom);  // effects set after the style make it custom
  EXPECT_EQ(lbl.ShadowDirection(), drDownRight);
  EXPECT_EQ(lbl.ShadowColor(), clRed);
  EXPECT_EQ(lbl.HighlightDepth(), 2);
  EXPECT_EQ(FindFormComponent<TProLabel>(form, "lbl2").VerticalAlignment(), vaBottom);
  auto& ok = FindFormComponent<TProButton>(form, "ok");
  EXPECT_EQ(ok.Kind(), pbkOk);
  EXPECT_EQ(ok.ModalResult(), mrOk);
  EXPECT_TRUE(ok.Default());
  auto& next = FindFormComponent<TProButton>(form, "next");
  EXPECT_EQ(next.Kind(), pbkNextPol);
  EXPECT_EQ(next.Caption(), "Onward");  // a stored caption wins while loading
  EXPECT_EQ(FindFormComponent<TProUrlImage>(form, "url").Cursor(), crArrow);
  EXPECT_EQ(FindFormComponent<TProUrlImage>(form, "url").URL, "https://example.org/");
  EXPECT_EQ(FindFormComponent<TProUrlImage>(form, "url2").Cursor(), 15001);
  auto& sb = FindFormComponent<TrmSpeedButton>(form, "sb");
  EXPECT_TRUE(sb.AllowAllUp());
  EXPECT_EQ(sb.BiDiMode(), TBiDiMode::bdRightToLeft);
  EXPECT_FALSE(sb.ParentBiDiMode());
  EXPECT_EQ(sb.GroupIndex(), 3);
  EXPECT_TRUE(sb.Down());
  EXPECT_EQ(sb.Caption(), "Go");
  EXPECT_TRUE(sb.Flat());
  EXPECT_EQ(sb.Layout(), blGlyphTop);
  EXPECT_EQ(sb.Margin(), 2);
  EXPECT_EQ(sb.MenuButtonWidth(), 13);
  EXPECT_EQ(sb.NumGlyphs(), 2);
  EXPECT_EQ(sb.Spacing(), -1);
  EXPECT_FALSE(sb.Transparent());
  EXPECT_EQ(FindFormComponent<TrmSpeedButton>(form, "split").Style(), sbsMenu);

  // Not published: a button edit's WantTabs.
  TForm other(&Application());
  EXPECT_THROW(LoadForm(other, "object f: TForm\n object e: TrmBtnEdit\n  WantTabs = True\n end\nend"),
               EFormError);
  // Unknown kinds and cursors are refused with their line.
  EXPECT_THROW(LoadForm(other, "object f: TForm\n object b: TProButton\n  Kind = pbkMaybe\n end\nend"),
               EFormError);
}
