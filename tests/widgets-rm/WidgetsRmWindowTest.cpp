#include <gtest/gtest.h>

#include "WinApi.h"

#include <cstring>
#include <set>
#include <vector>
#include <string>

#include "Forms.h"
#include "ActnList.h"
#include "Graphics.h"
#include "ImgList.h"
#include "RecordingCanvas.h"
#include "WinTestSupport.h"
#include "rmBrowseFor.h"
#include "rmBtnEdit.h"
#include "rmSpeedBtns.h"

using namespace quillfen::vcl;
using namespace quillfen::widgets;

namespace {

// Holds Ctrl (and Shift) in the thread's key state while it lives.
class TModifiers {
 public:
  TModifiers(bool ctrl, bool shift) {
    ::GetKeyboardState(saved_);
    BYTE keys[256];
    ::GetKeyboardState(keys);
    keys[VK_CONTROL] = ctrl ? 0x80 : 0;
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    ::SetKeyboardState(keys);
  }
  ~TModifiers() { ::SetKeyboardState(saved_); }

 private:
  BYTE saved_[256];
};

void Key(HWND window, WPARAM key) {
  ::SendMessageA(window, WM_KEYDOWN, key, 1);
  ::SendMessageA(window, WM_KEYUP, key, 0xC0000001);
}

void PutOnClipboard(const char* text) {
  ASSERT_TRUE(::OpenClipboard(nullptr));
  ::EmptyClipboard();
  const size_t size = std::strlen(text) + 1;
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size);
  std::memcpy(::GlobalLock(memory), text, size);
  ::GlobalUnlock(memory);
  ::SetClipboardData(CF_TEXT, memory);
  ::CloseClipboard();
}

struct TEditForm {
  TForm* form;
  TrmBtnEdit* project;  // as the main window's project box
  TrmBtnEdit* plain;
  TrmBtnEdit* two;
  TrmSpeedButton* group[3];
  TrmSpeedButton* flat;
  TrmSpeedButton* combo;
  TrmSpeedButton* split;
};

TEditForm MakeForm() {
  TEditForm f{};
  f.form = new TForm(&Application());
  f.form->SetCaption("Button edits");
  f.form->SetBorderStyle(TFormBorderStyle::bsSingle);
  f.form->SetClientSize(480, 130);
  f.project = new TrmBtnEdit(f.form);
  f.project->SetParent(f.form);
  f.project->SetBounds(3, 8, 470, 21);
  f.project->SetColor(clBtnFace);
  f.project->SetReadOnly(true);
  f.project->SetEditorEnabled(false);
  f.plain = new TrmBtnEdit(f.form);
  f.plain->SetParent(f.form);
  f.plain->SetBounds(3, 36, 230, 21);
  f.two = new TrmBtnEdit(f.form);
  f.two->SetParent(f.form);
  f.two->SetBounds(243, 36, 230, 21);
  f.two->SetBtn2Visible(true);
  f.two->SetText("two buttons");
  const char* captions[] = {"&Left", "&Mid", "&Right"};
  for (int i = 0; i < 3; ++i) {
    f.group[i] = new TrmSpeedButton(f.form);
    f.group[i]->SetParent(f.form);
    f.group[i]->SetBounds(3 + i * 60, 70, 56, 24);
    f.group[i]->SetCaption(captions[i]);
    f.group[i]->SetGroupIndex(1);
  }
  f.flat = new TrmSpeedButton(f.form);
  f.flat->SetParent(f.form);
  f.flat->SetBounds(190, 70, 56, 24);
  f.flat->SetCaption("Flat");
  f.flat->SetFlat(true);
  f.combo = new TrmSpeedButton(f.form);
  f.combo->SetParent(f.form);
  f.combo->SetBounds(250, 70, 17, 21);
  f.combo->SetStyle(sbsComboButton);
  f.split = new TrmSpeedButton(f.form);
  f.split->SetParent(f.form);
  f.split->SetBounds(275, 70, 70, 24);
  f.split->SetCaption("Split");
  f.split->SetStyle(sbsMenu);
  f.form->Show();
  qftest::PumpUntil([] { return false; }, 200);
  return f;
}

}  // namespace

TEST(BtnEditWindow, KeysFocusAndTheEditorRules) {
  TEditForm f = MakeForm();
  HWND plain = f.plain->Handle();
  int clicks1 = 0, clicks2 = 0;
  f.plain->OnBtn1Click = [&](TObject* sender) {
    EXPECT_EQ(sender, f.plain);
    ++clicks1;
    f.plain->SetText("changed by the handler");
  };
  f.plain->OnBtn2Click = [&](TObject*) { ++clicks2; };

  // Window style and text area.
  const LONG style = ::GetWindowLongA(plain, GWL_STYLE);
  EXPECT_TRUE(style & ES_MULTILINE);
  EXPECT_TRUE(style & WS_CLIPCHILDREN);
  RECT area{};
  ::SendMessageA(plain, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
  // The edit keeps its own small margins inside the rectangle it is given.
  EXPECT_LE(area.right, f.plain->ClientWidth() - 16 - 1);
  EXPECT_GE(area.right, f.plain->ClientWidth() - 16 - 1 - 8);
  EXPECT_EQ(f.plain->Button1()->BoundsRect(), Bounds(230 - 16 - 4, 0, 16, 17));
  EXPECT_FALSE(f.plain->Button2()->Visible());
  EXPECT_TRUE(f.plain->Btn1DefaultGlyph());
  EXPECT_EQ(f.plain->Button1()->Glyph().Width(), 9);

  // Focus by hand does not capture: Escape goes back to the empty saved text.
  f.plain->SetText("typed");
  ::SetFocus(plain);
  EXPECT_EQ(f.plain->SavedText, "");
  Key(plain, VK_ESCAPE);
  EXPECT_EQ(f.plain->GetText(), "");

  // SetFocus captures; a button click captures before its handler runs.
  f.plain->SetText("C:\\Games\\");
  {
    TModifiers ctrl(true, false);
    Key(plain, VK_RETURN);
  }
  EXPECT_EQ(clicks1, 1);
  EXPECT_EQ(f.plain->SavedText, "C:\\Games\\");
  EXPECT_EQ(f.plain->GetText(), "changed by the handler");
  Key(plain, VK_ESCAPE);
  EXPECT_EQ(f.plain->GetText(), "C:\\Games\\");
  DWORD start = 0, end = 0;
  ::SendMessageA(plain, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 9u);

  // Shift+Ctrl+Enter stands for button 2 even while it is hidden, and
  // Ctrl+Enter for button 1 while it is disabled.
  {
    TModifiers both(true, true);
    Key(plain, VK_RETURN);
  }
  EXPECT_EQ(clicks2, 1);
  f.plain->SetBtn1Enabled(false);
  f.plain->SetText("C:\\Games\\");
  {
    TModifiers ctrl(true, false);
    Key(plain, VK_RETURN);
  }
  EXPECT_EQ(clicks1, 2);
  f.plain->SetBtn1Enabled(true);
  f.plain->SetText("C:\\Games\\");
  // Enter alone never types a line break.
  ::SendMessageA(plain, WM_CHAR, '\r', 1);
  EXPECT_EQ(f.plain->GetText(), "C:\\Games\\");

  // A mouse click on the button.
  const TRect b = f.plain->Button1()->BoundsRect();
  qftest::PostClick(plain, b.Left + 5, b.Top + 5);
  EXPECT_TRUE(qftest::PumpUntil([&] { return clicks1 == 3; }));

  // The project box: its button shows the ellipsis dots in the button text colour.
  HWND project = f.project->Handle();
  ::RedrawWindow(project, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  {
    TWindowDC dc(project);
    const TRect b1 = f.project->Button1()->BoundsRect();
    EXPECT_EQ(::GetPixel(dc.get(), b1.Left + 4, b1.Top + 8), static_cast<COLORREF>(ColorToRGB(clBtnText)));
    EXPECT_EQ(::GetPixel(dc.get(), b1.Left + 6, b1.Top + 8), static_cast<COLORREF>(ColorToRGB(clBtnFace)));
  }
  // Read-only: no typing, pasting, cutting or deleting.
  f.project->SetText("C:\\Project\\");
  PutOnClipboard("pasted");
  ::SendMessageA(project, EM_SETSEL, 0, -1);
  ::SendMessageA(project, WM_PASTE, 0, 0);
  ::SendMessageA(project, WM_CUT, 0, 0);
  ::SendMessageA(project, WM_CLEAR, 0, 0);
  ::SendMessageA(project, WM_CHAR, 'x', 1);
  EXPECT_EQ(f.project->GetText(), "C:\\Project\\");
  // Not read-only with the editor off: pasting and cutting stay shut, typing does not.
  f.project->SetReadOnly(false);
  ::SendMessageA(project, EM_SETSEL, 0, -1);
  ::SendMessageA(project, WM_PASTE, 0, 0);
  ::SendMessageA(project, WM_CUT, 0, 0);
  EXPECT_EQ(f.project->GetText(), "C:\\Project\\");
  ::SendMessageA(project, EM_SETSEL, 12, 12);
  ::SendMessageA(project, WM_CHAR, 'x', 1);
  EXPECT_EQ(f.project->GetText(), "C:\\Project\\x");
  ::SendMessageA(project, WM_CHAR, VK_BACK, 1);
  EXPECT_EQ(f.project->GetText(), "C:\\Project\\");
  ::SendMessageA(project, EM_SETSEL, 0, 0);
  Key(project, VK_DELETE);
  EXPECT_EQ(f.project->GetText(), ":\\Project\\");
  ::SendMessageA(project, WM_CHAR, '\r', 1);
  EXPECT_EQ(f.project->GetText(), ":\\Project\\");
  // The plain box takes both.
  ::SendMessageA(plain, EM_SETSEL, 0, -1);
  ::SendMessageA(plain, WM_PASTE, 0, 0);
  EXPECT_EQ(f.plain->GetText(), "pasted");
  ::SendMessageA(plain, WM_CHAR, '!', 1);
  EXPECT_EQ(f.plain->GetText(), "pasted!");

  // Enabled wishes wait for the edit; button 2 waits for button 1.
  f.project->SetEnabled(false);
  EXPECT_FALSE(f.project->Button1()->Enabled());
  f.project->SetBtn1Enabled(true);
  EXPECT_FALSE(f.project->Button1()->Enabled());
  f.project->SetEnabled(true);
  EXPECT_TRUE(f.project->Button1()->Enabled());
  EXPECT_TRUE(f.two->Button2()->Visible());
  EXPECT_EQ(f.two->Button1()->BoundsRect(), Bounds(230 - 32 - 4, 0, 16, 17));
  EXPECT_EQ(f.two->Button2()->BoundsRect(), Bounds(230 - 16 - 4, 0, 16, 17));
  f.two->SetBtn1Visible(false);
  EXPECT_FALSE(f.two->Button2()->Visible());
  EXPECT_EQ(f.two->GetText(), "two buttons");  // the window was recreated
  f.two->SetBtn1Visible(true);
  EXPECT_TRUE(f.two->Button2()->Visible());
  delete f.form;
}

TEST(SpeedButtonWindow, GroupClicksStateChangesGlyphCacheAndScreenshot) {
  const int buttonsBefore = TrmSpeedButton::ButtonCount();
  const int listsBefore = TGlyphList::LiveLists();
  TEditForm f = MakeForm();
  // Three edits, six buttons, one 9x9 glyph list between them.
  EXPECT_EQ(TrmSpeedButton::ButtonCount(), buttonsBefore + 12);
  EXPECT_EQ(TGlyphList::LiveLists(), listsBefore + 1);
  ASSERT_NE(CurrentGlyphCache(), nullptr);
  EXPECT_EQ(CurrentGlyphCache()->ListCount(), 1);
  EXPECT_GE(CurrentGlyphCache()->GetList(9, 9)->Count(), 3);

  HWND form = f.form->Handle();
  int clicked = 0;
  f.group[1]->OnClick = [&](TObject*) { ++clicked; };
  const TRect mid = f.group[1]->BoundsRect();
  qftest::PostClick(form, mid.Left + 10, mid.Top + 10);
  EXPECT_TRUE(qftest::PumpUntil([&] { return clicked == 1; }));
  EXPECT_TRUE(f.group[1]->Down());
  EXPECT_EQ(f.group[1]->State(), bsExclusive);
  f.group[0]->SetDown(true);
  EXPECT_FALSE(f.group[1]->Down());
  EXPECT_EQ(f.group[1]->State(), bsUp);
  f.group[0]->SetDown(false);  // no AllowAllUp: stays
  EXPECT_TRUE(f.group[0]->Down());
  f.group[2]->SetAllowAllUp(true);
  EXPECT_TRUE(f.group[0]->AllowAllUp());
  f.group[0]->SetDown(false);
  EXPECT_FALSE(f.group[0]->Down());

  // Alt+accelerator clicks.
  EXPECT_EQ(f.form->BroadcastUntilHandled(CM_DIALOGCHAR, 'm', 0), 1);
  EXPECT_EQ(clicked, 2);
  f.group[1]->SetEnabled(false);
  EXPECT_EQ(f.form->BroadcastUntilHandled(CM_DIALOGCHAR, 'm', 0), 0);
  f.group[1]->SetEnabled(true);

  // Hot tracking of the flat button, and a press dragged off it.
  f.flat->Perform(CM_MOUSEENTER);
  EXPECT_TRUE(f.flat->Hot());
  f.flat->Perform(CM_MOUSELEAVE);
  EXPECT_FALSE(f.flat->Hot());
  f.flat->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(f.flat->State(), bsDown);
  f.flat->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 40));
  EXPECT_EQ(f.flat->State(), bsUp);
  f.flat->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, 40));
  EXPECT_FALSE(f.flat->Dragging());

  // A disabled button paints disabled and builds its disabled image.
  f.plain->SetEnabled(false);
  f.form->Repaint();
  qftest::PumpUntil([] { return false; }, 100);
  EXPECT_EQ(f.plain->Button1()->State(), bsDisabled);
  EXPECT_NE(f.plain->Button1()->ButtonGlyph().Slots().Index(bsDisabled), -1);
  EXPECT_EQ(f.plain->Button1()->ButtonGlyph().TransparentColor(), ColorToRGB(clBtnFace));

  // A 40 x 10 strip is four images and a list of its own size.
  TBitmap strip(40, 10);
  f.flat->SetGlyph(strip);
  EXPECT_EQ(f.flat->NumGlyphs(), 4);
  TBitmap wide(50, 10);
  f.split->SetGlyph(wide);
  EXPECT_EQ(f.split->NumGlyphs(), 1);
  f.group[2]->SetDown(true);
  f.form->Repaint();
  qftest::PumpUntil([] { return false; }, 200);
  EXPECT_EQ(CurrentGlyphCache()->ListCount(), 3);

  // Screenshot of the whole window, kept as a build artifact.
  RECT outer{};
  ::GetWindowRect(form, &outer);
  TBitmap shot(outer.right - outer.left, outer.bottom - outer.top);
  {
    HDC screen = ::GetDC(nullptr);
    ::BitBlt(shot.Canvas().Handle(), 0, 0, shot.Width(), shot.Height(), screen, outer.left,
             outer.top, SRCCOPY);
    ::ReleaseDC(nullptr, screen);
  }
  const std::string path = std::string(QF_ARTIFACT_DIR) + "/rm-widgets-window.bmp";
  EXPECT_TRUE(shot.SaveToFile(path)) << path;

  // The last glyph takes the cache with it.
  const int objectsBefore = TGdiStats::LiveObjects();
  delete f.form;
  EXPECT_EQ(TrmSpeedButton::ButtonCount(), buttonsBefore);
  EXPECT_EQ(TGlyphList::LiveLists(), listsBefore);
  EXPECT_EQ(CurrentGlyphCache(), nullptr);
  EXPECT_LT(TGdiStats::LiveObjects(), objectsBefore);
}

TEST(SpeedButtonWindow, DownFacesDitherFaceAndHighlightAndTheSplitArrowPointsDown) {
  TEditForm f = MakeForm();
  f.group[1]->SetDown(true);
  f.form->Repaint();
  qftest::PumpUntil([] { return false; }, 150);
  TWindowDC dc(f.form->Handle());
  auto pixel = [&](int x, int y) { return static_cast<TColor>(::GetPixel(dc.get(), x, y)) & 0xFFFFFF; };
  // The exclusive face: a checker of the face and highlight colours, so the caption stays readable.
  const TRect down = f.group[1]->BoundsRect();
  std::set<TColor> dither;
  for (int y = down.Top + 4; y < down.Top + 8; ++y)
    for (int x = down.Left + 3; x < down.Left + 7; ++x) dither.insert(pixel(x, y));
  EXPECT_EQ(dither, (std::set<TColor>{ColorToRGB(clBtnFace), ColorToRGB(clBtnHighlight)}));

  // The split button's arrow, from the symbol font or drawn in its place:
  // text-coloured rows that narrow downwards, centred in the menu part.
  const TRect split = f.split->BoundsRect();
  const int menuLeft = split.Right - f.split->MenuButtonWidth();
  std::vector<int> widths;
  int sumX = 0, count = 0;
  for (int y = split.Top + 2; y < split.Bottom - 2; ++y) {
    int width = 0;
    for (int x = menuLeft + 1; x < split.Right - 1; ++x)
      if (pixel(x, y) == ColorToRGB(clBtnText)) {
        ++width;
        sumX += x;
        ++count;
      }
    if (width > 0) widths.push_back(width);
  }
  ASSERT_GE(widths.size(), 2u);
  EXPECT_GT(widths.front(), widths.back());
  EXPECT_LE(widths.back(), 2);
  EXPECT_NEAR(static_cast<double>(sumX) / count, menuLeft + f.split->MenuButtonWidth() / 2.0, 1.5);
  delete f.form;
}

namespace {

// Plays the shell: records what the component asks and frees.
class TFakeShell : public TShellBrowser {
 public:
  std::string Path = "C:\\Games\\Demo";
  bool Choose = true;
  bool HasPath = true;
  int Freed = 0;
  int RootRequests = 0;
  std::string Preselected;
  bool SentSelection = false;
  UINT Flags = 0;
  std::string Title;
  bool HadRoot = false;
  BYTE root[4] = {}, item[4] = {};

  HRESULT GetSpecialFolderLocation(HWND, int folder, LPITEMIDLIST* list) override {
    ++RootRequests;
    EXPECT_EQ(folder, 0x11);
    *list = reinterpret_cast<LPITEMIDLIST>(root);
    return S_OK;
  }
  LPITEMIDLIST BrowseForFolder(BROWSEINFOA* info) override {
    Flags = info->ulFlags;
    Title = info->lpszTitle;
    HadRoot = info->pidlRoot == reinterpret_cast<LPITEMIDLIST>(root);
    info->lpfn(reinterpret_cast<HWND>(1), BFFM_SELCHANGED, 0, info->lParam);
    EXPECT_EQ(info->lpfn(reinterpret_cast<HWND>(1), BFFM_INITIALIZED, 0, info->lParam), 0);
    std::strcpy(info->pszDisplayName, "Demo display name");
    return Choose ? reinterpret_cast<LPITEMIDLIST>(item) : nullptr;
  }
  bool GetPathFromIDList(LPCITEMIDLIST list, char* path) override {
    EXPECT_EQ(list, reinterpret_cast<LPCITEMIDLIST>(item));
    if (!HasPath) return false;
    std::strcpy(path, Path.c_str());
    return true;
  }
  void Free(LPITEMIDLIST list) override { Freed += list != nullptr; }
  LRESULT SendToBrowser(HWND, UINT message, WPARAM, LPARAM lParam) override {
    EXPECT_EQ(message, static_cast<UINT>(BFFM_SETSELECTIONA));
    SentSelection = true;
    Preselected = reinterpret_cast<const char*>(lParam);
    return 0;
  }
};

// The real shell, with the browser's OK pressed as soon as it has opened.
class TAutoAnswerShell : public TShellBrowser {
 public:
  UINT Answer = IDOK;
  bool Initialized = false;
  LRESULT SendToBrowser(HWND browser, UINT message, WPARAM wParam, LPARAM lParam) override {
    const LRESULT result = TShellBrowser::SendToBrowser(browser, message, wParam, lParam);
    Initialized = true;
    ::PostMessageA(browser, WM_COMMAND, Answer, 0);
    return result;
  }
};

}  // namespace

TEST(BrowseForFolderShell, PreselectsReturnsThePathAndFreesEveryList) {
  TrmBrowseForFolder dlg(nullptr);
  TFakeShell shell;
  dlg.SetShell(&shell);
  dlg.RootNode = bfrMyComputer;
  dlg.Title = "Open Project...";
  dlg.SelectedFolder = "C:\\RPG2000\\Project";
  EXPECT_TRUE(dlg.Execute());
  EXPECT_EQ(shell.Preselected, "C:\\RPG2000\\Project");
  EXPECT_EQ(dlg.SelectedFolder, "C:\\Games\\Demo");
  EXPECT_EQ(shell.Flags, 1u);
  EXPECT_EQ(shell.Title, "Open Project...");
  EXPECT_TRUE(shell.HadRoot);
  EXPECT_EQ(shell.Freed, 2);  // the item and the root

  shell.Freed = 0;
  shell.Choose = false;  // cancelled
  EXPECT_FALSE(dlg.Execute());
  EXPECT_EQ(dlg.SelectedFolder, "C:\\Games\\Demo");
  EXPECT_EQ(shell.Freed, 1);

  shell.Freed = 0;
  shell.Choose = true;
  shell.HasPath = false;  // e.g. a virtual folder: the display name must not stick
  EXPECT_FALSE(dlg.Execute());
  EXPECT_EQ(dlg.SelectedFolder, "C:\\Games\\Demo");
  EXPECT_EQ(shell.Freed, 2);

  TrmBrowseForFolder desktop(nullptr);
  TFakeShell quiet;
  desktop.SetShell(&quiet);
  EXPECT_TRUE(desktop.Execute());
  EXPECT_EQ(quiet.RootRequests, 0);
  EXPECT_FALSE(quiet.SentSelection);  // nothing to preselect
  EXPECT_EQ(quiet.Freed, 1);
}

TEST(BrowseForFolderShell, RealBrowserOpensAtThePresetFolderAndAnswers) {
  char windows[MAX_PATH] = {};
  ::GetWindowsDirectoryA(windows, MAX_PATH);
  TrmBrowseForFolder dlg(nullptr);
  TAutoAnswerShell shell;
  dlg.SetShell(&shell);
  dlg.RootNode = bfrMyComputer;
  dlg.Title = "Open Project...";
  dlg.SelectedFolder = windows;
  ASSERT_TRUE(dlg.Execute());
  EXPECT_TRUE(shell.Initialized);
  EXPECT_EQ(_stricmp(dlg.SelectedFolder.c_str(), windows), 0) << dlg.SelectedFolder;

  shell.Answer = IDCANCEL;
  dlg.SelectedFolder = windows;
  EXPECT_FALSE(dlg.Execute());
  EXPECT_EQ(dlg.SelectedFolder, windows);
}

TEST(SpeedButtonWindow, AnActionSetsCaptionStateAndAnEmptyGlyphAndRunsTheClick) {
  TForm form(&Application());
  form.SetClientSize(200, 60);
  auto* images = new TImageList(&form, 8, 8);
  TBitmap strip(16, 8);
  strip.Canvas().Brush.Color = clFuchsia;
  strip.Canvas().FillRect({0, 0, 16, 8});
  strip.Canvas().Brush.Color = clBlue;
  strip.Canvas().FillRect({10, 2, 14, 6});  // image 1: a blue square on a masked background
  images->AddMasked(strip, clFuchsia);
  auto* action = new TAction(&form);
  action->SetCaption("&Run");
  action->SetImages(images);
  action->SetImageIndex(1);
  action->SetHelpContext(12);
  int executed = 0;
  action->OnExecute = [&](TObject*) { ++executed; };

  auto* button = new TrmSpeedButton(&form);
  button->SetParent(&form);
  button->SetAction(action);
  EXPECT_EQ(button->Caption(), "&Run");
  EXPECT_EQ(button->HelpContext, 12);
  // The image is copied on clFuchsia, which becomes the glyph's transparent colour.
  ASSERT_EQ(button->Glyph().Width(), 8);
  EXPECT_EQ(button->Glyph().Pixel(0, 7) & 0xFFFFFF, clFuchsia);
  EXPECT_EQ(button->Glyph().Pixel(3, 3) & 0xFFFFFF, clBlue);
  EXPECT_EQ(button->ButtonGlyph().TransparentColor(), clFuchsia);
  // The action's changes follow; a glyph of the button's own stays.
  action->SetEnabled(false);
  EXPECT_FALSE(button->Enabled());
  action->SetEnabled(true);
  action->SetCaption("Again");
  EXPECT_EQ(button->Caption(), "Again");
  action->SetImageIndex(0);
  EXPECT_EQ(button->Glyph().Pixel(3, 3) & 0xFFFFFF, clBlue);
  // A click runs the action, unless the button has a handler of its own.
  button->Click();
  EXPECT_EQ(executed, 1);
  int own = 0;
  button->OnClick = [&](TObject*) { ++own; };
  button->Click();
  EXPECT_EQ(executed, 1);
  EXPECT_EQ(own, 1);
  // Either may go first.
  delete action;
  EXPECT_EQ(button->Action(), nullptr);
  auto* second = new TAction(&form);
  button->SetAction(second);
  delete button;
  second->SetCaption("still here");

  // A true-colour glyph has no palette; one with a colour table has its palette.
  TrmSpeedButton plain(nullptr);
  EXPECT_EQ(plain.GetPalette(), nullptr);
  TBitmap rgb(4, 4);
  plain.SetGlyph(rgb);
  EXPECT_EQ(plain.GetPalette(), nullptr);
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[2];
  } info{};
  info.header.biSize = sizeof info.header;
  info.header.biWidth = 8;
  info.header.biHeight = 8;
  info.header.biPlanes = 1;
  info.header.biBitCount = 1;
  info.colors[1] = {0, 0, 255, 0};  // red
  void* bits = nullptr;
  TBitmap indexed;
  indexed.SetHandle(::CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                       &bits, nullptr, 0));
  plain.SetGlyph(indexed);
  HPALETTE palette = plain.GetPalette();
  ASSERT_NE(palette, nullptr);
  PALETTEENTRY entries[2]{};
  EXPECT_EQ(::GetPaletteEntries(palette, 0, 2, entries), 2u);
  EXPECT_EQ(entries[1].peRed, 255);
  EXPECT_EQ(entries[1].peBlue, 0);
}

TEST(SpeedButtonWindow, TheCaptionReadsRightToLeftByItsModeOrItsWindows) {
  TForm form(&Application());
  form.SetClientSize(200, 60);
  auto* button = new TrmSpeedButton(&form);
  button->SetParent(&form);
  form.Show();
  EXPECT_TRUE(button->ParentBiDiMode());
  EXPECT_FALSE(button->UseRightToLeftReading());
  const LONG exStyle = ::GetWindowLongA(form.Handle(), GWL_EXSTYLE);
  ::SetWindowLongA(form.Handle(), GWL_EXSTYLE, exStyle | WS_EX_RTLREADING);
  EXPECT_TRUE(button->UseRightToLeftReading());
  button->SetBiDiMode(TBiDiMode::bdLeftToRight);  // a mode of its own stops following the window
  EXPECT_FALSE(button->ParentBiDiMode());
  EXPECT_FALSE(button->UseRightToLeftReading());
  ::SetWindowLongA(form.Handle(), GWL_EXSTYLE, exStyle);
  button->SetBiDiMode(TBiDiMode::bdRightToLeft);
  EXPECT_TRUE(button->UseRightToLeftReading());
  // The caption is drawn with DT_RTLREADING: a recording canvas sees the flag.
  button->SetCaption("abc");
  auto drawnFormat = [&] {
    TRecordingCanvas canvas;
    button->PaintTo(canvas);
    for (const TCanvasCall& call : canvas.CallsOf("DrawText"))
      if (call.Text == "abc" && !(call.Args[4] & static_cast<int>(DT_CALCRECT))) return call.Args[4];
    return -1;
  };
  EXPECT_EQ(drawnFormat(), static_cast<int>(DT_CENTER | DT_VCENTER | DT_RTLREADING));
  button->SetBiDiMode(TBiDiMode::bdLeftToRight);
  EXPECT_EQ(drawnFormat(), static_cast<int>(DT_CENTER | DT_VCENTER));
}
