#include "Published.h"

#include <algorithm>
#include <cctype>
#include <limits>

namespace quillfen::vcl {

namespace {

bool SameText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

[[noreturn]] void WrongKind(const TFormValue& value, const char* expected) {
  throw Exception(std::string("expected ") + expected + ", found " + FormValueKindName(value.Kind));
}

const TIdentMap kBooleans = {{"False", 0}, {"True", 1}};

}  // namespace

bool TClassRegistry::TNoCase::operator()(const std::string& a, const std::string& b) const {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const int x = std::tolower(static_cast<unsigned char>(a[i]));
    const int y = std::tolower(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

void TClassRegistry::Register(TClassInfo info) {
  if (info.ClassName.empty()) throw Exception("A registered class needs a name");
  if (!info.ParentName.empty() && !Find(info.ParentName))
    throw Exception("Register " + info.ParentName + " before " + info.ClassName);
  const std::string name = info.ClassName;
  classes_[name] = std::move(info);
}

const TClassInfo* TClassRegistry::Find(const std::string& className) const {
  auto it = classes_.find(className);
  return it == classes_.end() ? nullptr : &it->second;
}

const TPropInfo* TClassRegistry::FindProperty(const std::string& className,
                                              const std::string& name) const {
  // Parents are registered first, so a chain cannot loop; the bound guards a re-registration.
  const TClassInfo* info = Find(className);
  for (size_t hops = 0; info && hops <= classes_.size(); ++hops) {
    for (const TPropInfo& p : info->Properties)
      if (SameText(p.Name, name)) return &p;
    info = info->ParentName.empty() ? nullptr : Find(info->ParentName);
  }
  return nullptr;
}

std::vector<const TPropInfo*> TClassRegistry::Properties(const std::string& className) const {
  std::vector<const TClassInfo*> chain;
  const TClassInfo* info = Find(className);
  for (size_t hops = 0; info && hops <= classes_.size(); ++hops) {
    chain.push_back(info);
    info = info->ParentName.empty() ? nullptr : Find(info->ParentName);
  }
  std::vector<const TPropInfo*> result;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it)
    for (const TPropInfo& p : (*it)->Properties) result.push_back(&p);
  return result;
}

TComponentFactory TClassRegistry::FactoryOf(const std::string& className) const {
  const TClassInfo* info = Find(className);
  return info ? info->Create : TComponentFactory{};
}

TParentSetter TClassRegistry::ParentSetterOf(const std::string& className) const {
  const TClassInfo* info = Find(className);
  for (size_t hops = 0; info && hops <= classes_.size(); ++hops) {
    if (info->SetParent) return info->SetParent;
    info = info->ParentName.empty() ? nullptr : Find(info->ParentName);
  }
  return {};
}

bool TClassRegistry::InheritsFrom(const std::string& className, const std::string& ancestor) const {
  const TClassInfo* info = Find(className);
  for (size_t hops = 0; info && hops <= classes_.size(); ++hops) {
    if (SameText(info->ClassName, ancestor)) return true;
    info = info->ParentName.empty() ? nullptr : Find(info->ParentName);
  }
  return false;
}

TClassRegistry& ClassRegistry() {
  static TClassRegistry registry;
  return registry;
}

int ValueToInt(const TFormValue& value) {
  if (value.Kind != TFormValueKind::Integer) WrongKind(value, "an integer");
  if (value.Integer < std::numeric_limits<int>::min() || value.Integer > std::numeric_limits<int>::max())
    throw Exception("integer " + std::to_string(value.Integer) + " out of range");
  return static_cast<int>(value.Integer);
}

bool ValueToBool(const TFormValue& value) {
  if (value.Kind != TFormValueKind::Ident) WrongKind(value, "True or False");
  return ValueToIdent(value, kBooleans) != 0;
}

int ValueToIdent(const TFormValue& value, const TIdentMap& names) {
  if (value.Kind != TFormValueKind::Ident) WrongKind(value, "an identifier");
  for (const auto& [name, number] : names)
    if (SameText(name, value.Text)) return number;
  std::string known;
  for (const auto& entry : names) known += (known.empty() ? "" : ", ") + entry.first;
  throw Exception("unknown value " + value.Text + " (expected one of " + known + ")");
}

unsigned ValueToSet(const TFormValue& value, const TIdentMap& bits) {
  if (value.Kind != TFormValueKind::Set) WrongKind(value, "a set");
  unsigned result = 0;
  for (const std::string& member : value.Names)
    result |= static_cast<unsigned>(ValueToIdent(IdentValue(member), bits));
  return result;
}

const std::string& ValueToString(const TFormValue& value) {
  if (value.Kind != TFormValueKind::String) WrongKind(value, "a string");
  return value.Text;
}

const std::vector<std::string>& ValueToStrings(const TFormValue& value) {
  if (value.Kind != TFormValueKind::List) WrongKind(value, "a string list");
  return value.Names;
}

const std::vector<std::uint8_t>& ValueToBytes(const TFormValue& value) {
  if (value.Kind != TFormValueKind::Binary) WrongKind(value, "binary data");
  return value.Bytes;
}

const std::vector<TFormItem>& ValueToItems(const TFormValue& value) {
  if (value.Kind != TFormValueKind::Collection) WrongKind(value, "a collection");
  return value.Items;
}

const TIdentMap& ColorNames() {
  static const TIdentMap names = {
      {"clBlack", clBlack}, {"clMaroon", clMaroon}, {"clGreen", clGreen},
      {"clOlive", clOlive}, {"clNavy", clNavy}, {"clPurple", clPurple},
      {"clTeal", clTeal}, {"clGray", clGray}, {"clSilver", clSilver},
      {"clRed", clRed}, {"clLime", clLime}, {"clYellow", clYellow},
      {"clBlue", clBlue}, {"clFuchsia", clFuchsia}, {"clAqua", clAqua},
      {"clWhite", clWhite}, {"clMoneyGreen", clMoneyGreen}, {"clSkyBlue", clSkyBlue},
      {"clCream", clCream}, {"clMedGray", clMedGray}, {"clLtGray", clLtGray},
      {"clDkGray", clDkGray}, {"clNone", clNone}, {"clDefault", clDefault},
      {"clScrollBar", clScrollBar}, {"clBackground", clBackground},
      {"clActiveCaption", clActiveCaption}, {"clInactiveCaption", clInactiveCaption},
      {"clMenu", clMenu}, {"clWindow", clWindow}, {"clWindowFrame", clWindowFrame},
      {"clMenuText", clMenuText}, {"clWindowText", clWindowText},
      {"clCaptionText", clCaptionText}, {"clActiveBorder", clActiveBorder},
      {"clInactiveBorder", clInactiveBorder}, {"clAppWorkSpace", clAppWorkSpace},
      {"clHighlight", clHighlight}, {"clHighlightText", clHighlightText},
      {"clBtnFace", clBtnFace}, {"clBtnShadow", clBtnShadow}, {"clGrayText", clGrayText},
      {"clBtnText", clBtnText}, {"clInactiveCaptionText", clInactiveCaptionText},
      {"clBtnHighlight", clBtnHighlight}, {"cl3DDkShadow", cl3DDkShadow},
      {"cl3DLight", cl3DLight}, {"clInfoText", clInfoText}, {"clInfoBk", clInfoBk},
      {"clHotLight", clHotLight}, {"clGradientActiveCaption", clGradientActiveCaption},
      {"clGradientInactiveCaption", clGradientInactiveCaption},
      {"clMenuHighlight", clMenuHighlight}, {"clMenuBar", clMenuBar},
  };
  return names;
}

TColor ValueToColor(const TFormValue& value) {
  if (value.Kind == TFormValueKind::Ident) return ValueToIdent(value, ColorNames());
  if (value.Kind != TFormValueKind::Integer) WrongKind(value, "a colour");
  // Stored either signed or as the unsigned 32-bit pattern of a system colour.
  if (value.Integer < std::numeric_limits<std::int32_t>::min() ||
      value.Integer > std::numeric_limits<std::uint32_t>::max())
    throw Exception("colour " + std::to_string(value.Integer) + " out of range");
  return static_cast<TColor>(static_cast<std::uint32_t>(value.Integer));
}

TFormValue IntegerValue(std::int64_t v) {
  TFormValue value;
  value.Kind = TFormValueKind::Integer;
  value.Integer = v;
  return value;
}

TFormValue IdentValue(const std::string& name) {
  TFormValue value;
  value.Kind = TFormValueKind::Ident;
  value.Text = name;
  return value;
}

TFormValue StringValue(const std::string& text) {
  TFormValue value;
  value.Kind = TFormValueKind::String;
  value.Text = text;
  return value;
}

std::string IdentName(const TIdentMap& names, int value) {
  for (const auto& [name, number] : names)
    if (number == value) return name;
  return std::to_string(value);
}

void ApplyItemProperties(
    const TFormItem& item,
    const std::map<std::string, std::function<void(const TFormValue&)>>& setters) {
  for (const TFormProperty& p : item.Properties) {
    const std::function<void(const TFormValue&)>* setter = nullptr;
    for (const auto& [name, set] : setters)
      if (SameText(name, p.Name)) setter = &set;
    if (!setter) throw EFormError(p.Line, "unknown item property " + p.Name);
    try {
      (*setter)(p.Value);
    } catch (const EFormError&) {
      throw;
    } catch (const std::exception& e) {
      throw EFormError(p.Line, "item property " + p.Name + ": " + e.what());
    }
  }
}

}  // namespace quillfen::vcl
