#include "ChoiceCtrls.h"

namespace quillfen::vcl {

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner) { SetBounds(0, 0, 113, 17); }

void TRadioButton::CreateParams(TCreateParams& p) {
  TButtonControl::CreateParams(p);
  p.Style |= BS_RADIOBUTTON;  // the group rule is ours, see SetChecked
}

void TRadioButton::HandleCreated() { ::SendMessageA(Handle(), BM_SETCHECK, checked_, 0); }

void TRadioButton::SetChecked(bool value) {
  if (value == checked_) return;
  checked_ = value;
  if (HandleAllocated()) ::SendMessageA(Handle(), BM_SETCHECK, value, 0);
  if (!value) return;
  if (TWinControl* parent = Parent())
    for (int i = 0; i < parent->ControlCount(); ++i)
      if (auto* other = dynamic_cast<TRadioButton*>(parent->Controls(i)); other && other != this)
        other->SetChecked(false);
  Click();
}

void TRadioButton::Command(WORD notifyCode) {
  if (notifyCode == BN_CLICKED) SetChecked(true);
}

TCustomCombo::TCustomCombo(TComponent* owner) : TWinControl(owner) {
  SetTabStop(true);
  SetBounds(0, 0, 145, 21);
}

void TCustomCombo::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClass = "COMBOBOX";
  p.Style |= WS_VSCROLL | CBS_AUTOHSCROLL;
  switch (style_) {
    case TComboBoxStyle::csDropDown: p.Style |= CBS_DROPDOWN; break;
    case TComboBoxStyle::csSimple: p.Style |= CBS_SIMPLE; break;
    case TComboBoxStyle::csDropDownList: p.Style |= CBS_DROPDOWNLIST; break;
  }
  // The height is that of the closed box plus the drop-down list.
  p.Height = Height() + 150;
}

void TCustomCombo::HandleCreated() {
  HWND box = Handle();
  for (const auto& item : items_) ::SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  ::SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
}

void TCustomCombo::SetItems(const std::vector<std::string>& items) {
  items_ = items;
  itemIndex_ = -1;
  if (!HandleAllocated()) return;
  ::SendMessageA(Handle(), CB_RESETCONTENT, 0, 0);
  HandleCreated();
}

int TCustomCombo::ItemIndex() const {
  if (!HandleAllocated()) return itemIndex_;
  return static_cast<int>(::SendMessageA(const_cast<TCustomCombo*>(this)->Handle(), CB_GETCURSEL, 0, 0));
}

void TCustomCombo::SetItemIndex(int index) {
  itemIndex_ = index;
  if (HandleAllocated()) ::SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TCustomCombo::SetStyle(TComboBoxStyle value) {
  if (value == style_) return;
  style_ = value;
  RecreateWnd();
}

bool TCustomCombo::DroppedDown() const {
  return HandleAllocated() &&
         ::SendMessageA(const_cast<TCustomCombo*>(this)->Handle(), CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomCombo::Command(WORD notifyCode) {
  if (notifyCode == CBN_SELCHANGE) {
    itemIndex_ = ItemIndex();
    if (OnChange) OnChange(this);
  }
}

}  // namespace quillfen::vcl
