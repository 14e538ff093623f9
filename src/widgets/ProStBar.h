// TProStatusBar: the framework's status bar that holds child controls (the
// main window's gauge sits on it and moves with it).
#pragma once

#ifdef _WIN32

#include "ComCtrls.h"

namespace quillfen::widgets {

class TProStatusBar : public vcl::TStatusBar {
 public:
  explicit TProStatusBar(vcl::TComponent* owner);
  std::string ClassName() const override { return "TProStatusBar"; }
};

}  // namespace quillfen::widgets

#endif
