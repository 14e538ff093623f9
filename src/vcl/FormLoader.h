// Builds a component tree from a form description: the root object describes
// an existing component (the form), each nested object is created by class
// name, owned by the root, attached to the object it is nested in, named, and
// given its properties in stream order while in its loading state. Loaded()
// runs on every one of them after the whole tree is read.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "Classes.h"
#include "FormReader.h"
#include "Published.h"

namespace quillfen::vcl {

struct TFormLoadOptions {
  const TClassRegistry* Registry = nullptr;  // null: ClassRegistry()
  // Receives "On..." properties the class table does not list (handler names
  // are identifiers); without it they are errors.
  std::function<void(TComponent& component, const std::string& event, const std::string& handler)>
      BindEvent;
};

// On failure (EFormError naming the line) the components created so far are
// freed again and the root leaves its loading state.
void LoadForm(TComponent& root, const TFormObject& description, const TFormLoadOptions& options = {});
void LoadForm(TComponent& root, std::string_view text, const TFormLoadOptions& options = {});

// The component of that name owned by the form, as T; Exception when missing or of another class.
template <typename T>
T& FindFormComponent(const TComponent& form, const std::string& name) {
  auto* found = dynamic_cast<T*>(form.FindComponent(name));
  if (!found) throw Exception(form.Name() + " has no component " + name + " of the expected class");
  return *found;
}

}  // namespace quillfen::vcl
