// Picture and bevel controls.
#pragma once

#include <string>

#include "Controls.h"
#include "Graphics.h"

namespace quillfen::vcl {

class TImage : public TGraphicControl {
 public:
  explicit TImage(TComponent* owner);
  std::string ClassName() const override { return "TImage"; }
  // Changes repaint the control, and resize it when AutoSize is on.
  TBitmap& Picture() { return picture_; }
  bool AutoSize = false;
  bool Stretch = false;
  bool Center = false;
  // The bottom-left pixel's colour shows what is behind.
  bool Transparent = false;

 protected:
  void Paint(TCanvas& canvas) override;

 private:
  void PictureChanged();
  TBitmap picture_;
};

enum class TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum class TBevelStyle { bsLowered, bsRaised };

class TBevel : public TGraphicControl {
 public:
  explicit TBevel(TComponent* owner);
  std::string ClassName() const override { return "TBevel"; }
  TBevelShape Shape() const { return shape_; }
  void SetShape(TBevelShape value);
  TBevelStyle Style() const { return style_; }
  void SetStyle(TBevelStyle value);

 protected:
  void Paint(TCanvas& canvas) override;

 private:
  TBevelShape shape_ = TBevelShape::bsBox;
  TBevelStyle style_ = TBevelStyle::bsLowered;
};

}  // namespace quillfen::vcl
