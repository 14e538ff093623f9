#ifdef _WIN32

#include "WidgetClasses.h"

#include "ExtCtrls.h"
#include "FormClasses.h"
#include "ProDlgs.h"
#include "ProStBar.h"
#include "ProUrl.h"
#include "Published.h"
#include "rmBrowseFor.h"
#include "rmBtnEdit.h"
#include "XPMenu.h"
#include "rmGauge.h"

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

// A picture stored as the bytes of a BMP file; an empty block clears it.
void LoadPicture(TBitmap& picture, const std::vector<std::uint8_t>& bytes, const std::string& what) {
  if (bytes.empty()) {
    picture.SetHandle(nullptr);
    return;
  }
  if (!picture.LoadFromBmpData(bytes.data(), bytes.size()))
    throw Exception(what + " is not a bitmap this program can show");
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
      {StringProp<TProUrlImage>("URL", [](TProUrlImage& i, const std::string& v) { i.URL = v; })});
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
      {BoolProp<TrmCustomBtnEdit>("WantTabs", [](TrmCustomBtnEdit& e, bool v) { e.WantTabs = v; }, false),
       BoolProp<TrmCustomBtnEdit>("EditorEnabled", &TrmCustomBtnEdit::SetEditorEnabled, true),
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
  RegisterFormClass<TProInfoDialog>("TProInfoDialog", "TProCommonDialog", {});
  RegisterFormClass<TProStopDialog>("TProStopDialog", "TProCommonDialog", {});
  RegisterFormClass<TProQuestionDialog>("TProQuestionDialog", "TProCommonDialog", {});
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
