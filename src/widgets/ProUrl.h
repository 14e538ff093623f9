// TProUrlImage: a picture that opens a web address when clicked.
#pragma once

#ifdef _WIN32

#include <string>

#include "ExtCtrls.h"
#include "ProVCL.h"

namespace quillfen::widgets {

// Asks the shell to "open" url with owner as the parent window; the result is
// not checked. Replaceable, so that tests see the call without a browser.
using TShellOpenFunction = void (*)(HWND owner, const std::string& url);
// Installs fn (null: the real shell) and answers the one it replaces.
TShellOpenFunction SetShellOpenFunction(TShellOpenFunction fn);

class TProUrlImage : public vcl::TImage {
 public:
  explicit TProUrlImage(vcl::TComponent* owner);
  std::string ClassName() const override { return "TProUrlImage"; }

  std::string URL;
  // OnClick first, then the shell opens URL when there is one.
  void Click() override;
};

}  // namespace quillfen::widgets

#endif
