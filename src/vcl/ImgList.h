// Image lists: equal-sized pictures drawn by index, over comctl32's image list.
#pragma once

#include "WinApi.h"

#include <commctrl.h>

#include <string>

#include "Classes.h"
#include "Graphics.h"

namespace quillfen::vcl {

class TCustomImageList : public TComponent {
 public:
  explicit TCustomImageList(TComponent* owner, int width = 16, int height = 16);
  ~TCustomImageList() override;
  std::string ClassName() const override { return "TCustomImageList"; }

  int Width() const { return width_; }
  int Height() const { return height_; }
  // A new size empties the list.
  void SetSize(int width, int height);
  int Count() const;
  // Adds the bitmap (its width may hold several images); pixels of maskColor
  // are transparent. Returns the index of the first image added, -1 on failure.
  int AddMasked(TBitmap& bitmap, TColor maskColor);
  void Clear();
  // Draws image index at (x, y); a disabled image is drawn blended.
  void Draw(TGdiCanvas& canvas, int x, int y, int index, bool enabled = true) const;
  HIMAGELIST Handle();

 private:
  void Create();
  int width_;
  int height_;
  HIMAGELIST handle_ = nullptr;
};

class TImageList : public TCustomImageList {
 public:
  explicit TImageList(TComponent* owner, int width = 16, int height = 16)
      : TCustomImageList(owner, width, height) {}
  std::string ClassName() const override { return "TImageList"; }
};

}  // namespace quillfen::vcl
