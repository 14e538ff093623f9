// TrmCustomEdit: a single-line edit that can ask its dialog for the Tab key.
#pragma once

#ifdef _WIN32
#include "StdCtrls.h"

namespace quillfen::widgets {

class TrmCustomEdit : public vcl::TCustomEdit {
 public:
  explicit TrmCustomEdit(vcl::TComponent* owner) : TCustomEdit(owner) {}
  std::string ClassName() const override { return "TrmCustomEdit"; }
  bool WantTabs = false;

 protected:
  void WndProc(vcl::TMessage& message) override;
};

}  // namespace quillfen::widgets
#endif
