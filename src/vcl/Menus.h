// Main and popup menus over Win32 menus. An item whose OnDrawItem or
// OnMeasureItem is assigned (or any item of an OwnerDraw menu) is owner-drawn:
// the window that owns the menu sends WM_MEASUREITEM / WM_DRAWITEM, which
// reach the item's events.
#pragma once

#include "WinApi.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "BiDi.h"
#include "Classes.h"
#include "Controls.h"
#include "GdiCanvas.h"
#include "Graphics.h"
#include "ImgList.h"

namespace quillfen::vcl {

class TMenu;
class TCustomForm;

using TShortCut = unsigned;  // virtual key in the low byte; scShift, scCtrl, scAlt above
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000;
// "Ctrl+O", "Shift+F5", ...; empty for 0.
std::string ShortCutToText(TShortCut shortCut);

using TMenuDrawEvent =
    std::function<void(TObject* sender, TGdiCanvas& canvas, TRect rect, bool selected)>;
using TMenuMeasureEvent =
    std::function<void(TObject* sender, TCanvas& canvas, int& width, int& height)>;

class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;
  std::string ClassName() const override { return "TMenuItem"; }

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& value);
  bool IsLine() const { return caption_ == "-"; }
  bool Checked() const { return checked_; }
  void SetChecked(bool value);
  bool RadioItem() const { return radioItem_; }
  void SetRadioItem(bool value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  bool Default() const { return default_; }
  void SetDefault(bool value);
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut value);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int value);
  TBitmap& Bitmap() { return bitmap_; }
  TCustomImageList* SubMenuImages() const { return subMenuImages_; }
  void SetSubMenuImages(TCustomImageList* value);

  // Children in order; an item owns none of them (the form owns all).
  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int index) const { return items_.at(static_cast<size_t>(index)); }
  void Add(TMenuItem* item);
  void Insert(int index, TMenuItem* item);
  void Remove(TMenuItem* item);
  TMenuItem* Parent() const { return parent_; }
  // The menu this item belongs to, through its parents.
  TMenu* GetParentMenu() const;

  TNotifyEvent OnClick;
  void Click();
  const TMenuDrawEvent& OnDrawItem() const { return onDrawItem_; }
  void SetOnDrawItem(TMenuDrawEvent handler);
  const TMenuMeasureEvent& OnMeasureItem() const { return onMeasureItem_; }
  void SetOnMeasureItem(TMenuMeasureEvent handler);

  bool IsOwnerDrawn() const;
  // The default drawing and measuring of an owner-drawn item without handlers.
  void DrawItem(TGdiCanvas& canvas, TRect rect, bool selected);
  void MeasureItem(TCanvas& canvas, int& width, int& height);

  UINT Command() const { return command_; }
  // The popup menu of an item with children (created on demand).
  HMENU Handle();
  static TMenuItem* FromCommand(UINT command);
  static TMenuItem* FromHandle(HMENU menu);
  // Refills the item's popup menu from its children.
  void RebuildHandle();

 private:
  friend class TMenu;
  friend class TMainMenu;
  void Changed();
  void AppendTo(HMENU menu);

  std::string caption_;
  bool checked_ = false;
  bool radioItem_ = false;
  bool enabled_ = true;
  bool visible_ = true;
  bool default_ = false;
  TShortCut shortCut_ = 0;
  int imageIndex_ = -1;
  TBitmap bitmap_;
  TCustomImageList* subMenuImages_ = nullptr;
  std::vector<TMenuItem*> items_;
  TMenuItem* parent_ = nullptr;
  TMenu* menu_ = nullptr;  // set on a menu's root item
  TMenuDrawEvent onDrawItem_;
  TMenuMeasureEvent onMeasureItem_;
  UINT command_;
  HMENU handle_ = nullptr;
};

class TMenu : public TComponent {
 public:
  explicit TMenu(TComponent* owner);
  ~TMenu() override;
  std::string ClassName() const override { return "TMenu"; }

  // The invisible root; its children are the menu's items.
  TMenuItem* Items() const { return items_.get(); }
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* value);
  bool OwnerDraw() const { return ownerDraw_; }
  void SetOwnerDraw(bool value);
  // Its own reading order, used when ParentBiDiMode is off; a new menu takes
  // the order of the window it belongs to.
  TBiDiMode BiDiMode() const { return biDiMode_; }
  void SetBiDiMode(TBiDiMode value);
  bool ParentBiDiMode() const { return parentBiDiMode_; }
  void SetParentBiDiMode(bool value);
  // Right to left by its own mode, or by its window's extended style: the
  // form a main menu is attached to, else the form or control that owns it.
  bool IsRightToLeft() const;
  virtual HMENU Handle() = 0;
  // Rebuilds the Win32 menu after a change to the tree.
  virtual void Changed() = 0;

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  std::unique_ptr<TMenuItem> items_;
  TCustomImageList* images_ = nullptr;
  bool ownerDraw_ = false;
  TBiDiMode biDiMode_ = TBiDiMode::bdLeftToRight;
  bool parentBiDiMode_ = true;
};

// The menu bar of a form (TCustomForm::Menu).
class TMainMenu : public TMenu {
 public:
  explicit TMainMenu(TComponent* owner);
  ~TMainMenu() override;
  std::string ClassName() const override { return "TMainMenu"; }
  HMENU Handle() override;
  void Changed() override;
  // Shows the menu on the form; the form's menu messages come to the items.
  void AttachTo(TWinControl* form);
  TWinControl* Form() const { return form_; }

 private:
  void Rebuild();
  HMENU handle_ = nullptr;
  TWinControl* form_ = nullptr;
  TWndMethod previousProc_;
};

class TPopupMenu : public TMenu {
 public:
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;
  std::string ClassName() const override { return "TPopupMenu"; }
  HMENU Handle() override;
  void Changed() override {}
  // Shows the menu at a screen point and returns when it closes; a chosen item's OnClick has run.
  void Popup(int x, int y);
  // The window that owns open popups (hidden, one per program).
  static HWND Window();

 private:
  HMENU handle_ = nullptr;
};

// The main menu the framework has attached to a form, or null.
TMainMenu* FormMenu(const TWinControl* form);
// Handles WM_MEASUREITEM, WM_DRAWITEM, WM_INITMENUPOPUP and menu WM_COMMAND; false for others.
bool DispatchMenuMessage(TMessage& message);

}  // namespace quillfen::vcl
