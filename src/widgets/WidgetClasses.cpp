#ifdef _WIN32

#include "WidgetClasses.h"

#include "ExtCtrls.h"
#include "FormClasses.h"
#include "ProCtrls.h"
#include "ProDlgs.h"
#include "ProStBar.h"
#include "ProUrl.h"
#include "Published.h"
#include "rmBrowseFor.h"
#include "rmBtnEdit.h"
#include "XPMenu.h"
#include "rmGauge.h"
#include "rmSpeedBtns.h"

namespace quillfen::widgets {

namespace {

using namespace quillfen::vcl;

const TIdentMap kGaugeShapes = {{"gsTriangle", gsTriangle}, {"gsVertRect", gsVertRect},
                                {"gsHorzRect", gsHorzRect}, {"gsEllipse", gsEllipse},
                                {"gsArc", gsArc},           {"gsPole", gsPole}};
const TIdentMap kGaugeBorders = {
    {"gbNone", gbNone}, {"gbSingle", gbSingle}, {"gbRaised", gbRaised}, {"gbLowered", gbLowered}};
const TIdentMap kSoundTypes = {{"stNoSound", stNoSound},         {"stStandart", stStandart},
                               {"stAsterisk", stAsterisk},       {"stExclamation", stExclamation},
                               {"stSystemHand", stSystemHand},   {"stQuestion", stQuestion},
                               {"stDefault", stDefault}};
const TIdentMap kLanguages = {
    {"dlEnglish", dlEnglish}, {"dlRussian", dlRussian},   {"dlUkranian", dlUkranian},
    {"dlFrench", dlFrench},   {"dlPortuguese", dlPortuguese}, {"dlSpanish", dlSpanish},
    {"dlGerman", dlGerman},   {"dlDanish", dlDanish},     {"dlItalian", dlItalian},
    {"dlSwedish", dlSwedish}, {"dlDutch", dlDutch},       {"dlPolish", dlPolish},
    {"dlHungarian", dlHungarian}, {"dlTurkish", dlTurkish}, {"dlSlovak", dlSlovak},
    {"dlKorean", dlKorean}};
const TIdentMap kBrowseTypes = {{"bftFolders", bftFolders}, {"bftPrinters", bftPrinters},
                                {"bftComputers", bftComputers}, {"bftFileorFolders", bftFileorFolders}};
const TIdentMap kBrowseRoots = {{"bfrDesktop", bfrDesktop}, {"bfrMyComputer", bfrMyComputer},
                                {"bfrNetworkNeighborhood", bfrNetworkNeighborhood},
                                {"bfrPrinters", bfrPrinters}};

const TIdentMap kAlignments = {{"taLeftJustify", 0}, {"taRightJustify", 1}, {"taCenter", 2}};
const TIdentMap kVerticalAlignments = {{"vaTop", vaTop}, {"vaCenter", vaCenter}, {"vaBottom", vaBottom}};
const TIdentMap kDirections = {{"drNone", drNone},         {"drUp", drUp},
                               {"drDown", drDown},         {"drLeft", drLeft},
                               {"drRight", drRight},       {"drUpLeft", drUpLeft},
                               {"drUpRight", drUpRight},   {"drDownLeft", drDownLeft},
                               {"drDownRight", drDownRight}};
const TIdentMap kShadowStyles = {
    {"ssNone", ssNone},           {"ssCustom", ssCustom},
    {"ssRaised", ssRaised},       {"ssRaisedColor", ssRaisedColor},
    {"ssRaisedShadow", ssRaisedShadow}, {"ssRaisedThickShadow", ssRaisedThickShadow},
    {"ssRecessed", ssRecessed},   {"ssRecessedColor", ssRecessedColor},
    {"ssRecessedShadow", ssRecessedShadow}, {"ssShadow", ssShadow},
    {"ssThickShadow", ssThickShadow}};
const TIdentMap kButtonLayouts = {{"blGlyphLeft", blGlyphLeft}, {"blGlyphRight", blGlyphRight},
                                  {"blGlyphTop", blGlyphTop}, {"blGlyphBottom", blGlyphBottom}};
const TIdentMap kSpeedButtonStyles = {
    {"sbsNormal", sbsNormal}, {"sbsComboButton", sbsComboButton}, {"sbsMenu", sbsMenu}};
const TIdentMap kBiDiModes = {{"bdLeftToRight", 0}, {"bdRightToLeft", 1},
                              {"bdRightToLeftNoAlign", 2}, {"bdRightToLeftReadingOnly", 3}};
// The cursors a form may name; any other is stored as its number (15000 and up for ours).
const TIdentMap kCursors = {{"crDefault", crDefault}, {"crArrow", crArrow},
                            {"crIBeam", crIBeam},     {"crHourGlass", crHourGlass},
                            {"crDrag", crDrag},       {"crHandPoint", crHandPoint}};

// pbkCustom, pbkOk, then each role's neutral kind and its fifteen languages.
TIdentMap ButtonKindNames() {
  static const char* const roles[] = {"Cancel", "Help",  "Yes",   "No",   "Close", "Abort", "Retry",
                                      "Ignore", "All",   "Done",  "Prev", "Next",  "Finish"};
  static const char* const languages[] = {"",    "Rus", "Ukr", "Fr",  "Por", "Esp", "Ger", "Dan",
                                          "Ita", "Swe", "Dut", "Pol", "Hun", "Tur", "Slk", "Kor"};
  TIdentMap names = {{"pbkCustom", pbkCustom}, {"pbkOk", pbkOk}};
  int kind = pbkCancel;
  for (const char* role : roles)
    for (const char* language : languages) names.push_back({std::string("pbk") + role + language, kind++});
  return names;
}

// A number, or one of the names above.
TCursor ValueToCursor(const TFormValue& value) {
  if (value.Kind == TFormValueKind::Integer) return ValueToInt(value);
  return ValueToIdent(value, kCursors);
}

// A picture stored as the bytes of a BMP file; an empty block clears it.
void LoadPicture(TBitmap& picture, const std::vector<std::uint8_t>& bytes, const std::string& what) {
  if (bytes.empty()) {
    picture.SetHandle(nullptr);
    return;
  }
  if (!picture.LoadFromBmpData(bytes.data(), bytes.size()))
    throw Exception(what + " is not a bitmap this program can show");
}

// Caption, message, alignments of one message dialog kind, in their stream order.
template <typename D>
std::vector<TPropInfo> MessageProperties(const char* messageName, std::string D::*message) {
  return {StringProp<D>("Caption", [](D& d, const std::string& v) { d.Caption = v; }),
          StringProp<D>(messageName, [message](D& d, const std::string& v) { d.*message = v; }),
          EnumProp<D, TAlignment>(
              "Alignment", [](D& d, TAlignment v) { d.Alignment = v; }, kAlignments, TAlignment::taLeftJustify),
          EnumProp<D, TVerticalAlignment>(
              "VerticalAlignment", [](D& d, TVerticalAlignment v) { d.VerticalAlignment = v; },
              kVerticalAlignments, vaCenter)};
}

std::vector<TPropInfo> DialogProperties() {
  return {
      EnumProp<TProCommonDialog, TDialogLanguage>(
          "Language", [](TProCommonDialog& d, TDialogLanguage v) { d.Language = v; }, kLanguages, dlEnglish),
      EnumProp<TProCommonDialog, TSoundType>(
          "SoundType", [](TProCommonDialog& d, TSoundType v) { d.SoundType = v; }, kSoundTypes, stNoSound),
      IntProp<TProCommonDialog>("HelpContext", [](TProCommonDialog& d, int v) { d.HelpContext = v; }),
      EnumProp<TProCommonDialog, TFontCharset>(
          "Font.Charset", [](TProCommonDialog& d, TFontCharset v) { d.Font().SetCharset(v); }, CharsetIdents(),
          TFontCharset::Default),
      ColorProp<TProCommonDialog>("Font.Color", [](TProCommonDialog& d, TColor v) { d.Font().SetColor(v); },
                                  clWindowText),
      IntProp<TProCommonDialog>("Font.Height", [](TProCommonDialog& d, int v) { d.Font().SetHeight(v); }, -11),
      StringProp<TProCommonDialog>(
          "Font.Name", [](TProCommonDialog& d, const std::string& v) { d.Font().SetName(v); }, "MS Sans Serif"),
      SetProp<TProCommonDialog>("Font.Style", [](TProCommonDialog& d, unsigned v) { d.Font().SetStyle(v); },
                                FontStyleIdents(), 0),
      BoolProp<TProCommonDialog>("ParentFont", [](TProCommonDialog& d, bool v) { d.ParentFont = v; }, true)};
}

}  // namespace

void RegisterWidgetClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterStandardClasses();
  RegisterXPMenuClass();

  RegisterFormClass<TImage>(
      "TImage", "TControl",
      {BoolProp<TImage>("AutoSize", [](TImage& i, bool v) { i.AutoSize = v; }, false),
       BoolProp<TImage>("Center", [](TImage& i, bool v) { i.Center = v; }, false),
       BinaryProp<TImage>("Picture.Data",
                          [](TImage& i, const std::vector<std::uint8_t>& v) {
                            LoadPicture(i.Picture(), v, "Picture.Data");
                          }),
       BoolProp<TImage>("Stretch", [](TImage& i, bool v) { i.Stretch = v; }, false),
       BoolProp<TImage>("Transparent", [](TImage& i, bool v) { i.Transparent = v; }, false)});
  RegisterFormClass<TProUrlImage>(
      "TProUrlImage", "TImage",
      {{"Cursor", TPropType::Integer, IntegerValue(crProHandPoint),
        [](TComponent& c, const TFormValue& v) { ComponentAs<TProUrlImage>(c).SetCursor(ValueToCursor(v)); }},
       StringProp<TProUrlImage>("URL", [](TProUrlImage& i, const std::string& v) { i.URL = v; })});
  RegisterFormClass<TProLabel>(
      "TProLabel", "TLabel",
      {IntProp<TProCustomLabel>("Angle", &TProCustomLabel::SetAngle),
       // Another name for VerticalAlignment, never stored itself.
       EnumProp<TProCustomLabel, TTextLayout>("Layout", &TProCustomLabel::SetLayout,
                                              {{"tlTop", 0}, {"tlCenter", 1}, {"tlBottom", 2}},
                                              TTextLayout::tlTop),
       IntProp<TProCustomLabel>("OffsetX", &TProCustomLabel::SetOffsetX),
       IntProp<TProCustomLabel>("OffsetY", &TProCustomLabel::SetOffsetY),
       EnumProp<TProCustomLabel, TVerticalAlignment>("VerticalAlignment", &TProCustomLabel::SetVerticalAlignment,
                                                     kVerticalAlignments, vaTop),
       EnumProp<TProCustomLabel, TShadowStyle>("ShadowStyle", &TProCustomLabel::SetShadowStyle, kShadowStyles,
                                               ssNone),
       EnumProp<TProCustomLabel, TDirection>("HighlightDirection", &TProCustomLabel::SetHighlightDirection,
                                             kDirections, drNone),
       EnumProp<TProCustomLabel, TDirection>("ShadowDirection", &TProCustomLabel::SetShadowDirection,
                                             kDirections, drNone),
       IntProp<TProCustomLabel>("HighlightDepth", &TProCustomLabel::SetHighlightDepth),
       ColorProp<TProCustomLabel>("HighlightColor", &TProCustomLabel::SetHighlightColor, clBtnHighlight),
       IntProp<TProCustomLabel>("ShadowDepth", &TProCustomLabel::SetShadowDepth),
       IntProp<TProCustomLabel>("ShadowSize", &TProCustomLabel::SetShadowSize),
       ColorProp<TProCustomLabel>("ShadowColor", &TProCustomLabel::SetShadowColor, clBtnShadow)});
  RegisterFormClass<TProButton>(
      "TProButton", "TButton",
      {EnumProp<TProButton, TProButtonKind>("Kind", &TProButton::SetKind, ButtonKindNames(), pbkCustom)});
  RegisterFormClass<TrmSpeedButton>(
      "TrmSpeedButton", "TControl",
      {BoolProp<TrmCustomSpeedButton>("AllowAllUp", &TrmCustomSpeedButton::SetAllowAllUp, false),
       EnumProp<TrmCustomSpeedButton, TBiDiMode>("BiDiMode", &TrmCustomSpeedButton::SetBiDiMode, kBiDiModes,
                                                TBiDiMode::bdLeftToRight),
       IntProp<TrmCustomSpeedButton>("GroupIndex", &TrmCustomSpeedButton::SetGroupIndex, 0),
       BoolProp<TrmCustomSpeedButton>("Down", &TrmCustomSpeedButton::SetDown, false),
       BoolProp<TrmCustomSpeedButton>("Flat", &TrmCustomSpeedButton::SetFlat, false),
       BinaryProp<TrmCustomSpeedButton>("Glyph.Data",
                                        [](TrmCustomSpeedButton& b, const std::vector<std::uint8_t>& v) {
                                          TBitmap glyph;
                                          LoadPicture(glyph, v, "Glyph.Data");
                                          b.SetGlyph(glyph);
                                        }),
       EnumProp<TrmCustomSpeedButton, TButtonLayout>("Layout", &TrmCustomSpeedButton::SetLayout, kButtonLayouts,
                                                     blGlyphLeft),
       IntProp<TrmCustomSpeedButton>("Margin", &TrmCustomSpeedButton::SetMargin, -1),
       IntProp<TrmCustomSpeedButton>("MenuButtonWidth", &TrmCustomSpeedButton::SetMenuButtonWidth, 11),
       IntProp<TrmCustomSpeedButton>("NumGlyphs", &TrmCustomSpeedButton::SetNumGlyphs, 1),
       BoolProp<TrmCustomSpeedButton>("ParentBiDiMode", &TrmCustomSpeedButton::SetParentBiDiMode, true),
       IntProp<TrmCustomSpeedButton>("Spacing", &TrmCustomSpeedButton::SetSpacing, 4),
       EnumProp<TrmCustomSpeedButton, TrmSpeedButtonStyle>("Style", &TrmCustomSpeedButton::SetStyle,
                                                           kSpeedButtonStyles, sbsNormal),
       BoolProp<TrmCustomSpeedButton>("Transparent", &TrmCustomSpeedButton::SetTransparent, true)});
  RegisterFormClass<TProStatusBar>("TProStatusBar", "TStatusBar", {});
  RegisterFormClass<TrmGauge>(
      "TrmGauge", "TControl",
      {EnumProp<TrmGauge, TGaugeBorder>("Border", &TrmGauge::SetBorder, kGaugeBorders, gbSingle),
       EnumProp<TrmGauge, TGaugeShape>("Shape", &TrmGauge::SetShape, kGaugeShapes, gsVertRect),
       BoolProp<TrmGauge>("GradientFill", &TrmGauge::SetGradientFill, false),
       IntProp<TrmGauge>("Percent", &TrmGauge::SetPercent, 0),
       ColorProp<TrmGauge>("FillColor", &TrmGauge::SetFillColor, clLime),
       ColorProp<TrmGauge>("GradientColor", &TrmGauge::SetGradientColor, clRed),
       ColorProp<TrmGauge>("MedianColor", &TrmGauge::SetMedianColor, clYellow),
       BoolProp<TrmGauge>("UseMedianColor", &TrmGauge::SetUseMedianColor, false)});
  RegisterFormClass<TrmBtnEdit>(
      "TrmBtnEdit", "TEdit",
      {BoolProp<TrmCustomBtnEdit>("EditorEnabled", &TrmCustomBtnEdit::SetEditorEnabled, true),
       IntProp<TrmCustomBtnEdit>("BtnWidth", &TrmCustomBtnEdit::SetBtnWidth, 16),
       BinaryProp<TrmCustomBtnEdit>("Btn1Glyph.Data",
                                    [](TrmCustomBtnEdit& e, const std::vector<std::uint8_t>& v) {
                                      TBitmap glyph;
                                      LoadPicture(glyph, v, "Btn1Glyph.Data");
                                      e.SetBtn1Glyph(glyph);
                                    }),
       IntProp<TrmCustomBtnEdit>("Btn1NumGlyphs", &TrmCustomBtnEdit::SetBtn1NumGlyphs, 1),
       BoolProp<TrmCustomBtnEdit>("Btn1Visible", &TrmCustomBtnEdit::SetBtn1Visible, true),
       BoolProp<TrmCustomBtnEdit>("Btn1Enabled", &TrmCustomBtnEdit::SetBtn1Enabled, true),
       BinaryProp<TrmCustomBtnEdit>("Btn2Glyph.Data",
                                    [](TrmCustomBtnEdit& e, const std::vector<std::uint8_t>& v) {
                                      TBitmap glyph;
                                      LoadPicture(glyph, v, "Btn2Glyph.Data");
                                      e.SetBtn2Glyph(glyph);
                                    }),
       IntProp<TrmCustomBtnEdit>("Btn2NumGlyphs", &TrmCustomBtnEdit::SetBtn2NumGlyphs, 1),
       BoolProp<TrmCustomBtnEdit>("Btn2Visible", &TrmCustomBtnEdit::SetBtn2Visible, false),
       BoolProp<TrmCustomBtnEdit>("Btn2Enabled", &TrmCustomBtnEdit::SetBtn2Enabled, true)});
  RegisterFormBaseClass("TProCommonDialog", "TComponent", DialogProperties());
  RegisterFormClass<TProInfoDialog>("TProInfoDialog", "TProCommonDialog",
                                    MessageProperties<TProInfoDialog>("InfoMessage", &TProInfoDialog::InfoMessage));
  RegisterFormClass<TProStopDialog>("TProStopDialog", "TProCommonDialog",
                                    MessageProperties<TProStopDialog>("StopMessage", &TProStopDialog::StopMessage));
  RegisterFormClass<TProQuestionDialog>("TProQuestionDialog", "TProCommonDialog",
                                        MessageProperties<TProQuestionDialog>("QuestionMessage", &TProQuestionDialog::QuestionMessage));
  RegisterFormClass<TrmBrowseForFolder>(
      "TrmBrowseForFolder", "TComponent",
      {EnumProp<TrmBrowseForFolder, TbfType>(
           "BrowseForType", [](TrmBrowseForFolder& b, TbfType v) { b.BrowseForType = v; }, kBrowseTypes,
           bftFolders),
       EnumProp<TrmBrowseForFolder, TbfRoot>(
           "RootNode", [](TrmBrowseForFolder& b, TbfRoot v) { b.RootNode = v; }, kBrowseRoots, bfrDesktop),
       StringProp<TrmBrowseForFolder>("Title", [](TrmBrowseForFolder& b, const std::string& v) { b.Title = v; })});
}

}  // namespace quillfen::widgets

#endif
