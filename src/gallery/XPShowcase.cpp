#include "XPShowcase.h"

namespace quillfen::gallery {

using namespace vcl;
using namespace widgets;

namespace {

template <typename T>
T* Place(TForm* form, TWinControl* parent, int left, int top, int width, int height,
         const std::string& caption = {}) {
  auto* control = new T(form);
  control->SetParent(parent);
  control->SetBounds(left, top, width, height);
  if (!caption.empty()) control->SetCaption(caption);
  return control;
}

TMenuItem* Item(TForm* form, TMenuItem* parent, const std::string& caption, TShortCut shortCut = 0) {
  auto* item = new TMenuItem(form);
  item->SetCaption(caption);
  item->SetShortCut(shortCut);
  parent->Add(item);
  return item;
}

// Four 16 x 16 pictures drawn here: a page, a folder, a disk and a star, on magenta.
void DrawImages(TImageList& list) {
  TBitmap strip(64, 16);
  TGdiCanvas& c = strip.Canvas();
  c.Brush.Color = clFuchsia;
  c.FillRect({0, 0, 64, 16});
  c.Pen.Color = clBlack;
  c.Brush.Color = clWhite;
  c.Rectangle(3, 1, 13, 15);
  c.Brush.Color = RGBColor(240, 200, 80);
  c.Rectangle(17, 4, 31, 14);
  c.Rectangle(17, 2, 23, 5);
  c.Brush.Color = RGBColor(40, 80, 170);
  c.Rectangle(34, 1, 47, 15);
  c.Brush.Color = clSilver;
  c.Rectangle(37, 2, 44, 7);
  c.Brush.Color = clYellow;
  c.Polygon({{56, 1}, {59, 6}, {63, 7}, {60, 10}, {61, 15}, {56, 12}, {51, 15}, {52, 10}, {49, 7}, {53, 6}});
  list.AddMasked(strip, clFuchsia);
}

void FillColumn(TXPShowcase& s, int column, TGroupBox* group) {
  TForm* form = s.Form;
  s.Buttons[column] = Place<TButton>(form, group, 12, 24, 90, 25, column ? "Exempt" : "Skinned");
  s.CheckBoxes[column] = Place<TCheckBox>(form, group, 12, 56, 110, 17, "Check box");
  s.CheckBoxes[column]->SetChecked(true);
  s.Radios[column] = Place<TRadioButton>(form, group, 12, 78, 110, 17, "Radio button");
  s.Radios[column]->SetChecked(true);
  s.Edits[column] = Place<TEdit>(form, group, 12, 102, 200, 21);
  s.Edits[column]->SetText("An edit");
  s.Combos[column] = Place<TComboBox>(form, group, 12, 130, 200, 21);
  s.Combos[column]->SetItems({"First", "Second", "Third"});
  s.Combos[column]->SetItemIndex(0);
  s.Memos[column] = Place<TMemo>(form, group, 12, 158, 200, 60);
  s.Memos[column]->SetLines({"A memo with", "two lines"});
}

}  // namespace

TXPShowcase BuildXPShowcase(TForm* form) {
  TXPShowcase s;
  s.Form = form;
  form->SetCaption("XP look");
  form->SetClientSize(520, 420);

  s.Images = new TImageList(form);
  DrawImages(*s.Images);
  s.MainMenu = new TMainMenu(form);
  s.MainMenu->SetImages(s.Images);
  TMenuItem* file = Item(form, s.MainMenu->Items(), "&File");
  s.FileMenu = file;
  Item(form, file, "&New", scCtrl | 'N')->SetImageIndex(0);
  Item(form, file, "&Open...", scCtrl | 'O')->SetImageIndex(1);
  Item(form, file, "&Save", scCtrl | 'S')->SetImageIndex(2);
  TMenuItem* recent = Item(form, file, "&Recent");
  Item(form, recent, "First project");
  Item(form, recent, "Second project")->SetImageIndex(3);
  Item(form, file, "-");
  Item(form, file, "E&xit")->SetDefault(true);
  TMenuItem* view = Item(form, s.MainMenu->Items(), "&View");
  Item(form, view, "&Tool bar")->SetChecked(true);
  TMenuItem* radio = Item(form, view, "&Large icons");
  radio->SetRadioItem(true);
  radio->SetChecked(true);
  Item(form, view, "&Disabled")->SetEnabled(false);
  TMenuItem* plain = Item(form, view, "Own drawing (Tag 999)");
  plain->Tag = NoSkinTag;
  s.MainMenu->AttachTo(form);

  s.PopupMenu = new TPopupMenu(form);
  Item(form, s.PopupMenu->Items(), "Cu&t", scCtrl | 'X');
  Item(form, s.PopupMenu->Items(), "&Copy", scCtrl | 'C')->SetImageIndex(0);
  Item(form, s.PopupMenu->Items(), "-");
  Item(form, s.PopupMenu->Items(), "&Favourite")->SetChecked(true);
  s.PopupMenu->SetImages(s.Images);

  s.ToolBar = Place<TToolBar>(form, form, 0, 0, 520, 26);
  s.ToolBar->SetImages(s.Images);
  for (int i = 0; i < 5; ++i) {
    auto* button = new TToolButton(form);
    if (i == 3) {
      button->SetStyle(TToolButtonStyle::tbsSeparator);
      button->Tag = 1;
    } else {
      button->SetImageIndex(i == 4 ? 3 : i);
    }
    if (i == 2) button->SetStyle(TToolButtonStyle::tbsCheck);
    s.ToolBar->AddButton(button);
  }
  s.ToolBar->Buttons(2)->SetDown(true);

  s.ControlBar = Place<TControlBar>(form, form, 0, 28, 520, 34);
  auto* bandEdit = Place<TEdit>(form, s.ControlBar, 14, 6, 150, 21);
  bandEdit->SetText("On a band");
  bandEdit->Tag = NoSkinTag;
  Place<TButton>(form, s.ControlBar, 184, 4, 80, 25, "Band")->Tag = NoSkinTag;

  s.Skinned = Place<TGroupBox>(form, form, 8, 70, 248, 232, "Skinned");
  s.Exempt = Place<TGroupBox>(form, form, 264, 70, 248, 232, "Exempt (Tag 999)");
  s.Exempt->Tag = NoSkinTag;
  FillColumn(s, 0, s.Skinned);
  FillColumn(s, 1, s.Exempt);
  s.Label = Place<TLabel>(form, form, 8, 310, 240, 16, "A label keeps its normal look");
  s.Gradient = Place<TCheckBox>(form, form, 8, 334, 200, 17, "Gradient menus");
  s.FlatMenu = Place<TCheckBox>(form, form, 8, 356, 200, 17, "Flat popup frames");
  s.List = Place<TListBox>(form, form, 264, 310, 248, 100);
  s.List->SetItems({"A list box", "keeps its", "normal look"});

  s.Painter = new TXPMenu(form);
  s.Painter->SetAutoDetect(true);
  s.Painter->SetActive(true);
  TXPMenu* painter = s.Painter;
  TCheckBox* gradient = s.Gradient;
  TCheckBox* flat = s.FlatMenu;
  gradient->OnClick = [painter, gradient](TObject*) { painter->SetGradient(gradient->Checked()); };
  flat->OnClick = [painter, flat](TObject*) { painter->SetFlatMenu(flat->Checked()); };
  return s;
}

}  // namespace quillfen::gallery
