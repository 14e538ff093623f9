// The framework's own classes in the form class registry, and form
// descriptions kept as program resources.
#pragma once

#include "WinApi.h"

#include <string>

#include "FormLoader.h"

namespace quillfen::vcl {

// The names a description may give a font's style bits and character set.
const TIdentMap& FontStyleIdents();
const TIdentMap& CharsetIdents();

// Registers TComponent, TControl, TWinControl, TForm and the standard
// controls; calling it again changes nothing.
void RegisterStandardClasses();

// The text of an RCDATA resource of the module; Exception when there is none.
std::string FormResourceText(HINSTANCE module, const std::string& name);

}  // namespace quillfen::vcl
