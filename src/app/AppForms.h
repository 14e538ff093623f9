// Builds a window of the program from its form description, kept as an
// RCDATA resource of the program, and wires the handler names the
// description gives to the window's methods.
#pragma once

#include <map>
#include <string>

#include "Forms.h"

namespace quillfen::app {

struct TFormHandlers {
  std::map<std::string, vcl::TNotifyEvent> Notify;  // OnCreate, OnClick, OnBtn1Click, ...
  std::map<std::string, vcl::TCloseQueryEvent> CloseQuery;
  std::map<std::string, vcl::TCloseEvent> Close;
};

// The resource is named after the form's class ("TFRMMAIN"). Exception
// (naming the line) when the description cannot be read or names a handler
// the window lacks.
void LoadFormFromResource(vcl::TCustomForm& form, const std::string& resource,
                          const TFormHandlers& handlers);
// The same from a description's text.
void LoadFormFromText(vcl::TCustomForm& form, const std::string& text, const TFormHandlers& handlers);

}  // namespace quillfen::app
