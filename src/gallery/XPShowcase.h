// A window that shows the XP look beside the plain one: a main menu, a popup
// menu, a tool bar, a control bar, and each standard control twice, skinned
// on the left and exempt (Tag 999) on the right. The widget gallery shows it;
// the XP window tests build the same window.
#pragma once

#include "ChoiceCtrls.h"
#include "Forms.h"
#include "ImgList.h"
#include "Menus.h"
#include "StdCtrls.h"
#include "ToolWin.h"
#include "XPMenu.h"

namespace quillfen::gallery {

struct TXPShowcase {
  vcl::TForm* Form = nullptr;
  widgets::TXPMenu* Painter = nullptr;
  vcl::TMainMenu* MainMenu = nullptr;
  vcl::TMenuItem* FileMenu = nullptr;  // images, a sub-menu, a separator, a default item
  vcl::TPopupMenu* PopupMenu = nullptr;
  vcl::TImageList* Images = nullptr;
  vcl::TToolBar* ToolBar = nullptr;
  vcl::TControlBar* ControlBar = nullptr;
  vcl::TGroupBox* Skinned = nullptr;  // the left column's group
  vcl::TGroupBox* Exempt = nullptr;   // the right column's group, Tag 999
  // Left column first, then the same kinds in the exempt group.
  vcl::TButton* Buttons[2] = {};
  vcl::TCheckBox* CheckBoxes[2] = {};
  vcl::TRadioButton* Radios[2] = {};
  vcl::TEdit* Edits[2] = {};
  vcl::TMemo* Memos[2] = {};
  vcl::TComboBox* Combos[2] = {};
  vcl::TLabel* Label = nullptr;
  vcl::TListBox* List = nullptr;
  // Switch the painter's Gradient and FlatMenu (the menus' gradient and flat popup frame).
  vcl::TCheckBox* Gradient = nullptr;
  vcl::TCheckBox* FlatMenu = nullptr;
};

// Fills the form (its client area is set to 520 x 420) and activates the painter.
TXPShowcase BuildXPShowcase(vcl::TForm* form);

}  // namespace quillfen::gallery
