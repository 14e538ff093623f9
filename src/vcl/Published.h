// Published properties and the class registry: what a form description may
// say about each class, in declaration order, and how to create the class by
// name. Setters go through the classes' public setters; a value of the wrong
// kind or out of range raises Exception, which the loader reports with the line.
//
// A class registers in one statement (see RegisterStandardClasses for the framework's):
//
//   RegisterFormClass<TProStatusBar>("TProStatusBar", "TWinControl", {
//       BoolProp<TProStatusBar>("SimplePanel", &TProStatusBar::SetSimplePanel, false)});
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "Classes.h"
#include "Colors.h"
#include "FormReader.h"

namespace quillfen::vcl {

enum class TPropType { Integer, Boolean, Enum, Set, String, Strings, Color, Binary, Collection };

using TPropSetter = std::function<void(TComponent& component, const TFormValue& value)>;

struct TPropInfo {
  std::string Name;  // may be dotted: Font.Name
  TPropType Type = TPropType::Integer;
  // The value a description leaves out because the class starts with it.
  TFormValue Default;
  TPropSetter Set;
};

// Identifier names of an enumeration or of the bits of a set, matched without regard to case.
using TIdentMap = std::vector<std::pair<std::string, int>>;

// Attaches a created component to the object it is nested in (a control to its parent).
using TParentSetter = std::function<void(TComponent& child, TComponent& enclosing)>;
using TComponentFactory = std::function<TComponent*(TComponent* owner)>;

struct TClassInfo {
  std::string ClassName;
  std::string ParentName;       // empty for a root class
  TComponentFactory Create;     // empty for classes that are only bases
  TParentSetter SetParent;      // inherited when empty
  std::vector<TPropInfo> Properties;  // own ones, in declaration order
};

class TClassRegistry {
 public:
  // Replaces an earlier registration of the same name; the parent must be registered first.
  void Register(TClassInfo info);
  const TClassInfo* Find(const std::string& className) const;
  // The property of that name on the class or its ancestors, nearest first.
  const TPropInfo* FindProperty(const std::string& className, const std::string& name) const;
  // Own properties after the ancestors', each ancestor's in declaration order.
  std::vector<const TPropInfo*> Properties(const std::string& className) const;
  TComponentFactory FactoryOf(const std::string& className) const;
  TParentSetter ParentSetterOf(const std::string& className) const;
  bool InheritsFrom(const std::string& className, const std::string& ancestor) const;

 private:
  struct TNoCase {
    bool operator()(const std::string& a, const std::string& b) const;
  };
  std::map<std::string, TClassInfo, TNoCase> classes_;
};

// The registry the loader reads by default.
TClassRegistry& ClassRegistry();

// Conversions used by the property builders; each raises Exception on a bad value.
int ValueToInt(const TFormValue& value);
bool ValueToBool(const TFormValue& value);
int ValueToIdent(const TFormValue& value, const TIdentMap& names);
unsigned ValueToSet(const TFormValue& value, const TIdentMap& bits);
const std::string& ValueToString(const TFormValue& value);
const std::vector<std::string>& ValueToStrings(const TFormValue& value);
const std::vector<std::uint8_t>& ValueToBytes(const TFormValue& value);
const std::vector<TFormItem>& ValueToItems(const TFormValue& value);
// An integer, or a colour name: clBtnFace, clBlack, ...
TColor ValueToColor(const TFormValue& value);
const TIdentMap& ColorNames();

TFormValue IntegerValue(std::int64_t v);
TFormValue IdentValue(const std::string& name);
TFormValue StringValue(const std::string& text);
// The name of value in names, or its number when it has none.
std::string IdentName(const TIdentMap& names, int value);

// The component as T, or Exception when the class does not match the table.
template <typename T>
T& ComponentAs(TComponent& component) {
  auto* typed = dynamic_cast<T*>(&component);
  if (!typed) throw Exception(component.ClassName() + " does not have this property");
  return *typed;
}

template <typename T>
TPropInfo IntProp(std::string name, std::function<void(T&, int)> set, int def = 0) {
  return {std::move(name), TPropType::Integer, IntegerValue(def),
          [set](TComponent& c, const TFormValue& v) { set(ComponentAs<T>(c), ValueToInt(v)); }};
}

template <typename T>
TPropInfo BoolProp(std::string name, std::function<void(T&, bool)> set, bool def) {
  return {std::move(name), TPropType::Boolean, IdentValue(def ? "True" : "False"),
          [set](TComponent& c, const TFormValue& v) { set(ComponentAs<T>(c), ValueToBool(v)); }};
}

template <typename T>
TPropInfo StringProp(std::string name, std::function<void(T&, const std::string&)> set,
                     const std::string& def = {}) {
  return {std::move(name), TPropType::String, StringValue(def),
          [set](TComponent& c, const TFormValue& v) { set(ComponentAs<T>(c), ValueToString(v)); }};
}

template <typename T>
TPropInfo StringsProp(std::string name, std::function<void(T&, const std::vector<std::string>&)> set) {
  TFormValue empty;
  empty.Kind = TFormValueKind::List;
  return {std::move(name), TPropType::Strings, empty,
          [set](TComponent& c, const TFormValue& v) { set(ComponentAs<T>(c), ValueToStrings(v)); }};
}

template <typename T>
TPropInfo ColorProp(std::string name, std::function<void(T&, TColor)> set, TColor def) {
  return {std::move(name), TPropType::Color, IdentValue(IdentName(ColorNames(), def)),
          [set](TComponent& c, const TFormValue& v) { set(ComponentAs<T>(c), ValueToColor(v)); }};
}

template <typename T, typename E>
TPropInfo EnumProp(std::string name, std::function<void(T&, std::type_identity_t<E>)> set, const TIdentMap& names, E def) {
  return {std::move(name), TPropType::Enum, IdentValue(IdentName(names, static_cast<int>(def))),
          [set, names](TComponent& c, const TFormValue& v) {
            set(ComponentAs<T>(c), static_cast<E>(ValueToIdent(v, names)));
          }};
}

template <typename T>
TPropInfo SetProp(std::string name, std::function<void(T&, unsigned)> set, const TIdentMap& bits,
                  unsigned def) {
  TFormValue defaults;
  defaults.Kind = TFormValueKind::Set;
  for (const auto& [member, bit] : bits)
    if (def & static_cast<unsigned>(bit)) defaults.Names.push_back(member);
  return {std::move(name), TPropType::Set, defaults,
          [set, bits](TComponent& c, const TFormValue& v) { set(ComponentAs<T>(c), ValueToSet(v, bits)); }};
}

template <typename T>
TPropInfo BinaryProp(std::string name, std::function<void(T&, const std::vector<std::uint8_t>&)> set) {
  TFormValue empty;
  empty.Kind = TFormValueKind::Binary;
  return {std::move(name), TPropType::Binary, empty,
          [set](TComponent& c, const TFormValue& v) { set(ComponentAs<T>(c), ValueToBytes(v)); }};
}

template <typename T>
TPropInfo CollectionProp(std::string name, std::function<void(T&, const std::vector<TFormItem>&)> set) {
  TFormValue empty;
  empty.Kind = TFormValueKind::Collection;
  return {std::move(name), TPropType::Collection, empty,
          [set](TComponent& c, const TFormValue& v) { set(ComponentAs<T>(c), ValueToItems(v)); }};
}

// Reads the properties of one collection item through a table of its own;
// an unknown name raises Exception with the item property's line.
void ApplyItemProperties(const TFormItem& item, const std::map<std::string, std::function<void(const TFormValue&)>>& setters);

template <typename T>
void RegisterFormClass(const std::string& className, const std::string& parentName,
                   std::vector<TPropInfo> properties, TParentSetter setParent = {},
                   TClassRegistry& registry = ClassRegistry()) {
  TComponentFactory create;
  if constexpr (std::is_constructible_v<T, TComponent*>)
    create = [](TComponent* owner) -> TComponent* { return new T(owner); };
  registry.Register({className, parentName, std::move(create), std::move(setParent), std::move(properties)});
}

// A class that only lends its properties to descendants; descriptions cannot create it.
inline void RegisterFormBaseClass(const std::string& className, const std::string& parentName,
                              std::vector<TPropInfo> properties, TParentSetter setParent = {},
                              TClassRegistry& registry = ClassRegistry()) {
  registry.Register({className, parentName, {}, std::move(setParent), std::move(properties)});
}

}  // namespace quillfen::vcl
