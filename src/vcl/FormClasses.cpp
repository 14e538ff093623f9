#include "FormClasses.h"

#include "ComCtrls.h"
#include "Dialogs.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "StdCtrls.h"

namespace quillfen::vcl {

namespace {

const TIdentMap kFormBorderStyles = {
    {"bsNone", 0}, {"bsSingle", 1}, {"bsSizeable", 2}, {"bsDialog", 3}, {"bsToolWindow", 4},
    {"bsSizeToolWin", 5}};
const TIdentMap kBorderIcons = {
    {"biSystemMenu", biSystemMenu}, {"biMinimize", biMinimize}, {"biMaximize", biMaximize},
    {"biHelp", biHelp}};
const TIdentMap kPositions = {
    {"poDesigned", 0}, {"poDefault", 1}, {"poScreenCenter", 2}, {"poDesktopCenter", 3},
    {"poMainFormCenter", 4}};
const TIdentMap kBorderStyles = {{"bsNone", 0}, {"bsSingle", 1}};
const TIdentMap kAligns = {{"alNone", 0}, {"alTop", 1}, {"alBottom", 2}, {"alLeft", 3},
                           {"alRight", 4}, {"alClient", 5}};
const TIdentMap kAlignments = {{"taLeftJustify", 0}, {"taRightJustify", 1}, {"taCenter", 2}};
const TIdentMap kLayouts = {{"tlTop", 0}, {"tlCenter", 1}, {"tlBottom", 2}};
const TIdentMap kScrollStyles = {{"ssNone", 0}, {"ssHorizontal", 1}, {"ssVertical", 2}, {"ssBoth", 3}};
const TIdentMap kCheckStates = {{"cbUnchecked", 0}, {"cbChecked", 1}, {"cbGrayed", 2}};
const TIdentMap kFontStyles = {{"fsBold", fsBold}, {"fsItalic", fsItalic},
                               {"fsUnderline", fsUnderline}, {"fsStrikeOut", fsStrikeOut}};
const TIdentMap kCharsets = {{"ANSI_CHARSET", 0}, {"DEFAULT_CHARSET", 1}, {"SYMBOL_CHARSET", 2}};
const TIdentMap kBevelShapes = {{"bsBox", 0}, {"bsFrame", 1}, {"bsTopLine", 2}, {"bsBottomLine", 3},
                                {"bsLeftLine", 4}, {"bsRightLine", 5}, {"bsSpacer", 6}};
const TIdentMap kBevelStyles = {{"bsLowered", 0}, {"bsRaised", 1}};
const TIdentMap kOpenOptions = {{"ofOverwritePrompt", ofOverwritePrompt}, {"ofHideReadOnly", ofHideReadOnly},
                                 {"ofPathMustExist", ofPathMustExist}, {"ofNoChangeDir", ofNoChangeDir}};
const TIdentMap kModalResults = {
    {"mrNone", mrNone}, {"mrOk", mrOk}, {"mrCancel", mrCancel}, {"mrAbort", mrAbort},
    {"mrRetry", mrRetry}, {"mrIgnore", mrIgnore}, {"mrYes", mrYes}, {"mrNo", mrNo},
    {"mrAll", mrAll}, {"mrNoToAll", mrNoToAll}, {"mrYesToAll", mrYesToAll}};

// A charset is stored by name or as its number.
TFontCharset ValueToCharset(const TFormValue& value) {
  if (value.Kind == TFormValueKind::Integer) {
    const int n = ValueToInt(value);
    if (n < 0 || n > 2) throw Exception("unsupported character set " + std::to_string(n));
    return static_cast<TFontCharset>(n);
  }
  return static_cast<TFontCharset>(ValueToIdent(value, kCharsets));
}

// The Font.* properties that every control and the form publish.
std::vector<TPropInfo> FontProperties() {
  return {
      {"Font.Charset", TPropType::Enum, IdentValue("DEFAULT_CHARSET"),
       [](TComponent& c, const TFormValue& v) {
         ComponentAs<TControl>(c).Font().SetCharset(ValueToCharset(v));
       }},
      ColorProp<TControl>("Font.Color", [](TControl& c, TColor v) { c.Font().SetColor(v); },
                          clWindowText),
      IntProp<TControl>("Font.Height", [](TControl& c, int v) { c.Font().SetHeight(v); }, -11),
      StringProp<TControl>("Font.Name", [](TControl& c, const std::string& v) { c.Font().SetName(v); },
                           "MS Sans Serif"),
      SetProp<TControl>("Font.Style", [](TControl& c, unsigned v) { c.Font().SetStyle(v); },
                        kFontStyles, 0),
  };
}

// SetClientSize(0, 0) leaves the outer size equal to the frame, which holds
// before the window exists too.
TPoint FrameSize(TCustomForm& form) {
  const int width = form.Width(), height = form.Height();
  form.SetClientSize(0, 0);
  const TPoint frame{form.Width(), form.Height()};
  form.SetBounds(form.Left(), form.Top(), width, height);
  return frame;
}

void SetClientWidth(TCustomForm& form, int value) {
  const TPoint frame = FrameSize(form);
  form.SetClientSize(value, form.Height() - frame.Y);
}

void SetClientHeight(TCustomForm& form, int value) {
  const TPoint frame = FrameSize(form);
  form.SetClientSize(form.Width() - frame.X, value);
}

void AttachControl(TComponent& child, TComponent& enclosing) {
  auto* parent = dynamic_cast<TWinControl*>(&enclosing);
  if (!parent) throw Exception(enclosing.Name() + " cannot hold controls");
  ComponentAs<TControl>(child).SetParent(parent);
}

std::vector<TPropInfo> Join(std::vector<TPropInfo> a, std::vector<TPropInfo> b) {
  for (auto& p : b) a.push_back(std::move(p));
  return a;
}

}  // namespace

const TIdentMap& FontStyleIdents() { return kFontStyles; }
const TIdentMap& CharsetIdents() { return kCharsets; }

void RegisterStandardClasses() {
  static bool done = false;
  if (done) return;
  done = true;

  RegisterFormBaseClass("TComponent", "", {IntProp<TComponent>("Tag", [](TComponent& c, int v) { c.Tag = v; })});
  RegisterFormBaseClass(
      "TControl", "TComponent",
      Join({IntProp<TControl>("Left", &TControl::SetLeft),
            IntProp<TControl>("Top", &TControl::SetTop),
            IntProp<TControl>("Width", &TControl::SetWidth),
            IntProp<TControl>("Height", &TControl::SetHeight),
            EnumProp<TControl, TAlign>("Align", &TControl::SetAlign, kAligns, TAlign::alNone),
            StringProp<TControl>("Caption", &TControl::SetCaption),
            StringProp<TControl>("Text", &TControl::SetText),
            ColorProp<TControl>("Color", &TControl::SetColor, clWindow),
            BoolProp<TControl>("Ctl3D", &TControl::SetCtl3D, true),
            BoolProp<TControl>("Enabled", &TControl::SetEnabled, true)},
           Join(FontProperties(),
                {BoolProp<TControl>("ParentColor", &TControl::SetParentColor, false),
                 BoolProp<TControl>("ParentCtl3D", &TControl::SetParentCtl3D, true),
                 BoolProp<TControl>("ParentFont", &TControl::SetParentFont, true),
                 IntProp<TControl>("HelpContext", [](TControl& c, int v) { c.HelpContext = v; }),
                 BoolProp<TControl>("Visible", &TControl::SetVisible, true)})),
      AttachControl);
  RegisterFormBaseClass("TWinControl", "TControl",
                        {IntProp<TWinControl>("TabOrder", &TWinControl::SetTabOrder, -1),
                         BoolProp<TWinControl>("TabStop", &TWinControl::SetTabStop, false)});

  RegisterFormClass<TForm>(
      "TForm", "TWinControl",
      {SetProp<TCustomForm>("BorderIcons", &TCustomForm::SetBorderIcons, kBorderIcons,
                            biSystemMenu | biMinimize | biMaximize),
       EnumProp<TCustomForm, TFormBorderStyle>("BorderStyle", &TCustomForm::SetBorderStyle,
                                               kFormBorderStyles, TFormBorderStyle::bsSizeable),
       IntProp<TCustomForm>("ClientHeight", SetClientHeight),
       IntProp<TCustomForm>("ClientWidth", SetClientWidth),
       IntProp<TCustomForm>("PixelsPerInch", [](TCustomForm& f, int v) { f.PixelsPerInch = v; }, 96),
       EnumProp<TCustomForm, TPosition>("Position", [](TCustomForm& f, TPosition v) { f.Position = v; },
                                        kPositions, TPosition::poDesigned),
       IntProp<TCustomForm>("TextHeight", [](TCustomForm& f, int v) { f.TextHeight = v; }, 13)},
      {});
  RegisterFormClass<TButton>(
      "TButton", "TWinControl",
      {BoolProp<TButton>("Cancel", &TButton::SetCancel, false),
       BoolProp<TButton>("Default", &TButton::SetDefault, false),
       // Stored by name or as a number.
       {"ModalResult", TPropType::Enum, IdentValue("mrNone"),
        [](TComponent& c, const TFormValue& v) {
          ComponentAs<TButton>(c).SetModalResult(
              v.Kind == TFormValueKind::Integer ? ValueToInt(v) : ValueToIdent(v, kModalResults));
        }}});
  RegisterFormClass<TCheckBox>(
      "TCheckBox", "TWinControl",
      {BoolProp<TCheckBox>("Checked", &TCheckBox::SetChecked, false),
       EnumProp<TCheckBox, TCheckBoxState>("State", &TCheckBox::SetState, kCheckStates,
                                           TCheckBoxState::cbUnchecked)});
  RegisterFormClass<TGroupBox>("TGroupBox", "TWinControl", {});
  const std::vector<TPropInfo> editProperties = {
      BoolProp<TCustomEdit>("AutoSelect", [](TCustomEdit& e, bool v) { e.AutoSelect = v; }, true),
      EnumProp<TCustomEdit, TBorderStyle>("BorderStyle", &TCustomEdit::SetBorderStyle, kBorderStyles,
                                          TBorderStyle::bsSingle),
      IntProp<TCustomEdit>("MaxLength", &TCustomEdit::SetMaxLength),
      BoolProp<TCustomEdit>("ReadOnly", &TCustomEdit::SetReadOnly, false)};
  RegisterFormClass<TEdit>("TEdit", "TWinControl", editProperties);
  RegisterFormClass<TMemo>(
      "TMemo", "TWinControl",
      Join(editProperties,
           {StringsProp<TCustomMemo>("Lines", &TCustomMemo::SetLines),
            EnumProp<TCustomMemo, TScrollStyle>("ScrollBars",
                                                [](TCustomMemo& m, TScrollStyle v) { m.ScrollBars = v; },
                                                kScrollStyles, TScrollStyle::ssNone),
            BoolProp<TCustomMemo>("WantReturns", [](TCustomMemo& m, bool v) { m.WantReturns = v; }, true),
            BoolProp<TCustomMemo>("WordWrap", [](TCustomMemo& m, bool v) { m.WordWrap = v; }, true)}));
  RegisterFormClass<TListBox>(
      "TListBox", "TWinControl",
      {EnumProp<TListBox, TBorderStyle>("BorderStyle", &TListBox::SetBorderStyle, kBorderStyles,
                                        TBorderStyle::bsSingle),
       BoolProp<TListBox>("ExtendedSelect", [](TListBox& l, bool v) { l.ExtendedSelect = v; }, true),
       IntProp<TListBox>("ItemHeight", &TListBox::SetItemHeight, 13),
       StringsProp<TListBox>("Items", &TListBox::SetItems),
       BoolProp<TListBox>("MultiSelect", &TListBox::SetMultiSelect, false)});
  RegisterFormClass<TLabel>(
      "TLabel", "TControl",
      {EnumProp<TCustomLabel, TAlignment>("Alignment", &TCustomLabel::SetAlignment, kAlignments,
                                          TAlignment::taLeftJustify),
       BoolProp<TCustomLabel>("AutoSize", &TCustomLabel::SetAutoSize, true),
       EnumProp<TCustomLabel, TTextLayout>("Layout", &TCustomLabel::SetLayout, kLayouts, TTextLayout::tlTop),
       BoolProp<TCustomLabel>("ShowAccelChar", &TCustomLabel::SetShowAccelChar, true),
       BoolProp<TCustomLabel>("Transparent", &TCustomLabel::SetTransparent, false),
       BoolProp<TCustomLabel>("WordWrap", &TCustomLabel::SetWordWrap, false)});
  RegisterFormClass<TStatusBar>(
      "TStatusBar", "TWinControl",
      {CollectionProp<TStatusBar>("Panels",
                                  [](TStatusBar& bar, const std::vector<TFormItem>& items) {
                                    for (const TFormItem& item : items) {
                                      TStatusPanel panel;
                                      ApplyItemProperties(item, {
                                          {"Text", [&](const TFormValue& v) { panel.Text = ValueToString(v); }},
                                          {"Width", [&](const TFormValue& v) { panel.Width = ValueToInt(v); }}});
                                      bar.AddPanel(panel.Text, panel.Width);
                                    }
                                  }),
       BoolProp<TStatusBar>("SimplePanel", &TStatusBar::SetSimplePanel, false),
       StringProp<TStatusBar>("SimpleText", &TStatusBar::SetSimpleText),
       BoolProp<TStatusBar>("SizeGrip", [](TStatusBar& s, bool v) { s.SizeGrip = v; }, true)});
  RegisterFormClass<TBevel>(
      "TBevel", "TControl",
      {EnumProp<TBevel, TBevelShape>("Shape", &TBevel::SetShape, kBevelShapes, TBevelShape::bsBox),
       EnumProp<TBevel, TBevelStyle>("Style", &TBevel::SetStyle, kBevelStyles, TBevelStyle::bsLowered)});
  RegisterFormClass<TSaveDialog>(
      "TSaveDialog", "TComponent",
      {StringProp<TSaveDialog>("DefaultExt", [](TSaveDialog& d, const std::string& v) { d.DefaultExt = v; }),
       StringProp<TSaveDialog>("FileName", [](TSaveDialog& d, const std::string& v) { d.FileName = v; }),
       StringProp<TSaveDialog>("Filter", [](TSaveDialog& d, const std::string& v) { d.Filter = v; }),
       IntProp<TSaveDialog>("FilterIndex", [](TSaveDialog& d, int v) { d.FilterIndex = v; }, 1),
       StringProp<TSaveDialog>("InitialDir", [](TSaveDialog& d, const std::string& v) { d.InitialDir = v; }),
       SetProp<TSaveDialog>("Options", [](TSaveDialog& d, unsigned v) { d.Options = v; }, kOpenOptions,
                            ofHideReadOnly),
       StringProp<TSaveDialog>("Title", [](TSaveDialog& d, const std::string& v) { d.Title = v; })});
}

std::string FormResourceText(HINSTANCE module, const std::string& name) {
  HRSRC info = ::FindResourceA(module, name.c_str(), MAKEINTRESOURCEA(10));  // RT_RCDATA
  HGLOBAL data = info ? ::LoadResource(module, info) : nullptr;
  const void* bytes = data ? ::LockResource(data) : nullptr;
  if (!bytes) throw Exception("The program has no form description " + name);
  return std::string(static_cast<const char*>(bytes), ::SizeofResource(module, info));
}

}  // namespace quillfen::vcl
