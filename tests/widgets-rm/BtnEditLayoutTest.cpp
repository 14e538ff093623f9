#include <gtest/gtest.h>

#include "rmBtnEdit.h"

using namespace quillfen::widgets;
using namespace quillfen::vcl;

TEST(BtnEditLayout, ButtonsSitAtTheRightEdgeInBothLooks) {
  // The main window's project box: 470 x 21, 3-D, button 1 only.
  TEditButtonsPlace p = PlaceEditButtons({470, 21, 16, true, false, true, false});
  EXPECT_EQ(p.Button1, Bounds(450, 0, 16, 17));
  EXPECT_FALSE(p.Button2Placed);
  p = PlaceEditButtons({470, 21, 16, true, true, true, false});
  EXPECT_EQ(p.Button1, Bounds(434, 0, 16, 17));
  EXPECT_EQ(p.Button2, Bounds(450, 0, 16, 17));
  p = PlaceEditButtons({100, 21, 20, true, false, false, false});
  EXPECT_EQ(p.Button1, Bounds(80, 1, 20, 19));
  p = PlaceEditButtons({100, 21, 20, true, true, false, false});
  EXPECT_EQ(p.Button1, Bounds(60, 1, 20, 19));
  EXPECT_EQ(p.Button2, Bounds(80, 1, 20, 19));
  p = PlaceEditButtons({100, 21, 20, true, false, true, true});  // design time
  EXPECT_TRUE(p.Button2Placed);
  EXPECT_EQ(p.Button2.Width(), 0);

  EXPECT_EQ(EditRectRight(466, 16, true, false), 449);
  EXPECT_EQ(EditRectRight(466, 16, true, true), 433);
  EXPECT_EQ(EditRectRight(466, 16, false, false), 466);
}

TEST(BtnEditRules, SecondButtonNeedsTheFirstAndEnabledNeedsTheEdit) {
  TBtnEditRules r;
  EXPECT_FALSE(r.Btn2Visible());
  r.Btn2VisibleWish = true;
  EXPECT_TRUE(r.Btn2Visible());
  r.Btn1Visible = false;
  EXPECT_FALSE(r.Btn2Visible());
  r.Btn1Visible = true;  // the wish brings it back
  EXPECT_TRUE(r.Btn2Visible());

  r.EditEnabled = false;
  r.Btn1EnabledWish = true;
  EXPECT_FALSE(r.Btn1Enabled());
  r.EditEnabled = true;
  EXPECT_TRUE(r.Btn1Enabled());
  r.Btn2EnabledWish = false;
  EXPECT_FALSE(r.Btn2Enabled());
}

TEST(BtnEditKeys, EnterEscapeAndTheEditorRules) {
  constexpr int kEnter = 0x0D, kEscape = 0x1B, kDelete = 0x2E, kA = 'A';
  EXPECT_EQ(EditKeyAction(kEnter, false, true, false, false), TEditKey::ClickBtn1);
  EXPECT_EQ(EditKeyAction(kEnter, true, true, false, false), TEditKey::ClickBtn2);
  EXPECT_EQ(EditKeyAction(kEnter, false, false, false, false), TEditKey::FocusThenDefault);
  EXPECT_EQ(EditKeyAction(kEnter, true, false, false, false), TEditKey::Swallow);
  EXPECT_EQ(EditKeyAction(kEnter, false, true, true, false), TEditKey::Swallow);
  EXPECT_EQ(EditKeyAction(kEscape, false, false, false, true), TEditKey::RestoreSaved);
  EXPECT_EQ(EditKeyAction(kEscape, false, false, false, false), TEditKey::Swallow);
  EXPECT_EQ(EditKeyAction(kEscape, true, false, false, true), TEditKey::Swallow);
  // Deleting is typing: the editor switch does not stop it.
  EXPECT_EQ(EditKeyAction(kDelete, false, false, false, false), TEditKey::Default);
  EXPECT_EQ(EditKeyAction(kA, false, true, false, false), TEditKey::Default);

  EXPECT_FALSE(EditCharAllowed('\r'));
  EXPECT_FALSE(EditCharAllowed('\n'));
  EXPECT_TRUE(EditCharAllowed('x'));
  EXPECT_TRUE(EditCharAllowed(0x08));  // backspace
  EXPECT_TRUE(EditCharAllowed(0x03));  // Ctrl+C copies
  EXPECT_TRUE(EditCharAllowed(0xE9));  // accented letters too

  EXPECT_TRUE(TextChangeAllowed(true, false));
  EXPECT_FALSE(TextChangeAllowed(false, false));
  EXPECT_FALSE(TextChangeAllowed(true, true));
}
