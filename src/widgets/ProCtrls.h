// TProLabel: a label with rotation, offsets, vertical alignment and
// highlight / shadow copies; TProButton: a push button whose Kind sets its
// caption, default / cancel flags and modal result.
//
// The label's property rules and painting are portable (TProLabelState,
// TProLabelProperties, PaintProLabel); the controls are Win32 ones.
#pragma once

#include <string>

#include "Canvas.h"
#include "Colors.h"
#include "ProConst.h"

#ifdef _WIN32
#include "StdCtrls.h"
#endif

namespace quillfen::widgets {

using vcl::TCanvas;
using vcl::TColor;
using vcl::TRect;

enum TVerticalAlignment { vaTop, vaCenter, vaBottom };
enum TDirection { drNone, drUp, drDown, drLeft, drRight, drUpLeft, drUpRight, drDownLeft, drDownRight };
enum TShadowStyle {
  ssNone, ssCustom, ssRaised, ssRaisedColor, ssRaisedShadow, ssRaisedThickShadow, ssRecessed,
  ssRecessedColor, ssRecessedShadow, ssShadow, ssThickShadow
};
// Horizontal placement, in the order of the framework's TAlignment.
enum class TLabelAlign { Left, Right, Center };

// The seven properties that a shadow style presets.
struct TLabelEffects {
  TDirection HighlightDirection = drNone;
  TDirection ShadowDirection = drNone;
  int HighlightDepth = 0;
  TColor HighlightColor = vcl::clBtnHighlight;
  int ShadowDepth = 0;
  int ShadowSize = 0;
  TColor ShadowColor = vcl::clBtnShadow;
  friend bool operator==(const TLabelEffects&, const TLabelEffects&) = default;
};

// The effect values of a style; ssCustom has none of its own and gives ssNone's.
TLabelEffects ShadowStylePreset(TShadowStyle style);
// One pixel step towards a direction, screen coordinates (y grows downwards).
vcl::TPoint DirectionStep(TDirection direction);

// Everything a label paint depends on.
struct TProLabelState {
  std::string Caption;
  vcl::TFontState Font;
  TColor Color = vcl::clBtnFace;
  bool Enabled = true;
  bool Transparent = false;
  bool WordWrap = false;
  bool ShowAccelChar = true;
  TLabelAlign Alignment = TLabelAlign::Left;
  TVerticalAlignment VerticalAlignment = vaTop;
  int Angle = 0;  // 0..359
  double AngleCos = 1.0;
  double AngleSin = 0.0;
  int OffsetX = 0;
  int OffsetY = 0;
  TShadowStyle ShadowStyle = ssNone;
  TLabelEffects Effects;
};

// The stored properties and their setter rules. Each setter answers whether
// the label must repaint; AutoSizeOff() tells whether the last change asks
// for AutoSize to be turned off.
class TProLabelProperties {
 public:
  TProLabelState& State() { return state_; }
  const TProLabelState& State() const { return state_; }
  bool AutoSizeOff() const { return autoSizeOff_; }

  // Kept in 0..359: -90 becomes 270, 360 becomes 0.
  bool SetAngle(int value);
  bool SetOffsetX(int value);
  bool SetOffsetY(int value);
  bool SetVerticalAlignment(TVerticalAlignment value);
  // Writes the seven effect properties as a preset; ssCustom keeps them.
  bool SetShadowStyle(TShadowStyle value);
  // Each of these switches the style to ssCustom.
  bool SetHighlightDirection(TDirection value);
  bool SetShadowDirection(TDirection value);
  bool SetHighlightDepth(int value);
  bool SetHighlightColor(TColor value);
  bool SetShadowDepth(int value);
  bool SetShadowSize(int value);
  bool SetShadowColor(TColor value);

  static int NormalizeAngle(int value);

 private:
  template <typename T>
  bool SetEffect(T TLabelEffects::*field, T value);
  TProLabelState state_;
  bool autoSizeOff_ = false;
};

// The DrawText flags of the label's settings (without vertical placement).
unsigned LabelTextFlags(const TProLabelState& state);
// The caption without accelerator marks, as a rotated line shows it.
std::string StripAccelChars(const std::string& text);

// Draws the caption once at rect in the canvas font's colour: formatted text
// for angle 0, else one line of text output at rect's top-left corner with the
// rotated font (escapement angle * 10, TrueType only).
void DrawLabelCaption(TCanvas& canvas, const TProLabelState& state, TRect& rect, unsigned flags);

// Paints the whole label into client: background unless transparent, then
// the shadow copies, the highlight copy and the caption.
void PaintProLabel(TCanvas& canvas, const TRect& client, const TProLabelState& state);

// Whether a button's flags and modal result still are those of its kind.
bool ButtonMatchesKind(TProButtonKind kind, bool isDefault, bool isCancel, int modalResult);

#ifdef _WIN32

class TProCustomLabel : public vcl::TCustomLabel {
 public:
  explicit TProCustomLabel(vcl::TComponent* owner);
  std::string ClassName() const override { return "TProCustomLabel"; }

  int Angle() const { return props_.State().Angle; }
  void SetAngle(int value) { Apply(props_.SetAngle(value)); }
  int OffsetX() const { return props_.State().OffsetX; }
  void SetOffsetX(int value) { Apply(props_.SetOffsetX(value)); }
  int OffsetY() const { return props_.State().OffsetY; }
  void SetOffsetY(int value) { Apply(props_.SetOffsetY(value)); }
  TVerticalAlignment VerticalAlignment() const { return props_.State().VerticalAlignment; }
  void SetVerticalAlignment(TVerticalAlignment value);
  // The same value as VerticalAlignment, in the framework's type.
  vcl::TTextLayout Layout() const { return static_cast<vcl::TTextLayout>(VerticalAlignment()); }
  void SetLayout(vcl::TTextLayout value) { SetVerticalAlignment(static_cast<TVerticalAlignment>(value)); }
  TShadowStyle ShadowStyle() const { return props_.State().ShadowStyle; }
  void SetShadowStyle(TShadowStyle value) { Apply(props_.SetShadowStyle(value)); }
  TDirection HighlightDirection() const { return props_.State().Effects.HighlightDirection; }
  void SetHighlightDirection(TDirection value) { Apply(props_.SetHighlightDirection(value)); }
  TDirection ShadowDirection() const { return props_.State().Effects.ShadowDirection; }
  void SetShadowDirection(TDirection value) { Apply(props_.SetShadowDirection(value)); }
  int HighlightDepth() const { return props_.State().Effects.HighlightDepth; }
  void SetHighlightDepth(int value) { Apply(props_.SetHighlightDepth(value)); }
  TColor HighlightColor() const { return props_.State().Effects.HighlightColor; }
  void SetHighlightColor(TColor value) { Apply(props_.SetHighlightColor(value)); }
  int ShadowDepth() const { return props_.State().Effects.ShadowDepth; }
  void SetShadowDepth(int value) { Apply(props_.SetShadowDepth(value)); }
  int ShadowSize() const { return props_.State().Effects.ShadowSize; }
  void SetShadowSize(int value) { Apply(props_.SetShadowSize(value)); }
  TColor ShadowColor() const { return props_.State().Effects.ShadowColor; }
  void SetShadowColor(TColor value) { Apply(props_.SetShadowColor(value)); }

  vcl::TNotifyEvent OnMouseEnter;
  vcl::TNotifyEvent OnMouseLeave;

  // The paint inputs of the current settings.
  TProLabelState PaintState();

 protected:
  void Paint(TCanvas& canvas) override;
  void WndProc(vcl::TMessage& message) override;

 private:
  void Apply(bool changed);
  TProLabelProperties props_;
};

class TProLabel : public TProCustomLabel {
 public:
  explicit TProLabel(vcl::TComponent* owner) : TProCustomLabel(owner) {}
  std::string ClassName() const override { return "TProLabel"; }
};

class TProButton : public vcl::TButton {
 public:
  explicit TProButton(vcl::TComponent* owner);
  std::string ClassName() const override { return "TProButton"; }

  // Reads pbkCustom (and becomes it) once Default, Cancel or ModalResult no
  // longer match the kind.
  TProButtonKind Kind();
  void SetKind(TProButtonKind value);
  // What a stored form description keeps of the button.
  bool IsCancelStored() { return Kind() == pbkCustom; }
  bool IsCaptionStored();

  // Help kinds show the nearest help context through Application().HelpContext;
  // without a help topic shown they click like ordinary buttons.
  void Click() override;

 private:
  TProButtonKind kind_ = pbkCustom;
};

// The caption of a kind from the program's string table; empty for pbkCustom.
std::string ProKindCaption(TProButtonKind kind);

#endif

}  // namespace quillfen::widgets
