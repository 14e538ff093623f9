#include "FormLoader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace quillfen::vcl;

namespace {

std::vector<std::string>* gLog = nullptr;

// A stand-in for a control: records its setters with the loading state it saw.
class TFake : public TComponent {
 public:
  explicit TFake(TComponent* owner) : TComponent(owner) {}
  ~TFake() override {
    if (gLog) gLog->push_back("free " + Name());
  }
  std::string ClassName() const override { return "TFake"; }
  void SetWidth(int v) { Log("Width=" + std::to_string(v)); width = v; }
  void SetCaption(const std::string& v) { Log("Caption=" + v); caption = v; }
  void SetFlags(unsigned v) { flags = v; }
  void SetColor(TColor v) { color = v; }
  void SetLines(const std::vector<std::string>& v) { lines = v; }
  TFake* parent = nullptr;
  int width = 0;
  std::string caption;
  unsigned flags = 0;
  TColor color = 0;
  bool enabled = true;
  std::vector<std::string> lines;
  std::vector<std::pair<std::string, int>> panels;

 protected:
  void Loaded() override { Log("Loaded"); }

 private:
  void Log(const std::string& what) {
    if (gLog) gLog->push_back(Name() + (IsLoading() ? " loading " : " ") + what);
  }
};

class TFakeDialog : public TComponent {
 public:
  explicit TFakeDialog(TComponent* owner) : TComponent(owner) {}
};

TClassRegistry MakeRegistry() {
  TClassRegistry r;
  const TIdentMap flags = {{"fA", 1}, {"fB", 2}, {"fC", 4}};
  RegisterFormBaseClass("TComponent", "", {IntProp<TComponent>("Tag", [](TComponent& c, int v) { c.Tag = v; })}, {}, r);
  RegisterFormClass<TFake>(
      "TFake", "TComponent",
      {IntProp<TFake>("Width", &TFake::SetWidth),
       StringProp<TFake>("Caption", &TFake::SetCaption),
       SetProp<TFake>("Flags", &TFake::SetFlags, flags, 1 | 4),
       ColorProp<TFake>("Color", &TFake::SetColor, clBtnFace),
       BoolProp<TFake>("Enabled", [](TFake& f, bool v) { f.enabled = v; }, true),
       StringsProp<TFake>("Lines", &TFake::SetLines),
       CollectionProp<TFake>("Panels",
                             [](TFake& f, const std::vector<TFormItem>& items) {
                               for (const TFormItem& item : items) {
                                 std::pair<std::string, int> panel{"", 50};
                                 ApplyItemProperties(item, {
                                     {"Text", [&](const TFormValue& v) { panel.first = ValueToString(v); }},
                                     {"Width", [&](const TFormValue& v) { panel.second = ValueToInt(v); }}});
                                 f.panels.push_back(panel);
                               }
                             })},
      [](TComponent& child, TComponent& enclosing) {
        auto* parent = dynamic_cast<TFake*>(&enclosing);
        if (!parent) throw Exception(enclosing.Name() + " cannot hold controls");
        ComponentAs<TFake>(child).parent = parent;
      },
      r);
  RegisterFormClass<TFake>("TFakeForm", "TFake", {}, {}, r);
  RegisterFormClass<TFakeDialog>("TFakeDialog", "TComponent", {}, [](TComponent&, TComponent&) {}, r);
  return r;
}

const char* kForm =
    "object frmTest: TFakeForm\n"
    "  Caption = 'Test'\n"
    "  Width = 100\n"
    "  object grp: TFake\n"
    "    Width = 50\n"
    "    object inner: TFake\n"
    "      Caption = 'in'\n"
    "      Flags = [fB, fC]\n"
    "      Color = clHighlight\n"
    "      Enabled = false\n"
    "      Lines = ( 'a' 'b' )\n"
    "      Panels = < item Text = 'p' Width = 359 end item end >\n"
    "    end\n"
    "  end\n"
    "  object dlg: TFakeDialog\n"
    "    Tag = 999\n"
    "  end\n"
    "end\n";

}  // namespace

TEST(FormLoader, CreatesOwnsParentsAndCallsLoadedAfterTheWholeTree) {
  const TClassRegistry registry = MakeRegistry();
  std::vector<std::string> log;
  gLog = &log;
  {
    TFake form(nullptr);
    LoadForm(form, kForm, {&registry, {}});
    EXPECT_EQ(form.Name(), "frmTest");
    ASSERT_EQ(form.ComponentCount(), 3);
    auto& grp = FindFormComponent<TFake>(form, "grp");
    auto& inner = FindFormComponent<TFake>(form, "INNER");
    EXPECT_EQ(inner.Owner(), &form);  // the form owns even nested components
    EXPECT_EQ(grp.parent, &form);
    EXPECT_EQ(inner.parent, &grp);
    EXPECT_EQ(inner.flags, 6u);
    EXPECT_EQ(inner.color, clHighlight);
    EXPECT_FALSE(inner.enabled);
    EXPECT_EQ(inner.lines, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(inner.panels, (std::vector<std::pair<std::string, int>>{{"p", 359}, {"", 50}}));
    EXPECT_EQ(form.Components(2)->Tag, 999);
    EXPECT_FALSE(inner.IsLoading());
    EXPECT_THROW(FindFormComponent<TFake>(form, "dlg"), Exception);
    EXPECT_EQ(log, (std::vector<std::string>{
                       "frmTest loading Caption=Test", "frmTest loading Width=100",
                       "grp loading Width=50", "inner loading Caption=in", "frmTest Loaded",
                       "grp Loaded", "inner Loaded"}));
  }
  gLog = nullptr;
}

TEST(FormLoader, TablesKeepDeclarationOrderAndStreamDefaults) {
  const TClassRegistry registry = MakeRegistry();
  std::vector<std::string> names;
  for (const TPropInfo* p : registry.Properties("tfakeform")) names.push_back(p->Name);
  EXPECT_EQ(names, (std::vector<std::string>{"Tag", "Width", "Caption", "Flags", "Color", "Enabled",
                                             "Lines", "Panels"}));
  const TPropInfo* flags = registry.FindProperty("TFakeForm", "flags");
  ASSERT_NE(flags, nullptr);
  EXPECT_EQ(flags->Default.Names, (std::vector<std::string>{"fA", "fC"}));
  EXPECT_EQ(registry.FindProperty("TFake", "Color")->Default.Text, "clBtnFace");
  EXPECT_EQ(registry.FindProperty("TFake", "Enabled")->Default.Text, "True");
  EXPECT_TRUE(registry.InheritsFrom("TFakeForm", "TComponent"));
  EXPECT_FALSE(registry.FactoryOf("TComponent"));
  TClassRegistry other;
  EXPECT_THROW(RegisterFormClass<TFake>("TOrphan", "TMissing", {}, {}, other), Exception);
}

TEST(FormLoader, BadDescriptionsNameTheLineAndLeaveNothingBehind) {
  const TClassRegistry registry = MakeRegistry();
  struct Case {
    std::string text;
    int line;
    const char* words;
  };
  const std::string head = "object f: TFakeForm\n  object a: TFake\n  end\n";
  const Case cases[] = {
      {head + "  object b: TNope\n  end\nend", 4, "unknown class TNope"},
      {head + "  object b: TComponent\n  end\nend", 4, "cannot be created"},
      {head + "  object A: TFake\n  end\nend", 4, "already exists"},
      {head + "  object b: TFake\n    Size = 1\n  end\nend", 5, "has no property Size"},
      {head + "  object b: TFake\n    Width = 'x'\n  end\nend", 5, "b.Width: expected an integer"},
      {head + "  object b: TFake\n    Width = 4294967296\n  end\nend", 5, "out of range"},
      {head + "  object b: TFake\n    Enabled = Maybe\n  end\nend", 5, "unknown value Maybe"},
      {head + "  object b: TFake\n    Flags = [fA, fZ]\n  end\nend", 5, "unknown value fZ"},
      {head + "  object b: TFake\n    Color = clPlaid\n  end\nend", 5, "unknown value clPlaid"},
      {head + "  object b: TFake\n    Panels = <\n item\n Size = 1\n end >\n  end\nend", 7,
       "unknown item property Size"},
      {head + "  object b: TFake\n    Panels = < item\n Width = True end >\n  end\nend", 6,
       "expected an integer"},
      {head + "  object d: TFakeDialog\n    object b: TFake\n    end\n  end\nend", 5,
       "d cannot hold controls"},
      {head + "  object b: TFake\n    OnClick = bClick\n  end\nend", 5, "no property OnClick"},
      {head + "  object b: TFake\n    Tag = 1\n  end\n", 7, "no 'end'"},
      {"object f: TUnknownForm\nend", 1, "unknown class"},
  };
  for (const Case& c : cases) {
    TFake form(nullptr);
    try {
      LoadForm(form, c.text, {&registry, {}});
      ADD_FAILURE() << "loaded: " << c.text;
    } catch (const EFormError& e) {
      EXPECT_EQ(e.Line(), c.line) << c.text;
      EXPECT_NE(e.Message().find(c.words), std::string::npos) << c.text << "\n -> " << e.Message();
    }
    EXPECT_EQ(form.ComponentCount(), 0) << c.text;
    EXPECT_FALSE(form.IsLoading());
  }
}

TEST(FormLoader, EventsGoToTheBinderByHandlerName) {
  const TClassRegistry registry = MakeRegistry();
  std::vector<std::string> bound;
  TFormLoadOptions options{&registry, [&](TComponent& c, const std::string& event, const std::string& handler) {
                             bound.push_back(c.Name() + "." + event + "=" + handler);
                           }};
  TFake form(nullptr);
  LoadForm(form,
           "object f: TFakeForm\n OnCreate = FormCreate\n object b: TFake\n  OnClick = bClick\n end\nend",
           options);
  EXPECT_EQ(bound, (std::vector<std::string>{"f.OnCreate=FormCreate", "b.OnClick=bClick"}));
  TFake other(nullptr);
  EXPECT_THROW(LoadForm(other, "object f: TFakeForm\n OnCreate = 'x'\nend", options), EFormError);
}
