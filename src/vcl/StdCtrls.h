// The standard controls: buttons, check box, group box, edit, memo, list box, label.
#pragma once

#include <string>
#include <vector>

#include "Controls.h"

namespace quillfen::vcl {

enum class TBorderStyle { bsNone, bsSingle };
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TTextLayout { tlTop, tlCenter, tlBottom };
enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum class TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class TButtonControl : public TWinControl {
 public:
  explicit TButtonControl(TComponent* owner);
  std::string ClassName() const override { return "TButtonControl"; }

 protected:
  void CreateParams(TCreateParams& params) override;
};

class TButton : public TButtonControl {
 public:
  explicit TButton(TComponent* owner);
  std::string ClassName() const override { return "TButton"; }

  bool Default() const { return default_; }
  void SetDefault(bool value);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool value) { cancel_ = value; }
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult value) { modalResult_ = value; }
  // Sets the parent form's ModalResult when non-zero, then OnClick.
  void Click() override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void Command(WORD notifyCode) override;
  // A focused button shows the default frame, as Enter presses it; when the
  // focus is elsewhere the Default button shows it.
  void WndProc(TMessage& message) override;

 private:
  bool default_ = false;
  bool cancel_ = false;
  TModalResult modalResult_ = mrNone;
};

class TCheckBox : public TButtonControl {
 public:
  explicit TCheckBox(TComponent* owner);
  std::string ClassName() const override { return "TCheckBox"; }
  bool Checked() const { return State() == TCheckBoxState::cbChecked; }
  void SetChecked(bool value) { SetState(value ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked); }
  TCheckBoxState State() const;
  // A change of state fires OnClick, as a click by the user does.
  void SetState(TCheckBoxState value);

 protected:
  void CreateParams(TCreateParams& params) override;
  void HandleCreated() override;
  void Command(WORD notifyCode) override;

 private:
  TCheckBoxState state_ = TCheckBoxState::cbUnchecked;
};

class TCustomGroupBox : public TWinControl {
 public:
  explicit TCustomGroupBox(TComponent* owner);
  std::string ClassName() const override { return "TCustomGroupBox"; }

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& message) override;
};

class TGroupBox : public TCustomGroupBox {
 public:
  explicit TGroupBox(TComponent* owner) : TCustomGroupBox(owner) {}
  std::string ClassName() const override { return "TGroupBox"; }
};

class TCustomEdit : public TWinControl {
 public:
  explicit TCustomEdit(TComponent* owner);
  std::string ClassName() const override { return "TCustomEdit"; }

  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int value);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle value);
  bool AutoSelect = true;
  void SelectAll();
  bool Modified() const;
  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void Command(WORD notifyCode) override;
  void WndProc(TMessage& message) override;

 private:
  bool readOnly_ = false;
  int maxLength_ = 0;
  TBorderStyle borderStyle_ = TBorderStyle::bsSingle;
};

class TEdit : public TCustomEdit {
 public:
  explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
  std::string ClassName() const override { return "TEdit"; }
};

class TCustomMemo : public TCustomEdit {
 public:
  explicit TCustomMemo(TComponent* owner);
  std::string ClassName() const override { return "TCustomMemo"; }

  // The text split at line breaks; setting joins with CR LF.
  std::vector<std::string> Lines() const;
  void SetLines(const std::vector<std::string>& lines);
  void AddLine(const std::string& line);
  bool WordWrap = true;
  TScrollStyle ScrollBars = TScrollStyle::ssNone;
  // Enter breaks the line instead of going to the form's default button.
  bool WantReturns = true;

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& message) override;
};

class TMemo : public TCustomMemo {
 public:
  explicit TMemo(TComponent* owner) : TCustomMemo(owner) {}
  std::string ClassName() const override { return "TMemo"; }
};

class TListBox : public TWinControl {
 public:
  explicit TListBox(TComponent* owner);
  std::string ClassName() const override { return "TListBox"; }

  int Count() const { return static_cast<int>(items_.size()); }
  const std::string& Item(int index) const { return items_.at(static_cast<size_t>(index)); }
  const std::vector<std::string>& Items() const { return items_; }
  void SetItems(const std::vector<std::string>& items);
  int Add(const std::string& item);
  void Clear();

  bool MultiSelect() const { return multiSelect_; }
  void SetMultiSelect(bool value);
  bool ExtendedSelect = true;  // shift and control extend the selection
  bool Selected(int index) const;
  void SetSelected(int index, bool value);
  int SelCount() const;
  int ItemIndex() const;
  void SetItemIndex(int index);
  int ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int value);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle value);
  // How far the items can be scrolled sideways, in pixels; the bar shows
  // only when it exceeds the client width (0: never).
  int ScrollWidth() const { return scrollWidth_; }
  void SetScrollWidth(int value);

 protected:
  void CreateParams(TCreateParams& params) override;
  void HandleCreated() override;
  void DestroyWnd() override;

 private:
  std::vector<std::string> items_;
  std::vector<bool> savedSelection_;
  int scrollWidth_ = 0;
  bool multiSelect_ = false;
  int itemHeight_ = 13;
  TBorderStyle borderStyle_ = TBorderStyle::bsSingle;
};

// A text painted by its parent; its layout is a plain function of the canvas.
class TCustomLabel : public TGraphicControl {
 public:
  explicit TCustomLabel(TComponent* owner);
  std::string ClassName() const override { return "TCustomLabel"; }

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout value);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool value);
  // The DrawText flags for the current settings.
  unsigned DrawTextFlags() const;
  // Fits the bounds to the text when AutoSize is on.
  void AdjustBounds();

 protected:
  void Paint(TCanvas& canvas) override;
  void WndProc(TMessage& message) override;
  // Draws the caption into rect with flags; disabled text is embossed.
  virtual void DoDrawText(TCanvas& canvas, TRect& rect, unsigned flags);

 private:
  TAlignment alignment_ = TAlignment::taLeftJustify;
  TTextLayout layout_ = TTextLayout::tlTop;
  bool autoSize_ = true;
  bool wordWrap_ = false;
  bool transparent_ = false;
  bool showAccelChar_ = true;
};

class TLabel : public TCustomLabel {
 public:
  explicit TLabel(TComponent* owner) : TCustomLabel(owner) {}
  std::string ClassName() const override { return "TLabel"; }
};

}  // namespace quillfen::vcl
