// The gauge settings of the main window, shared by the gauge tests.
#pragma once

#include "rmGauge.h"

namespace quillfen::testing {

inline widgets::TGaugeState ProgramGauge(int percent) {
  widgets::TGaugeState s;
  s.Border = widgets::gbNone;
  s.Shape = widgets::gsHorzRect;
  s.GradientFill = true;
  s.Percent = percent;
  s.FillColor = vcl::clBlack;
  s.GradientColor = vcl::clBlue;
  s.MedianColor = vcl::clNavy;
  return s;
}

}  // namespace quillfen::testing
