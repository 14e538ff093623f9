#include "FormLoader.h"

#include <cctype>
#include <vector>

namespace quillfen::vcl {

namespace {

bool IsEventName(const std::string& name) {
  return name.size() > 2 && (name[0] == 'O' || name[0] == 'o') && (name[1] == 'n' || name[1] == 'N') &&
         name.find('.') == std::string::npos;
}

class TLoader {
 public:
  TLoader(TComponent& root, const TFormLoadOptions& options)
      : root_(root),
        registry_(options.Registry ? *options.Registry : ClassRegistry()),
        options_(options) {}

  void Run(const TFormObject& description) {
    root_.BeginLoading();
    try {
      if (!registry_.Find(description.ClassName))
        throw EFormError(description.Line, "unknown class " + description.ClassName);
      Guard(description.Line, [&] { root_.SetName(description.Name); });
      ApplyProperties(root_, description);
      for (const TFormObject& child : description.Children) ReadChild(child, root_);
    } catch (...) {
      for (auto it = created_.rbegin(); it != created_.rend(); ++it) delete *it;
      root_.EndLoading();
      throw;
    }
    root_.EndLoading();
    for (TComponent* component : created_) component->EndLoading();
  }

 private:
  // Runs action, turning any failure into an error on line.
  template <typename F>
  static void Guard(int line, F&& action, const std::string& context = {}) {
    try {
      action();
    } catch (const EFormError&) {
      throw;
    } catch (const std::exception& e) {
      throw EFormError(line, context + e.what());
    }
  }

  void ReadChild(const TFormObject& description, TComponent& enclosing) {
    const int line = description.Line;
    if (!registry_.Find(description.ClassName))
      throw EFormError(line, "unknown class " + description.ClassName);
    const TComponentFactory create = registry_.FactoryOf(description.ClassName);
    if (!create) throw EFormError(line, "class " + description.ClassName + " cannot be created");
    if (root_.FindComponent(description.Name))
      throw EFormError(line, "a component named " + description.Name + " already exists");

    TComponent* component = nullptr;
    Guard(line, [&] { component = create(&root_); });
    if (!component) throw EFormError(line, "class " + description.ClassName + " cannot be created");
    created_.push_back(component);
    component->BeginLoading();
    if (component->Owner() != &root_) root_.InsertComponent(component);
    Guard(line, [&] { component->SetName(description.Name); });
    if (const TParentSetter attach = registry_.ParentSetterOf(description.ClassName))
      Guard(line, [&] { attach(*component, enclosing); }, description.Name + ": ");
    ApplyProperties(*component, description);
    for (const TFormObject& child : description.Children) ReadChild(child, *component);
  }

  void ApplyProperties(TComponent& component, const TFormObject& description) {
    for (const TFormProperty& p : description.Properties) {
      const std::string context = description.Name + "." + p.Name + ": ";
      const TPropInfo* info = registry_.FindProperty(description.ClassName, p.Name);
      if (!info && IsEventName(p.Name) && options_.BindEvent) {
        if (p.Value.Kind != TFormValueKind::Ident)
          throw EFormError(p.Line, context + "expected a handler name");
        Guard(p.Line, [&] { options_.BindEvent(component, p.Name, p.Value.Text); }, context);
        continue;
      }
      if (!info)
        throw EFormError(p.Line, "class " + description.ClassName + " has no property " + p.Name);
      Guard(p.Line, [&] { info->Set(component, p.Value); }, context);
    }
  }

  TComponent& root_;
  const TClassRegistry& registry_;
  const TFormLoadOptions& options_;
  std::vector<TComponent*> created_;
};

}  // namespace

void LoadForm(TComponent& root, const TFormObject& description, const TFormLoadOptions& options) {
  TLoader(root, options).Run(description);
}

void LoadForm(TComponent& root, std::string_view text, const TFormLoadOptions& options) {
  LoadForm(root, ReadFormText(text), options);
}

}  // namespace quillfen::vcl
