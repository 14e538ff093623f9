// TrmGauge: a percentage from 0 to 100 drawn in one of six shapes, in one
// colour or as a gradient of up to one hundred steps.
//
// The painting and the property rules are portable (TGaugeState, PaintGauge,
// TGaugeProperties); the control itself is a Win32 graphic control.
#pragma once

#include "Canvas.h"
#include "Classes.h"
#include "Colors.h"

#ifdef _WIN32
#include "Controls.h"
#endif

namespace quillfen::widgets {

using vcl::TCanvas;
using vcl::TColor;

enum TGaugeShape { gsTriangle, gsVertRect, gsHorzRect, gsEllipse, gsArc, gsPole };
enum TGaugeBorder { gbNone, gbSingle, gbRaised, gbLowered };

struct TGaugeState {
  TGaugeBorder Border = gbSingle;
  TGaugeShape Shape = gsVertRect;
  bool GradientFill = false;
  int Percent = 0;
  TColor FillColor = vcl::clLime;
  TColor GradientColor = vcl::clRed;
  TColor MedianColor = vcl::clYellow;
  bool UseMedianColor = false;
};

struct TBorderColors {
  TColor TopLeft;
  TColor BottomRight;
};

TBorderColors GetBorderColors(TGaugeBorder border);

// Colour of gradient step index (1..100), an RGB value; ERangeError outside.
TColor GetGradientColor(const TGaugeState& state, int index);
// Colour of step index (1..count) from `from` to `to`; ERangeError outside.
TColor GetStepColor(TColor from, TColor to, int index, int count);

// Paints the gauge of width x height at the canvas origin: the shape is drawn
// into an off-screen buffer, which is copied in one block and freed, also
// when drawing fails.
void PaintGauge(TCanvas& canvas, int width, int height, const TGaugeState& state);

// What a property change asks of the control.
enum class TGaugeUpdate { None, Invalidate, PaintNow, PaintNowAndNotify };

// The stored properties and their setter rules.
class TGaugeProperties {
 public:
  const TGaugeState& State() const { return state_; }
  TGaugeUpdate SetBorder(TGaugeBorder value);
  TGaugeUpdate SetShape(TGaugeShape value);
  TGaugeUpdate SetGradientFill(bool value);
  // Out of 0..100 or unchanged: ignored. Otherwise stored, painted at once,
  // then OnChange.
  TGaugeUpdate SetPercent(int value);
  TGaugeUpdate SetFillColor(TColor value);
  TGaugeUpdate SetGradientColor(TColor value);
  TGaugeUpdate SetMedianColor(TColor value);
  TGaugeUpdate SetUseMedianColor(bool value);

 private:
  template <typename T>
  static TGaugeUpdate Store(T& field, T value, TGaugeUpdate update);
  TGaugeState state_;
};

#ifdef _WIN32

class TrmGauge : public vcl::TGraphicControl {
 public:
  explicit TrmGauge(vcl::TComponent* owner);
  std::string ClassName() const override { return "TrmGauge"; }

  TGaugeBorder Border() const { return props_.State().Border; }
  void SetBorder(TGaugeBorder value) { Apply(props_.SetBorder(value)); }
  TGaugeShape Shape() const { return props_.State().Shape; }
  void SetShape(TGaugeShape value) { Apply(props_.SetShape(value)); }
  bool GradientFill() const { return props_.State().GradientFill; }
  void SetGradientFill(bool value) { Apply(props_.SetGradientFill(value)); }
  int Percent() const { return props_.State().Percent; }
  void SetPercent(int value) { Apply(props_.SetPercent(value)); }
  TColor FillColor() const { return props_.State().FillColor; }
  void SetFillColor(TColor value) { Apply(props_.SetFillColor(value)); }
  TColor GradientColor() const { return props_.State().GradientColor; }
  void SetGradientColor(TColor value) { Apply(props_.SetGradientColor(value)); }
  TColor MedianColor() const { return props_.State().MedianColor; }
  void SetMedianColor(TColor value) { Apply(props_.SetMedianColor(value)); }
  bool UseMedianColor() const { return props_.State().UseMedianColor; }
  void SetUseMedianColor(bool value) { Apply(props_.SetUseMedianColor(value)); }
  vcl::TNotifyEvent OnChange;

  TColor GetGradientColor(int index) const { return widgets::GetGradientColor(props_.State(), index); }

 protected:
  void Paint(TCanvas& canvas) override;

 private:
  void Apply(TGaugeUpdate update);
  TGaugeProperties props_;
};

#endif

}  // namespace quillfen::widgets
