#include "AppForms.h"

#include "FormClasses.h"
#include "FormLoader.h"
#include "Published.h"
#include "WidgetClasses.h"
#include "rmBtnEdit.h"

namespace quillfen::app {

using namespace quillfen::vcl;

namespace {

template <typename Map>
const typename Map::mapped_type& Handler(const Map& map, const std::string& name) {
  auto it = map.find(name);
  if (it == map.end()) throw Exception("the window has no handler " + name);
  return it->second;
}

void Bind(const TFormHandlers& handlers, TComponent& component, const std::string& event,
          const std::string& name) {
  auto* form = dynamic_cast<TCustomForm*>(&component);
  auto* edit = dynamic_cast<widgets::TrmCustomBtnEdit*>(&component);
  auto* control = dynamic_cast<TControl*>(&component);
  if (form && event == "OnCreate") form->OnCreate = Handler(handlers.Notify, name);
  else if (form && event == "OnShow") form->OnShow = Handler(handlers.Notify, name);
  else if (form && event == "OnCloseQuery") form->OnCloseQuery = Handler(handlers.CloseQuery, name);
  else if (form && event == "OnClose") form->OnClose = Handler(handlers.Close, name);
  else if (edit && event == "OnBtn1Click") edit->OnBtn1Click = Handler(handlers.Notify, name);
  else if (edit && event == "OnBtn2Click") edit->OnBtn2Click = Handler(handlers.Notify, name);
  else if (control && event == "OnClick") control->OnClick = Handler(handlers.Notify, name);
  else throw Exception(component.ClassName() + " has no event " + event);
}

}  // namespace

void LoadFormFromText(TCustomForm& form, const std::string& text, const TFormHandlers& handlers) {
  widgets::RegisterWidgetClasses();
  // The window's own class: a form description's root names it.
  if (!ClassRegistry().Find(form.ClassName())) RegisterFormBaseClass(form.ClassName(), "TForm", {});
  TFormLoadOptions options;
  options.BindEvent = [&handlers](TComponent& component, const std::string& event, const std::string& name) {
    Bind(handlers, component, event, name);
  };
  LoadForm(form, text, options);
}

void LoadFormFromResource(TCustomForm& form, const std::string& resource, const TFormHandlers& handlers) {
  LoadFormFromText(form, FormResourceText(::GetModuleHandleA(nullptr), resource), handlers);
}

}  // namespace quillfen::app
