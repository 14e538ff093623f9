// Button kinds of TProButton and the dialog languages and sounds of the Pro
// message dialogs. Portable: plain tables, no window system.
#pragma once

#include <array>

#include "res/ProRes.h"

namespace quillfen::widgets {

// Language slots in resource order; 0 is the neutral (English) one.
enum TDialogLanguage {
  dlEnglish, dlRussian, dlUkranian, dlFrench, dlPortuguese, dlSpanish, dlGerman, dlDanish,
  dlItalian, dlSwedish, dlDutch, dlPolish, dlHungarian, dlTurkish, dlSlovak, dlKorean
};
constexpr int kProLanguageCount = 16;

enum TSoundType {
  stNoSound, stStandart, stAsterisk, stExclamation, stSystemHand, stQuestion, stDefault
};
// The MessageBeep type of a sound, or -1 for none.
int SoundBeepType(TSoundType sound);

// A neutral kind followed by its fifteen language variants.
#define QF_PRO_LANGUAGE_KINDS(Role)                                                          \
  pbk##Role, pbk##Role##Rus, pbk##Role##Ukr, pbk##Role##Fr, pbk##Role##Por, pbk##Role##Esp, \
      pbk##Role##Ger, pbk##Role##Dan, pbk##Role##Ita, pbk##Role##Swe, pbk##Role##Dut,       \
      pbk##Role##Pol, pbk##Role##Hun, pbk##Role##Tur, pbk##Role##Slk, pbk##Role##Kor

enum TProButtonKind {
  pbkCustom,
  pbkOk,
  QF_PRO_LANGUAGE_KINDS(Cancel),
  QF_PRO_LANGUAGE_KINDS(Help),
  QF_PRO_LANGUAGE_KINDS(Yes),
  QF_PRO_LANGUAGE_KINDS(No),
  QF_PRO_LANGUAGE_KINDS(Close),
  QF_PRO_LANGUAGE_KINDS(Abort),
  QF_PRO_LANGUAGE_KINDS(Retry),
  QF_PRO_LANGUAGE_KINDS(Ignore),
  QF_PRO_LANGUAGE_KINDS(All),
  QF_PRO_LANGUAGE_KINDS(Done),
  QF_PRO_LANGUAGE_KINDS(Prev),
  QF_PRO_LANGUAGE_KINDS(Next),
  QF_PRO_LANGUAGE_KINDS(Finish),
};
#undef QF_PRO_LANGUAGE_KINDS
constexpr int kProButtonKindCount = pbkFinishKor + 1;

enum TProButtonRole {
  pbrOk, pbrCancel, pbrHelp, pbrYes, pbrNo, pbrClose, pbrAbort, pbrRetry, pbrIgnore, pbrAll,
  pbrDone, pbrPrev, pbrNext, pbrFinish
};
constexpr int kProButtonRoleCount = pbrFinish + 1;

enum class TProClickAction { Ordinary, ShowHelp, CloseForm };

// What a role sets on its button; the modal result values are the framework's mr*.
struct TProRoleInfo {
  int ModalResult;
  bool Default;
  bool Cancel;
  TProClickAction Click;
};
const TProRoleInfo& ProRoleInfo(TProButtonRole role);

// Role and language slot of a kind other than pbkCustom.
TProButtonRole ProKindRole(TProButtonKind kind);
int ProKindLanguage(TProButtonKind kind);
// The kind of a role in a language; pbkOk for the OK role in every language.
TProButtonKind ProKindOf(TProButtonRole role, TDialogLanguage language);
// The string resource holding the kind's caption; 0 for pbkCustom.
int ProKindCaptionId(TProButtonKind kind);
// The neutral caption of a role ("OK", "Cancel", "&Help", ...).
const char* ProRoleNeutralCaption(TProButtonRole role);

}  // namespace quillfen::widgets
