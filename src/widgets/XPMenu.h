// TXPMenu: a non-visual component that gives a form's menus and standard
// controls a flat XP look while Active; TControlSubClass does the controls.
//
// The colour arithmetic, the working colours, the menu measure rules, the
// menu item layout and the check mark are portable (tested natively); the
// component, the hooks and the painters are Win32.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Canvas.h"
#include "Colors.h"
#include "Types.h"

#ifdef _WIN32
#include "Classes.h"
#include "Controls.h"
#include "Graphics.h"
#include "Menus.h"
#include "ToolWin.h"
#endif

namespace quillfen::widgets {

using vcl::TCanvas;
using vcl::TColor;
using vcl::TPoint;
using vcl::TRect;

// A component or control with this Tag, and the children of a parent with it, keep their own look.
constexpr int NoSkinTag = 999;

enum TXPContainer {
  xccForm, xccFrame, xccToolbar, xccCoolbar, xccControlbar, xccPanel, xccScrollBox,
  xccGroupBox, xccTabSheet, xccPageScroller
};
enum TXPControl {
  xcMainMenu, xcPopupMenu, xcToolbar, xcControlbar, xcCombo, xcEdit, xcMaskEdit, xcMemo,
  xcRichEdit, xcCheckBox, xcRadioButton, xcButton, xcBitBtn, xcSpeedButton, xcPanel, xcGroupBox
};
// Bit n is member n; both sets are stored in 2 bytes.
using TXPContainers = std::uint16_t;
using TXPControls = std::uint16_t;
constexpr TXPContainers xccAll = 0x03FF;
constexpr TXPControls xcAll = 0xFFFF;
constexpr bool InSet(unsigned set, int member) { return (set >> member) & 1u; }

// The target device's nearest colour (GetNearestColor); empty keeps the colour.
using TNearestColor = std::function<TColor(TColor rgb)>;

// Each channel moves percent (at most 100) of the way to 255, rounded half to
// even, then snaps to the device's nearest colour. A negative percent darkens;
// channels are clamped to 0..255.
TColor LightenColor(TColor color, int percent, const TNearestColor& nearest = {});
// Red and blue lose amount, green loses amount - 2; clamped, no snapping.
TColor DarkenColor(TColor color, int amount);
// The channel mean plus level, at most 240, as a gray.
TColor GrayColor(TColor color, int level);
// A light background keeps the font colour; a dark one gets a 90 % lightened text.
TColor SelectedTextColor(TColor background, TColor fontColor, const TNearestColor& nearest = {});

// The pixel loops convert runs of one colour once.
class TColorCache {
 public:
  template <typename F>
  TColor Convert(TColor pixel, F convert) {
    if (!valid_ || pixel != source_) {
      source_ = pixel;
      result_ = convert(pixel);
      valid_ = true;
      ++conversions_;
    }
    return result_;
  }
  int Conversions() const { return conversions_; }

 private:
  bool valid_ = false;
  TColor source_ = 0;
  TColor result_ = 0;
  int conversions_ = 0;
};

// The colour properties that the working colours come from.
struct TXPColorSettings {
  TColor Color = vcl::clBtnFace;
  TColor IconBackColor = vcl::clBtnFace;
  TColor MenuBarColor = vcl::clBtnFace;
  TColor SelectColor = vcl::clHighlight;
  TColor SelectBorderColor = vcl::clHighlight;
  TColor SelectFontColor = vcl::clMenuText;
  TColor DisabledColor = vcl::clInactiveCaption;
  TColor SeparatorColor = vcl::clBtnFace;
  TColor CheckedColor = vcl::clHighlight;
  bool UseSystemColors = true;
};

// The colours every paint uses, recomputed before it.
struct TXPWorkingColors {
  bool DeepColorMode = false;
  TColor EffColor = 0, EffIconBackColor = 0, EffSelectColor = 0, EffSelectBorderColor = 0,
         EffSelectFontColor = 0, EffCheckedColor = 0, EffMenuBarColor = 0, EffDisabledColor = 0,
         EffSeparatorColor = 0, CheckFillColor = 0, CheckFillSelectColor = 0,
         PopupFrameColor = 0, PopupShadowColor = 0;
};

// bitsPerPixel is the device's; menuFontColor is the font's colour after the
// system menu font was reloaded (used under UseSystemColors).
TXPWorkingColors ComputeWorkingColors(const TXPColorSettings& settings, int bitsPerPixel,
                                      TColor menuFontColor, const TNearestColor& nearest = {});

// What the measure rules need to know about one menu item.
struct TMenuItemFacts {
  std::string Caption;
  std::string ShortCutText;
  TPoint Glyph;               // the glyph's own size, 0 x 0 without one
  bool MenuBarItem = false;
  bool NtPlatform = true;
};

// The glyph size the layout uses: raised to iconWidth except on the menu bar.
TPoint ItemGlyphSize(TPoint glyph, bool menuBarItem, int iconWidth);
// Widens width and heightens height to what the item needs, with the canvas font in effect.
void MeasureMenuItemText(TCanvas& canvas, const TMenuItemFacts& item, int iconWidth, int& width,
                         int& height);

struct TMenuItemLayout {
  TRect IconColumn;
  TRect Check;
  TRect Text;
};
// item is the item's rectangle (its bottom already grown by one); glyph the
// bitmap's size (0 x 0 without one).
TMenuItemLayout LayoutMenuItem(TRect item, int iconWidth, TPoint glyph, bool menuBarItem,
                               bool rightToLeft);
// The separator's line: y and the x range, from the text rectangle.
struct TSeparatorLine {
  int Y, X1, X2;
};
TSeparatorLine SeparatorLine(TRect text, bool rightToLeft);

struct TCheckMarkState {
  bool Checked = false;
  bool Radio = false;
  bool Selected = false;
  bool HasGlyph = false;
  bool Enabled = true;
};
void DrawCheckMark(TCanvas& canvas, const TXPWorkingColors& colors, TRect r,
                   const TCheckMarkState& state);
// The band of a control bar: a flat fill and a grip of short darkening lines.
void PaintControlBarBand(TCanvas& canvas, TColor color, bool deepColorMode, TRect r,
                         const TNearestColor& nearest = {});

#ifdef _WIN32

class TControlSubClass;

class TXPMenu : public vcl::TComponent {
 public:
  // The owner must be a form or a frame.
  explicit TXPMenu(vcl::TComponent* owner);
  ~TXPMenu() override;
  std::string ClassName() const override { return "TXPMenu"; }

  int DimLevel() const { return dimLevel_; }
  void SetDimLevel(int value) { dimLevel_ = static_cast<std::uint8_t>(value); }
  int GrayLevel() const { return grayLevel_; }
  void SetGrayLevel(int value) { grayLevel_ = static_cast<std::uint8_t>(value); }
  vcl::TFont& Font() { return font_; }
  // Copies the font, then redraws the menu bar.
  void SetFont(const vcl::TFont& font);
  void FontChanged() { DrawMenuBar(); }
  TColor Color() const { return settings_.Color; }
  void SetColor(TColor value) { settings_.Color = value; }
  TColor IconBackColor() const { return settings_.IconBackColor; }
  void SetIconBackColor(TColor value) { settings_.IconBackColor = value; }
  TColor MenuBarColor() const { return settings_.MenuBarColor; }
  void SetMenuBarColor(TColor value);
  TColor SelectColor() const { return settings_.SelectColor; }
  void SetSelectColor(TColor value) { settings_.SelectColor = value; }
  TColor SelectBorderColor() const { return settings_.SelectBorderColor; }
  void SetSelectBorderColor(TColor value) { settings_.SelectBorderColor = value; }
  TColor SelectFontColor() const { return settings_.SelectFontColor; }
  void SetSelectFontColor(TColor value) { settings_.SelectFontColor = value; }
  TColor DisabledColor() const { return settings_.DisabledColor; }
  void SetDisabledColor(TColor value) { settings_.DisabledColor = value; }
  TColor SeparatorColor() const { return settings_.SeparatorColor; }
  void SetSeparatorColor(TColor value) { settings_.SeparatorColor = value; }
  TColor CheckedColor() const { return settings_.CheckedColor; }
  void SetCheckedColor(TColor value) { settings_.CheckedColor = value; }
  int IconWidth() const { return iconWidth_; }
  void SetIconWidth(int value) { iconWidth_ = value; }
  bool DrawSelect() const { return drawSelect_; }
  void SetDrawSelect(bool value) { drawSelect_ = value; }
  bool UseSystemColors() const { return settings_.UseSystemColors; }
  void SetUseSystemColors(bool value);
  bool OverrideOwnerDraw() const { return overrideOwnerDraw_; }
  void SetOverrideOwnerDraw(bool value);
  bool Gradient() const { return gradient_; }
  void SetGradient(bool value) { gradient_ = value; }
  bool FlatMenu() const { return flatMenu_; }
  void SetFlatMenu(bool value) { flatMenu_ = value; }
  bool AutoDetect() const { return autoDetect_; }
  void SetAutoDetect(bool value) { autoDetect_ = value; }
  TXPContainers XPContainers() const { return containers_; }
  void SetXPContainers(TXPContainers value);
  TXPControls XPControls() const { return controls_; }
  void SetXPControls(TXPControls value);
  bool Active() const { return active_; }
  void SetActive(bool value);

  vcl::TWinControl* Form() const { return form_; }
  // Recomputes the working colours for the device of the canvas.
  void PrepareColors(HDC dc);
  const TXPWorkingColors& Colors() const { return colors_; }
  bool DeepColorMode() const { return colors_.DeepColorMode; }
  TColor Lighten(HDC dc, TColor color, int percent) const;

  // Applies (enable) or removes the hooks over the components the container owns.
  void HookForm(vcl::TComponent* container, bool enable, bool repaint);

  // The handlers installed on menus, tool bars and control bars.
  void MeasureMenuItem(vcl::TMenuItem* item, vcl::TCanvas& canvas, int& width, int& height);
  void DrawMenuItem(vcl::TMenuItem* item, vcl::TGdiCanvas& canvas, TRect rect, bool selected);
  void DrawToolButton(vcl::TToolBar* bar, vcl::TToolButton* button, vcl::TGdiCanvas& canvas,
                      unsigned state, bool& defaultDraw);
  void DrawControlBarBand(vcl::TControlBar* bar, vcl::TControl* band, vcl::TGdiCanvas& canvas,
                          TRect rect, bool& defaultDraw);

  // The caption painter shared with the control painters.
  void DrawItemText(vcl::TGdiCanvas& canvas, const std::string& text, unsigned format,
                    const vcl::TFontState& font, bool rightToLeft, bool menuBarItem,
                    bool isDefault, bool enabled, bool selected, TRect rect,
                    const std::string& shortCut, bool toolButton = false);
  // The glyph of an item or tool button, dimmed, grayed or lifted with a
  // shadow by its state; glyph is changed in place.
  void DrawItemGlyph(vcl::TGdiCanvas& canvas, bool rightToLeft, bool menuBarItem, bool checked,
                     bool enabled, bool pressed, bool selected, TRect rect, vcl::TBitmap& glyph,
                     bool toolButton);
  void DrawTopLevelSelection(vcl::TGdiCanvas& canvas, bool rightToLeft, TColor barColor, TRect r);
  void DrawGradientBackground(vcl::TGdiCanvas& canvas, TRect r, bool rightToLeft);
  // The flat frame and shadow of an open popup window, on the desktop's DC.
  void DrawPopupFrame(HWND window, bool rightToLeft);

 protected:
  void Notification(vcl::TComponent* component, vcl::TOperation operation) override;
  // Active set while a description loads takes effect once every component is there.
  void Loaded() override;

 private:
  friend class TControlSubClass;
  bool hookPending_ = false;
  void HookMenuItem(vcl::TMenuItem* item, bool enable);
  void HookMenuTree(vcl::TMenuItem* item, bool enable);
  void HookItemTree(vcl::TMenuItem* item);
  void HookControl(vcl::TControl* control, bool enable, bool repaint);
  bool Selects(const vcl::TControl* control) const;
  void DropUnselected();
  void DrawMenuBar();
  TPoint GetItemGlyphSize(vcl::TMenuItem* item);
  bool IsMenuBarItem(vcl::TMenuItem* item) const;
  vcl::TCustomImageList* ImagesFor(vcl::TMenuItem* item) const;

  vcl::TWinControl* form_ = nullptr;
  std::uint8_t dimLevel_ = 30;
  std::uint8_t grayLevel_ = 10;
  vcl::TFont font_;
  TXPColorSettings settings_;
  int iconWidth_ = 24;
  bool drawSelect_ = true;
  bool overrideOwnerDraw_ = false;
  bool gradient_ = false;
  bool flatMenu_ = false;
  bool autoDetect_ = false;
  TXPContainers containers_ = xccAll;
  TXPControls controls_ = xcAll;
  bool active_ = false;
  TXPWorkingColors colors_;
  // The control subclasses this painter installed that still live.
  std::vector<TControlSubClass*> subclasses_;
};

// Loads the system menu font into font (colour clMenuText); leaves it as it was on failure.
bool LoadSystemMenuFont(vcl::TFont& font);

// The control kind's bit in XPControls, or -1 for a kind that is never skinned.
int ControlKind(const vcl::TControl& control);
// The parent kind's bit in XPContainers, or -1.
int ContainerKind(const vcl::TWinControl& parent);

// The skinning of one control, installed as its WindowProc.
class TControlSubClass : public vcl::TObject {
 public:
  TControlSubClass(vcl::TControl* control, TXPMenu* painter);
  std::string ClassName() const override { return "TControlSubClass"; }
  // The subclass that is control's WindowProc now, or null.
  static TControlSubClass* Of(const vcl::TControl* control);
  static int LiveCount();
  ~TControlSubClass() override;

  bool Hot() const { return hot_; }
  bool MouseDown() const { return mouseDown_; }
  UINT LastMessage() const { return lastMessage_; }

 private:
  friend class TXPMenu;
  void WindowProc(vcl::TMessage& message);
  void Restore();
  void Paint();
  void PaintEdit(bool richEdit);
  void PaintCombo();
  void PaintCheckBox();
  void PaintRadio();
  void PaintButton();
  void PaintGroupBox();
  void PaintPanel();

  vcl::TControl* control_;
  bool recreating_ = false;
  bool hot_ = false;
  bool mouseDown_ = false;
  bool spaceDown_ = false;
  bool spaceRepeat_ = false;
  bool focused_ = false;
  vcl::TWndMethod previous_;
  TXPMenu* painter_;
  bool savedCtl3D_ = true;
  int savedBorderStyle_ = 1;
  UINT lastMessage_ = 0;
  int kind_ = -1;
  // Cleared by the destructor: a handler inside the previous procedure may
  // free the control, its form or the painter, and this object with them.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// Registers TXPMenu with its published properties, Active last, for form descriptions.
void RegisterXPMenuClass();

#endif

}  // namespace quillfen::widgets
