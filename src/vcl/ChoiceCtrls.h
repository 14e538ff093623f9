// Radio buttons and combo boxes.
#pragma once

#include <string>
#include <vector>

#include "StdCtrls.h"

namespace quillfen::vcl {

// Checking one unchecks the radio buttons beside it under the same parent.
class TRadioButton : public TButtonControl {
 public:
  explicit TRadioButton(TComponent* owner);
  std::string ClassName() const override { return "TRadioButton"; }
  bool Checked() const { return checked_; }
  void SetChecked(bool value);

 protected:
  void CreateParams(TCreateParams& params) override;
  void HandleCreated() override;
  void Command(WORD notifyCode) override;

 private:
  bool checked_ = false;
};

enum class TComboBoxStyle { csDropDown, csSimple, csDropDownList };

class TCustomCombo : public TWinControl {
 public:
  explicit TCustomCombo(TComponent* owner);
  std::string ClassName() const override { return "TCustomCombo"; }

  const std::vector<std::string>& Items() const { return items_; }
  void SetItems(const std::vector<std::string>& items);
  int ItemIndex() const;
  void SetItemIndex(int index);
  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle value);
  bool DroppedDown() const;
  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void HandleCreated() override;
  void Command(WORD notifyCode) override;

 private:
  std::vector<std::string> items_;
  int itemIndex_ = -1;
  TComboBoxStyle style_ = TComboBoxStyle::csDropDown;
};

class TComboBox : public TCustomCombo {
 public:
  explicit TComboBox(TComponent* owner) : TCustomCombo(owner) {}
  std::string ClassName() const override { return "TComboBox"; }
};

}  // namespace quillfen::vcl
