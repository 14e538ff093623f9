#include "ProConst.h"

#include <stdexcept>

namespace quillfen::widgets {

namespace {

// MessageBeep types, so that this unit needs no <windows.h>.
constexpr int kBeepOk = 0x00;           // MB_OK
constexpr int kBeepHand = 0x10;         // MB_ICONHAND
constexpr int kBeepQuestion = 0x20;     // MB_ICONQUESTION
constexpr int kBeepExclamation = 0x30;  // MB_ICONEXCLAMATION
constexpr int kBeepAsterisk = 0x40;     // MB_ICONASTERISK

constexpr int kKindsPerRole = 16;
constexpr int kFirstLanguageKind = pbkCancel;  // roles from Cancel on have language variants

constexpr TProRoleInfo kRoles[kProButtonRoleCount] = {
    {1, true, false, TProClickAction::Ordinary},    // OK
    {2, false, true, TProClickAction::Ordinary},    // Cancel
    {0, false, false, TProClickAction::ShowHelp},   // Help
    {6, true, false, TProClickAction::Ordinary},    // Yes
    {7, false, true, TProClickAction::Ordinary},    // No
    {0, false, false, TProClickAction::CloseForm},  // Close
    {3, false, false, TProClickAction::Ordinary},   // Abort
    {4, false, false, TProClickAction::Ordinary},   // Retry
    {5, false, false, TProClickAction::Ordinary},   // Ignore
    {8, false, false, TProClickAction::Ordinary},   // All
    {9, true, false, TProClickAction::Ordinary},    // Done
    {0, false, false, TProClickAction::Ordinary},   // Prev
    {0, true, false, TProClickAction::Ordinary},    // Next
    {10, true, false, TProClickAction::Ordinary},   // Finish
};

constexpr const char* kNeutralCaptions[kProButtonRoleCount] = {
    "OK",      "Cancel", "&Help",    "&Yes",  "&No",     "&Close",  "Abort",
    "&Retry", "&Ignore", "&All",     "&Done", "< &Back", "&Next >", "&Finish",
};

void CheckKind(TProButtonKind kind) {
  if (kind <= pbkCustom || kind >= kProButtonKindCount)
    throw std::out_of_range("not a button kind with a role");
}

}  // namespace

int SoundBeepType(TSoundType sound) {
  switch (sound) {
    case stNoSound: return -1;
    case stStandart: return kBeepOk;
    case stAsterisk: return kBeepAsterisk;
    case stExclamation: return kBeepExclamation;
    case stSystemHand: return kBeepHand;
    case stQuestion: return kBeepQuestion;
    case stDefault: return kBeepOk;
  }
  return -1;
}

const TProRoleInfo& ProRoleInfo(TProButtonRole role) { return kRoles[role]; }

TProButtonRole ProKindRole(TProButtonKind kind) {
  CheckKind(kind);
  if (kind == pbkOk) return pbrOk;
  return static_cast<TProButtonRole>(pbrCancel + (kind - kFirstLanguageKind) / kKindsPerRole);
}

int ProKindLanguage(TProButtonKind kind) {
  CheckKind(kind);
  if (kind == pbkOk) return 0;
  return (kind - kFirstLanguageKind) % kKindsPerRole;
}

TProButtonKind ProKindOf(TProButtonRole role, TDialogLanguage language) {
  if (role == pbrOk) return pbkOk;
  return static_cast<TProButtonKind>(kFirstLanguageKind + (role - pbrCancel) * kKindsPerRole +
                                     language);
}

int ProKindCaptionId(TProButtonKind kind) {
  if (kind == pbkCustom) return 0;
  // The Slovak "Yes" lives in a spare id; the regular Slovak "Yes" id holds the same text.
  if (kind == pbkYesSlk) return PRO_STR_YES_SLK;
  // Polish and Hungarian "Next" keep the regular ids 30332 and 30352: 30331 and 30351 hold "Back".
  return PRO_STR_BUTTON_BASE + PRO_STR_LANGUAGE_STRIDE * ProKindLanguage(kind) + ProKindRole(kind);
}

const char* ProRoleNeutralCaption(TProButtonRole role) { return kNeutralCaptions[role]; }

}  // namespace quillfen::widgets
