// TrmBtnEdit: an edit box with one or two embedded speed buttons at its
// right edge, and the glyph routines the buttons' default picture needs.
//
// Button placement, the edit rectangle, the visibility and enabled rules,
// the key decisions and the ellipsis picture are portable; the control is Win32.
#pragma once

#include <string>
#include <vector>

#include "rmSpeedBtns.h"

#ifdef _WIN32
#include "rmBaseEdit.h"
#endif

namespace quillfen::widgets {

// The 9 x 9 "RM_ELLIPSIS" picture: three 2 x 2 black dots on rows 5 and 6
// (columns 1-2, 4-5, 7-8), the rest white.
TPixelImage EllipsisGlyphBits();
// A 24-bit bottom-up BMP file of image.
std::vector<unsigned char> EncodeBmp24(const TPixelImage& image);
// The image of a 24-bit uncompressed BMP file; empty on anything else.
TPixelImage DecodeBmp24(const std::vector<unsigned char>& file);

struct TEditButtonsInput {
  int Width = 0;   // the edit's outer size
  int Height = 0;
  int BtnWidth = 16;
  bool Btn1Visible = true;
  bool Btn2Visible = false;
  bool Look3D = true;
  bool Designing = false;
};

struct TEditButtonsPlace {
  TRect Button1;  // bounds in the edit's client coordinates
  TRect Button2;
  bool Button2Placed = false;
};

TEditButtonsPlace PlaceEditButtons(const TEditButtonsInput& input);
// The right edge of the text area for the client width.
int EditRectRight(int clientWidth, int btnWidth, bool btn1Visible, bool btn2Visible);

// The stored wishes and what the buttons really show.
struct TBtnEditRules {
  bool Btn1Visible = true;
  bool Btn2VisibleWish = false;
  bool Btn1EnabledWish = true;
  bool Btn2EnabledWish = true;
  bool EditEnabled = true;
  bool Btn2Visible() const { return Btn2VisibleWish && Btn1Visible; }
  bool Btn1Enabled() const { return EditEnabled && Btn1EnabledWish; }
  bool Btn2Enabled() const { return EditEnabled && Btn2EnabledWish; }
};

enum class TEditKey {
  Default,          // the edit's own handling
  Swallow,          // nothing happens
  ClickBtn1,
  ClickBtn2,
  FocusThenDefault, // capture the saved text, then the edit's handling
  RestoreSaved,     // text back to the saved text, all selected
};

TEditKey EditKeyAction(int virtualKey, bool shift, bool ctrl, bool alt, bool textDiffersFromSaved);
// Whether a typed character reaches the edit: anything but CR or LF (a
// single-line box), whatever EditorEnabled says.
bool EditCharAllowed(unsigned char ch);
// Cut and paste reach the edit only for an enabled, writable editor.
inline bool TextChangeAllowed(bool editorEnabled, bool readOnly) {
  return editorEnabled && !readOnly;
}

#ifdef _WIN32

// Converts bitmap to 24 bits per pixel: pure black becomes text, the rest face.
void RecolorGlyph(vcl::TBitmap& bitmap, TColor face, TColor text);

class TrmCustomBtnEdit : public TrmCustomEdit {
 public:
  explicit TrmCustomBtnEdit(vcl::TComponent* owner);
  ~TrmCustomBtnEdit() override;
  std::string ClassName() const override { return "TrmBtnEdit"; }

  std::string SavedText;
  vcl::TNotifyEvent OnBtn1Click;
  vcl::TNotifyEvent OnBtn2Click;

  bool EditorEnabled() const { return editorEnabled_; }
  void SetEditorEnabled(bool value) { editorEnabled_ = value; }
  int BtnWidth() const { return btnWidth_; }
  void SetBtnWidth(int value);
  bool Btn1Visible() const { return rules_.Btn1Visible; }
  void SetBtn1Visible(bool value);
  bool Btn2Visible() const { return rules_.Btn2VisibleWish; }
  void SetBtn2Visible(bool value);
  bool Btn1Enabled() const { return rules_.Btn1EnabledWish; }
  void SetBtn1Enabled(bool value);
  bool Btn2Enabled() const { return rules_.Btn2EnabledWish; }
  void SetBtn2Enabled(bool value);
  vcl::TBitmap& Btn1Glyph() { return button1_->Glyph(); }
  void SetBtn1Glyph(const vcl::TBitmap& value) { SetGlyph(button1_, btn1DefaultGlyph_, value); }
  vcl::TBitmap& Btn2Glyph() { return button2_->Glyph(); }
  void SetBtn2Glyph(const vcl::TBitmap& value) { SetGlyph(button2_, btn2DefaultGlyph_, value); }
  int Btn1NumGlyphs() const { return button1_->NumGlyphs(); }
  void SetBtn1NumGlyphs(int value) { button1_->SetNumGlyphs(value); }
  int Btn2NumGlyphs() const { return button2_->NumGlyphs(); }
  void SetBtn2NumGlyphs(int value) { button2_->SetNumGlyphs(value); }
  bool Btn1DefaultGlyph() const { return btn1DefaultGlyph_; }
  bool Btn2DefaultGlyph() const { return btn2DefaultGlyph_; }
  TrmSpeedButton* Button1() const { return button1_; }
  TrmSpeedButton* Button2() const { return button2_; }

  void SetEnabled(bool value) override;
  // Captures SavedText, then takes the focus.
  void SetFocus() override;
  // The OnClick of both buttons: focus first, then the button's event.
  virtual void BtnClick(vcl::TObject* sender);

 protected:
  void CreateParams(vcl::TCreateParams& params) override;
  void CreateWnd() override;
  void WndProc(vcl::TMessage& message) override;
  void PaintWindow(HDC dc) override;

 private:
  TrmSpeedButton* MakeButton(bool visible);
  void SetGlyph(TrmSpeedButton* button, bool& defaultFlag, const vcl::TBitmap& value);
  void InstallDefaultGlyph(TrmSpeedButton* button);
  void ApplyButton2Visibility();
  void PlaceButtons();
  void SetEditRect();
  bool KeyDown(WPARAM key);
  // The keys KeyDown acts on that must not reach the form first.
  bool ClaimsKey(WPARAM key) const;

  TrmSpeedButton* button1_ = nullptr;
  TrmSpeedButton* button2_ = nullptr;
  bool editorEnabled_ = true;
  int btnWidth_ = 16;
  TBtnEditRules rules_;
  bool btn1DefaultGlyph_ = false;
  bool btn2DefaultGlyph_ = false;
};

class TrmBtnEdit : public TrmCustomBtnEdit {
 public:
  explicit TrmBtnEdit(vcl::TComponent* owner) : TrmCustomBtnEdit(owner) {}
};

#endif

}  // namespace quillfen::widgets
