// TrmSpeedButton: a windowless push button with a glyph strip (TButtonGlyph),
// three styles (plain, combo-box arrow, split button with a drop-down part)
// and flat hot tracking.
//
// The state machine (TSpeedButtonModel) and the face plan are portable; the
// control and its painting are Win32.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "rmButtonGlyph.h"

#include "Canvas.h"
#include "Classes.h"
#include "Colors.h"
#include "Types.h"

#ifdef _WIN32
#include "ActnList.h"
#include "BiDi.h"
#include "Controls.h"
#include "Graphics.h"
#endif

namespace quillfen::widgets {

enum TrmSpeedButtonStyle { sbsNormal, sbsComboButton, sbsMenu };

// The split button's menu arrow where the symbol font is missing (a fresh
// Wine prefix has none): the font's down-pointing triangle drawn with the
// pen, rows of 2n-1, 2n-3 .. 1 pixels centred in rect, n from the font
// height; disabled, embossed like the text.
void DrawMenuArrowShape(TCanvas& canvas, const TRect& rect, int fontHeight, bool disabled);
// The symbol font the arrow is drawn with, and whether a face the system
// matched for a request of it really is that font.
inline constexpr const char* kMenuArrowFont = "Marlett";
bool IsMenuArrowFace(const std::string& matchedFace);

// True when key is the accelerator ("&x") of caption, case-insensitively.
bool IsAccel(char key, const std::string& caption);

// ------------------------------------------------------------ state machine

// What a mouse or property event asks of the control.
struct TButtonAction {
  bool Invalidate = false;
  bool Repaint = false;
  bool Click = false;
  bool PopupMenu = false;
  bool BroadcastGroup = false;  // send CM_BUTTONPRESSED to the parent's controls
  bool UpdateTracking = false;
};

// The properties and state rules of a speed button.
class TSpeedButtonModel {
 public:
  int GroupIndex() const { return groupIndex_; }
  bool Down() const { return down_; }
  bool AllowAllUp() const { return allowAllUp_; }
  bool Flat() const { return flat_; }
  bool Transparent() const { return transparent_; }
  TrmSpeedButtonStyle Style() const { return style_; }
  int MenuButtonWidth() const { return menuButtonWidth_; }
  int Margin() const { return margin_; }
  int Spacing() const { return spacing_; }

  TButtonState State = bsUp;
  bool Dragging = false;
  bool Hot = false;
  bool MenuPressed = false;

  TButtonAction SetDown(bool value);
  TButtonAction SetGroupIndex(int value);
  TButtonAction SetAllowAllUp(bool value);
  TButtonAction SetFlat(bool value);
  TButtonAction SetTransparent(bool value);
  TButtonAction SetStyle(TrmSpeedButtonStyle value);
  TButtonAction SetMenuButtonWidth(int value);
  TButtonAction SetMargin(int value);  // below -1: ignored
  TButtonAction SetSpacing(int value);

  // Another button of the parent announced itself down (CM_BUTTONPRESSED).
  TButtonAction ButtonPressed(int group, bool senderDown, bool senderAllowAllUp);

  TButtonAction MouseDown(bool enabled, int x, int y, int clientWidth);
  TButtonAction MouseMove(int x, int y, int clientWidth, int clientHeight);
  TButtonAction MouseUp(int x, int y, int clientWidth, int clientHeight);
  // The state correction every paint starts with.
  void SyncEnabled(bool enabled);

  bool Pressed() const { return State == bsDown || State == bsExclusive; }

 private:
  int groupIndex_ = 0;
  bool down_ = false;
  bool allowAllUp_ = false;
  bool flat_ = false;
  bool transparent_ = true;
  TrmSpeedButtonStyle style_ = sbsNormal;
  int menuButtonWidth_ = 11;
  int margin_ = -1;
  int spacing_ = 4;
};

// ---------------------------------------------------------------- face plan

enum class TFaceStepKind {
  FrameControl,  // DrawFrameControl DFC_BUTTON with Flags; Adjust shrinks the rect by 2
  Frame3D,       // top/left lines in Color1, bottom/right in Color2, then shrink by 1
  FrameRect,     // one-pixel frame in Color1, then shrink by 1
  Edge,          // DrawEdge with Flags (edge) and Flags2 (BF_*)
  Fill,          // solid fill in Color1
  Pattern,       // 8x8 checker of Color1 (set bits) over Color2
  Shrink,        // the rect shrinks by one pixel
};

struct TFaceStep {
  TFaceStepKind Kind;
  TRect Rect;
  unsigned Flags = 0;
  unsigned Flags2 = 0;
  TColor Color1 = vcl::clNone;
  TColor Color2 = vcl::clNone;
};

// The Win32 values the plan carries.
enum : unsigned {
  kDfcButton = 4, kDfcsButtonPush = 0x10, kDfcsAdjustRect = 0x2000, kDfcsPushed = 0x200,
  kBdrSunkenOuter = 2, kBdrRaisedInner = 4, kBfRect = 15, kBfMiddle = 0x800,
};

struct TFacePlan {
  std::vector<TFaceStep> Steps;
  TRect Content;        // where glyph and caption are laid out
  TPoint Offset;        // added to glyph and caption positions
  TRect MenuArrow;      // split face: the rect the arrow is centred in
  bool Split = false;
};

struct TFaceInput {
  const TSpeedButtonModel* Model;
  int Width = 0;
  int Height = 0;
  bool Designing = false;
  TColor Color = vcl::clBtnFace;
};

// The face drawing of the current state; throws vcl::Exception("Unknown
// button style.") for a style value outside the three.
TFacePlan PlanFace(const TFaceInput& input);

#ifdef _WIN32

class TrmCustomSpeedButton : public vcl::TGraphicControl, private vcl::TActionClient {
 public:
  explicit TrmCustomSpeedButton(vcl::TComponent* owner);
  ~TrmCustomSpeedButton() override;
  std::string ClassName() const override { return "TrmSpeedButton"; }

  int GroupIndex() const { return model_.GroupIndex(); }
  void SetGroupIndex(int value) { Apply(model_.SetGroupIndex(value)); }
  bool Down() const { return model_.Down(); }
  void SetDown(bool value) { Apply(model_.SetDown(value)); }
  bool AllowAllUp() const { return model_.AllowAllUp(); }
  void SetAllowAllUp(bool value) { Apply(model_.SetAllowAllUp(value)); }
  bool Flat() const { return model_.Flat(); }
  void SetFlat(bool value) { Apply(model_.SetFlat(value)); }
  bool Transparent() const { return model_.Transparent(); }
  void SetTransparent(bool value);
  TrmSpeedButtonStyle Style() const { return model_.Style(); }
  void SetStyle(TrmSpeedButtonStyle value) { Apply(model_.SetStyle(value)); }
  int MenuButtonWidth() const { return model_.MenuButtonWidth(); }
  void SetMenuButtonWidth(int value) { Apply(model_.SetMenuButtonWidth(value)); }
  int Margin() const { return model_.Margin(); }
  void SetMargin(int value) { Apply(model_.SetMargin(value)); }
  int Spacing() const { return model_.Spacing(); }
  void SetSpacing(int value) { Apply(model_.SetSpacing(value)); }
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout value);
  vcl::TBitmap& Glyph() { return glyph_.Glyph(); }
  void SetGlyph(const vcl::TBitmap& value) { glyph_.SetGlyph(value); }
  int NumGlyphs() const { return glyph_.NumGlyphs(); }
  void SetNumGlyphs(int value) { glyph_.SetNumGlyphs(value); }
  // Borrowed; shown under the menu part of an sbsMenu button.
  HMENU DropDownMenu() const { return dropDownMenu_; }
  void SetDropDownMenu(HMENU menu) { dropDownMenu_ = menu; }

  // Reading order of the caption: its own, or the parent window's with ParentBiDiMode.
  vcl::TBiDiMode BiDiMode() const { return biDiMode_; }
  void SetBiDiMode(vcl::TBiDiMode value);
  bool ParentBiDiMode() const { return parentBiDiMode_; }
  void SetParentBiDiMode(bool value);
  bool UseRightToLeftReading() const;
  // The command the button shows and runs (borrowed); it follows the
  // action's changes until either goes.
  vcl::TAction* Action() const { return action_; }
  void SetAction(vcl::TAction* action);
  // The glyph's palette, for a parent that realises its children's palettes.
  HPALETTE GetPalette() const { return glyph_.Palette(); }

  TButtonState State() const { return model_.State; }
  bool Hot() const { return model_.Hot; }
  bool Dragging() const { return model_.Dragging; }
  const TSpeedButtonModel& Model() const { return model_; }
  TButtonGlyph& ButtonGlyph() { return glyph_; }

  vcl::TNotifyEvent OnDblClick;
  void Click() override;
  // Live speed buttons of the module.
  static int ButtonCount();

 protected:
  // Takes caption, enabled, visible and help context from the action (with
  // checkDefaults only where the button still has its default), and an
  // image of the action into an empty glyph, on clFuchsia.
  virtual void ActionChange(vcl::TAction& sender, bool checkDefaults);
  void Loaded() override;
  void Paint(TCanvas& canvas) override;
  void WndProc(vcl::TMessage& message) override;
  // Shows the drop-down menu at a screen point; tests replace it.
  virtual void PopupDropDown(TPoint screen);
  void UpdateTracking();

 private:
  void Apply(const TButtonAction& action);
  void PaintFace(TCanvas& canvas, const TFacePlan& plan);
  void PaintContent(TCanvas& canvas, const TFacePlan& plan);
  static bool MenuArrowFontAvailable(HDC dc, const vcl::TFontState& font);
  void ActionChanged(vcl::TAction& action) override { ActionChange(action, false); }
  void ActionFreed(vcl::TAction& action) override;
  // The caption's reading-order flags for DrawText.
  unsigned BiDiFlags() const { return UseRightToLeftReading() ? vcl::dtRtlReading : 0u; }
  TSpeedButtonModel model_;
  TButtonGlyph glyph_;
  TButtonLayout layout_ = blGlyphLeft;
  HMENU dropDownMenu_ = nullptr;
  vcl::TAction* action_ = nullptr;
  vcl::TBiDiMode biDiMode_ = vcl::TBiDiMode::bdLeftToRight;
  bool parentBiDiMode_ = true;
};

class TrmSpeedButton : public TrmCustomSpeedButton {
 public:
  explicit TrmSpeedButton(vcl::TComponent* owner) : TrmCustomSpeedButton(owner) {}
};

#endif

}  // namespace quillfen::widgets
