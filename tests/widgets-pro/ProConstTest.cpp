#include <gtest/gtest.h>

#include <set>

#include "ProConst.h"

using namespace quillfen::widgets;

TEST(ProConst, KindsHaveTheirPlaceRoleAndLanguage) {
  EXPECT_EQ(kProButtonKindCount, 210);
  EXPECT_EQ(pbkCancel, 2);
  EXPECT_EQ(pbkCancelKor, 17);
  EXPECT_EQ(pbkHelp, 18);
  EXPECT_EQ(pbkCloseKor, 81);
  EXPECT_EQ(pbkFinish, 194);
  EXPECT_EQ(ProKindRole(pbkOk), pbrOk);
  EXPECT_EQ(ProKindRole(pbkCancelRus), pbrCancel);
  EXPECT_EQ(ProKindLanguage(pbkCancelRus), dlRussian);
  EXPECT_EQ(ProKindRole(pbkNextPol), pbrNext);
  EXPECT_EQ(ProKindLanguage(pbkNextPol), dlPolish);
  EXPECT_EQ(ProKindLanguage(pbkFinishKor), dlKorean);
  for (int k = pbkOk; k < kProButtonKindCount; ++k) {
    const auto kind = static_cast<TProButtonKind>(k);
    EXPECT_EQ(ProKindOf(ProKindRole(kind), static_cast<TDialogLanguage>(ProKindLanguage(kind))), kind);
  }
  EXPECT_THROW(ProKindRole(pbkCustom), std::out_of_range);
}

TEST(ProConst, CaptionIdsAreUniqueInRangeWithTheSlovakYesInItsSpareId) {
  EXPECT_EQ(ProKindCaptionId(pbkCustom), 0);
  EXPECT_EQ(ProKindCaptionId(pbkOk), 30100);
  EXPECT_EQ(ProKindCaptionId(pbkCancelRus), 30121);
  EXPECT_EQ(ProKindCaptionId(pbkHelpKor), 30402);
  EXPECT_EQ(ProKindCaptionId(pbkFinishKor), 30413);
  EXPECT_EQ(ProKindCaptionId(pbkYesSlk), 30138);
  // Polish and Hungarian "Next" keep their own ids: the ones below them hold "Back".
  EXPECT_EQ(ProKindCaptionId(pbkPrevPol), 30331);
  EXPECT_EQ(ProKindCaptionId(pbkNextPol), 30332);
  EXPECT_EQ(ProKindCaptionId(pbkPrevHun), 30351);
  EXPECT_EQ(ProKindCaptionId(pbkNextHun), 30352);
  std::set<int> ids;
  for (int k = pbkOk; k < kProButtonKindCount; ++k) {
    const int id = ProKindCaptionId(static_cast<TProButtonKind>(k));
    EXPECT_GE(id, PRO_STR_BUTTON_BASE);
    EXPECT_LE(id, PRO_STR_BUTTON_LAST);
    EXPECT_TRUE(ids.insert(id).second) << "kind " << k << " shares id " << id;
  }
}

TEST(ProConst, RolesSetModalResultsAndFlags) {
  struct Expect { TProButtonRole role; int result; bool isDefault; bool isCancel; };
  const Expect table[] = {
      {pbrOk, 1, true, false},      {pbrCancel, 2, false, true},  {pbrHelp, 0, false, false},
      {pbrYes, 6, true, false},     {pbrNo, 7, false, true},      {pbrClose, 0, false, false},
      {pbrAbort, 3, false, false},  {pbrRetry, 4, false, false},  {pbrIgnore, 5, false, false},
      {pbrAll, 8, false, false},    {pbrDone, 9, true, false},    {pbrPrev, 0, false, false},
      {pbrNext, 0, true, false},    {pbrFinish, 10, true, false},
  };
  for (const auto& e : table) {
    const TProRoleInfo& info = ProRoleInfo(e.role);
    EXPECT_EQ(info.ModalResult, e.result) << e.role;
    EXPECT_EQ(info.Default, e.isDefault) << e.role;
    EXPECT_EQ(info.Cancel, e.isCancel) << e.role;
  }
  EXPECT_EQ(ProRoleInfo(pbrHelp).Click, TProClickAction::ShowHelp);
  EXPECT_EQ(ProRoleInfo(pbrClose).Click, TProClickAction::CloseForm);
  EXPECT_STREQ(ProRoleNeutralCaption(pbrPrev), "< &Back");
  EXPECT_EQ(SoundBeepType(stNoSound), -1);
  EXPECT_EQ(SoundBeepType(stExclamation), 0x30);
  EXPECT_EQ(SoundBeepType(stDefault), 0);
}
