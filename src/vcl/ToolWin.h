// The tool bar (comctl32's, with custom-drawn buttons on request) and the
// control bar, whose child controls sit on painted bands.
#pragma once

#include "WinApi.h"

#include <functional>
#include <string>
#include <vector>

#include "Controls.h"
#include "GdiCanvas.h"
#include "ImgList.h"

namespace quillfen::vcl {

class TMenuItem;
class TToolBar;

enum class TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };

// Custom-draw state of a button.
enum TCustomDrawStateFlag : unsigned { cdsSelected = 1, cdsDisabled = 2, cdsChecked = 4, cdsHot = 8 };

class TToolButton : public TComponent {
 public:
  explicit TToolButton(TComponent* owner);
  ~TToolButton() override;
  std::string ClassName() const override { return "TToolButton"; }

  TToolBar* ToolBar() const { return bar_; }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& value);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int value);
  TToolButtonStyle Style() const { return style_; }
  void SetStyle(TToolButtonStyle value);
  bool Down() const;
  void SetDown(bool value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  bool Marked() const { return marked_; }
  void SetMarked(bool value) { marked_ = value; }
  TMenuItem* MenuItem = nullptr;
  TNotifyEvent OnClick;
  int Index() const;
  UINT Command() const { return command_; }
  // The button's rectangle in the bar's client coordinates.
  TRect BoundsRect() const;

 private:
  friend class TToolBar;
  TToolBar* bar_ = nullptr;
  std::string caption_;
  int imageIndex_ = -1;
  TToolButtonStyle style_ = TToolButtonStyle::tbsButton;
  bool down_ = false;
  bool enabled_ = true;
  bool marked_ = false;
  UINT command_;
};

using TToolBarCustomDrawButtonEvent = std::function<void(
    TToolBar* sender, TToolButton* button, TGdiCanvas& canvas, unsigned state, bool& defaultDraw)>;

class TToolBar : public TWinControl {
 public:
  explicit TToolBar(TComponent* owner);
  std::string ClassName() const override { return "TToolBar"; }

  int ButtonCount() const { return static_cast<int>(buttons_.size()); }
  TToolButton* Buttons(int index) const { return buttons_.at(static_cast<size_t>(index)); }
  void AddButton(TToolButton* button);
  void RemoveButton(TToolButton* button);
  bool Flat() const { return flat_; }
  void SetFlat(bool value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  bool ShowCaptions() const { return showCaptions_; }
  void SetShowCaptions(bool value);
  bool List() const { return list_; }
  void SetList(bool value);
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* value);
  TCustomImageList* HotImages() const { return hotImages_; }
  void SetHotImages(TCustomImageList* value) { hotImages_ = value; }
  TCustomImageList* DisabledImages() const { return disabledImages_; }
  void SetDisabledImages(TCustomImageList* value) { disabledImages_ = value; }
  TToolBarCustomDrawButtonEvent OnCustomDrawButton;
  // Gives the buttons to the window again after a change.
  void RebuildButtons();
  void SetOnCustomDrawButton(TToolBarCustomDrawButtonEvent handler);

 protected:
  void CreateParams(TCreateParams& params) override;
  void HandleCreated() override;
  void WndProc(TMessage& message) override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  LRESULT CustomDraw(NMTBCUSTOMDRAW& draw);
  std::vector<TToolButton*> buttons_;
  bool flat_ = false;
  bool transparent_ = false;
  bool showCaptions_ = false;
  bool list_ = false;
  TCustomImageList* images_ = nullptr;
  TCustomImageList* hotImages_ = nullptr;
  TCustomImageList* disabledImages_ = nullptr;
};

using TBandPaintEvent = std::function<void(TObject* sender, TControl* control, TGdiCanvas& canvas,
                                           TRect& rect, bool& defaultDraw)>;

// Each child control sits on a band: its bounds grown by 11 pixels of grip
// at the left and 2 around.
class TControlBar : public TWinControl {
 public:
  explicit TControlBar(TComponent* owner);
  std::string ClassName() const override { return "TControlBar"; }
  static TRect BandRect(const TControl& control);
  TBandPaintEvent OnBandPaint;
  void SetOnBandPaint(TBandPaintEvent handler);

 protected:
  void PaintWindow(HDC dc) override;
};

}  // namespace quillfen::vcl
