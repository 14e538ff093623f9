#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "WinApi.h"
#include "Forms.h"
#include "XPMenu.h"
#include "XPShowcase.h"
#include "rmBtnEdit.h"

using namespace quillfen::vcl;
using namespace quillfen::widgets;
using quillfen::gallery::BuildXPShowcase;
using quillfen::gallery::TXPShowcase;

namespace {

// Runs the gallery with arguments and answers its exit code (-1: did not run or hung).
int RunGallery(const std::string& arguments) {
  std::string command = std::string("\"") + QF_GALLERY_EXE + "\" " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
    return -1;
  DWORD code = static_cast<DWORD>(-1);
  if (::WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
    ::GetExitCodeProcess(process.hProcess, &code);
  else
    ::TerminateProcess(process.hProcess, 99);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

TPixelImage ReadBmp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), {});
  return DecodeBmp24(bytes);
}

int DistinctColours(const TPixelImage& image) {
  return static_cast<int>(std::set<TColor>(image.Pixels.begin(), image.Pixels.end()).size());
}

int CountOf(const TPixelImage& image, TColor colour) {
  int n = 0;
  for (TColor c : image.Pixels) n += (c & 0xFFFFFF) == (colour & 0xFFFFFF);
  return n;
}

// The working colours the gallery's painter computes on this display.
TXPWorkingColors PainterColours() {
  TForm form(&Application());
  auto* xp = new TXPMenu(&form);
  HDC screen = ::GetDC(nullptr);
  xp->PrepareColors(screen);
  ::ReleaseDC(nullptr, screen);
  return xp->Colors();
}

// The XP window built here too, for the places of its parts: the same
// builder, fonts and system metrics as the gallery's.
struct TXPGeometry {
  POINT ClientOrigin{};  // of the window's client area inside its captured frame
  RECT CheckedTool{};    // the tool bar's checked button, client coordinates
  RECT PlainTool{};      // a tool button in no state
  RECT Band{};           // the band of the control bar's edit
  int BarTop = 0;        // the control bar's top: its grip lines sit on its even rows
  RECT Buttons[2]{};     // skinned, exempt
  RECT Edits[2]{};
  RECT List{};
};

RECT ClientRectOf(TControl* control, TForm* form) {
  TRect b = control->BoundsRect();
  POINT p[2] = {{b.Left, b.Top}, {b.Right, b.Bottom}};
  if (control->Parent() != form)
    ::MapWindowPoints(control->Parent()->Handle(), form->Handle(), p, 2);
  return {p[0].x, p[0].y, p[1].x, p[1].y};
}

TXPGeometry MeasureXPWindow() {
  TXPGeometry g;
  auto* form = new TForm(&Application());
  form->SetBorderStyle(TFormBorderStyle::bsSingle);
  TXPShowcase s = BuildXPShowcase(form);
  form->Show();
  RECT outer{};
  ::GetWindowRect(form->Handle(), &outer);
  POINT client{0, 0};
  ::ClientToScreen(form->Handle(), &client);
  g.ClientOrigin = {client.x - outer.left, client.y - outer.top};
  auto inBar = [&](TRect r, TControl* bar) {
    return RECT{r.Left + bar->Left(), r.Top + bar->Top(), r.Right + bar->Left(), r.Bottom + bar->Top()};
  };
  g.CheckedTool = inBar(s.ToolBar->Buttons(2)->BoundsRect(), s.ToolBar);
  g.PlainTool = inBar(s.ToolBar->Buttons(1)->BoundsRect(), s.ToolBar);
  TControl* bandEdit = nullptr;
  for (int i = 0; i < s.ControlBar->ControlCount(); ++i)
    if (dynamic_cast<TEdit*>(s.ControlBar->Controls(i))) bandEdit = s.ControlBar->Controls(i);
  if (bandEdit) g.Band = inBar(TControlBar::BandRect(*bandEdit), s.ControlBar);
  g.BarTop = s.ControlBar->Top();
  g.Buttons[0] = ClientRectOf(s.Buttons[0], form);
  g.Buttons[1] = ClientRectOf(s.Buttons[1], form);
  g.Edits[0] = ClientRectOf(s.Edits[0], form);
  g.Edits[1] = ClientRectOf(s.Edits[1], form);
  g.List = ClientRectOf(s.List, form);
  delete form;
  return g;
}

// Where the client area starts inside the captured window.
POINT ClientOrigin() {
  RECT r{0, 0, 0, 0};
  ::AdjustWindowRectEx(&r, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, FALSE,
                       WS_EX_APPWINDOW | WS_EX_CONTROLPARENT);
  return {-r.left, -r.top};
}

}  // namespace

TEST(Gallery, ScreenshotShowsTheWholeWindowWithTheGaugeBandsInPlace) {
  const std::string path = std::string(QF_ARTIFACT_DIR) + "/gallery.bmp";
  ::DeleteFileA(path.c_str());
  ASSERT_EQ(RunGallery("--screenshot \"" + path + "\""), 0);
  const TPixelImage shot = ReadBmp(path);
  const POINT origin = ClientOrigin();
  ASSERT_GE(shot.Width, 820);
  ASSERT_GE(shot.Height, 600);
  EXPECT_GT(DistinctColours(shot), 20);
  auto at = [&](int x, int y) { return shot.At(origin.x + x, origin.y + y) & 0xFFFFFF; };
  // Horizontal bars, no border: solid at 100 % is all fill colour; the gradient
  // at 100 % starts with the fill colour and ends with the gradient colour.
  const int barTop = 8 + 2 * 66 + 30;
  EXPECT_EQ(at(8 + 3 * 66 + 2, barTop), 0x00FF00u);
  EXPECT_EQ(at(8 + 3 * 66 + 56, barTop), 0x00FF00u);
  EXPECT_EQ(at(8 + 7 * 66, barTop), 0x00FF00u);
  EXPECT_EQ(at(8 + 7 * 66 + 59, barTop), 0x0000FFu);
  // The gradient's middle is neither end colour.
  const TColor middle = at(8 + 7 * 66 + 29, barTop);
  EXPECT_NE(middle, 0x00FF00u);
  EXPECT_NE(middle, 0x0000FFu);
  // Pictures on magenta show what is behind them (the URL image's information icon).
  EXPECT_EQ(CountOf(shot, 0xFF00FF), 0);
  // A vertical bar at 0 % shows only its face inside the single border.
  EXPECT_EQ(at(8 + 1 * 66 + 30, 8 + 1 * 66 + 30), static_cast<TColor>(::GetSysColor(COLOR_BTNFACE)));
}

TEST(Gallery, BothMessageWindowsAreCaptured) {
  for (const char* kind : {"info", "stop"}) {
    const std::string path = std::string(QF_ARTIFACT_DIR) + "/gallery-" + kind + ".bmp";
    ::DeleteFileA(path.c_str());
    ASSERT_EQ(RunGallery(std::string("--dialog ") + kind + " \"" + path + "\""), 0) << kind;
    const TPixelImage shot = ReadBmp(path);
    EXPECT_GT(shot.Width, 200) << kind;
    EXPECT_GT(shot.Height, 100) << kind;
    EXPECT_GT(DistinctColours(shot), 8) << kind;
    EXPECT_EQ(CountOf(shot, 0xFF00FF), 0) << kind;
  }
  EXPECT_NE(RunGallery("--dialog nothing x.bmp"), 0);
}

TEST(Gallery, TheXPWindowShowsBothLooksInThePaintersColours) {
  const std::string path = std::string(QF_ARTIFACT_DIR) + "/gallery-xp.bmp";
  ::DeleteFileA(path.c_str());
  ASSERT_EQ(RunGallery("--screenshot-xp \"" + path + "\""), 0);
  const TPixelImage shot = ReadBmp(path);
  const TXPGeometry g = MeasureXPWindow();
  const TXPWorkingColors c = PainterColours();
  ASSERT_GE(shot.Width, 520);
  ASSERT_GE(shot.Height, 420);
  EXPECT_EQ(CountOf(shot, 0xFF00FF), 0) << "the tool bar's images are masked";
  auto at = [&](int x, int y) { return shot.At(g.ClientOrigin.x + x, g.ClientOrigin.y + y) & 0xFFFFFF; };
  const TColor face = ColorToRGB(clBtnFace);
  const bool deep = c.DeepColorMode;

  // The control bar's band: a flat fill, lightened on a deep display, with a grip at its left.
  ASSERT_GT(g.Band.right, g.Band.left);
  EXPECT_EQ(at(g.Band.left + 9, g.Band.top + 1), deep ? LightenColor(face, 6) : face);
  int grip = g.Band.top + 5;
  if ((grip - g.BarTop) % 2 != 0) ++grip;
  EXPECT_EQ(at(g.Band.left + 4, grip), DarkenColor(face, 30) & 0xFFFFFF) << "the first grip line";
  EXPECT_EQ(at(g.Band.left + 4, grip + 2), DarkenColor(face, 37) & 0xFFFFFF);
  // The checked tool button: the check fill inside a frame in the selection border colour.
  const RECT& t = g.CheckedTool;
  ASSERT_GT(t.right, t.left);
  EXPECT_EQ(at(t.left + 2, t.top + 3), c.CheckFillColor & 0xFFFFFF);
  EXPECT_EQ(at(t.left + 1, (t.top + t.bottom) / 2), ColorToRGB(c.EffSelectBorderColor));
  EXPECT_EQ(at(g.PlainTool.left + 2, g.PlainTool.top + 3), face);

  // The skinned button: a flat border in the lightened shadow colour around the
  // icon-back fill; the exempt one keeps its 3-D edge (white top, dark bottom).
  const RECT& b = g.Buttons[0];
  const int mid = (b.left + b.right) / 2;
  EXPECT_EQ(at(mid, b.top), LightenColor(ColorToRGB(clBtnShadow), 30));
  EXPECT_EQ(at(b.left + 5, b.top + 5), deep ? LightenColor(face, 16) : face);
  EXPECT_EQ(at(mid, b.bottom - 2), DarkenColor(ColorToRGB(clBtnShadow), 50) & 0xFFFFFF);
  const RECT& e = g.Buttons[1];
  const int emid = (e.left + e.right) / 2;
  EXPECT_EQ(at(emid, e.top), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(at(emid, e.bottom - 1), ColorToRGB(cl3DDkShadow));
  EXPECT_EQ(at(emid, e.bottom - 2), ColorToRGB(clBtnShadow));
  EXPECT_EQ(at(e.left + 5, e.top + 5), face);
  // The skinned edit: a one-pixel frame darker than its white; the exempt one is sunken.
  const RECT& d = g.Edits[0];
  EXPECT_EQ(at(d.left + 30, d.top), DarkenColor(ColorToRGB(clWindow), 60) & 0xFFFFFF);
  EXPECT_EQ(at(d.left + 30, d.top + 1), ColorToRGB(clWindow));
  EXPECT_EQ(at(g.Edits[1].left + 30, g.Edits[1].top), ColorToRGB(clBtnShadow));
  // The list box keeps its sunken edge.
  EXPECT_EQ(at((g.List.left + g.List.right) / 2, g.List.top), ColorToRGB(clBtnShadow));
  int firstLine = 0;
  for (int y = g.List.top + 2; y < g.List.top + 16; ++y)
    for (int x = g.List.left + 2; x < g.List.left + 80; ++x) firstLine += at(x, y) == ColorToRGB(clWindowText);
  EXPECT_GT(firstLine, 20) << "the list's first line is drawn";
}

TEST(Gallery, DroppedMenusShowTheSelectionAndTheIconColumn) {
  const TXPWorkingColors c = PainterColours();
  for (const char* mode : {"menu", "popup"}) {
    const std::string path = std::string(QF_ARTIFACT_DIR) + "/gallery-" + mode + ".bmp";
    ::DeleteFileA(path.c_str());
    ASSERT_EQ(RunGallery(std::string("--") + mode + " \"" + path + "\""), 0) << mode;
    const TPixelImage shot = ReadBmp(path);
    ASSERT_GE(shot.Width, 520) << mode;
    // The selected first item: a band of the selection colour across the
    // menu, outlined left and right in the selection border colour.
    EXPECT_GT(CountOf(shot, c.EffSelectColor), 1000) << mode;
    int bestRow = -1, bestStart = 0, bestLength = 0;
    for (int y = 0; y < shot.Height; ++y)
      for (int x = 0, run = 0; x < shot.Width; ++x) {
        run = (shot.At(x, y) & 0xFFFFFF) == (c.EffSelectColor & 0xFFFFFF) ? run + 1 : 0;
        if (run > bestLength) {
          bestLength = run;
          bestRow = y;
          bestStart = x - run + 1;
        }
      }
    ASSERT_GE(bestLength, 100) << mode;
    ASSERT_GT(bestStart, 0) << mode;
    EXPECT_EQ(shot.At(bestStart - 1, bestRow) & 0xFFFFFF, ColorToRGB(c.EffSelectBorderColor)) << mode;
    EXPECT_EQ(shot.At(bestStart + bestLength, bestRow) & 0xFFFFFF, ColorToRGB(c.EffSelectBorderColor)) << mode;
    EXPECT_GT(CountOf(shot, ColorToRGB(c.EffSelectBorderColor)), 200) << mode;
    // The other items: the icon column and the light text area.
    EXPECT_GT(CountOf(shot, c.EffIconBackColor), 500) << mode;
    EXPECT_GT(CountOf(shot, c.EffColor), 2000) << mode;
    EXPECT_EQ(CountOf(shot, 0xFF00FF), 0) << mode;
  }
}

TEST(Gallery, AGradientPopupHasTheGradientItemsAndTheFlatFrame) {
  const TXPWorkingColors c = PainterColours();
  if (!c.DeepColorMode) GTEST_SKIP() << "no gradient on a display of 15 bits or fewer";
  const std::string path = std::string(QF_ARTIFACT_DIR) + "/gallery-popup-gradient.bmp";
  ::DeleteFileA(path.c_str());
  ASSERT_EQ(RunGallery("--popup-gradient \"" + path + "\""), 0);
  const TPixelImage shot = ReadBmp(path);
  ASSERT_GE(shot.Width, 520);
  auto at = [&](int x, int y) { return shot.At(x, y) & 0xFFFFFF; };
  // The gradient of one row, from the glyph side: +3 per pixel over the icon
  // column and five more, then +1, up to 96.
  constexpr int kIconWidth = 24;
  std::vector<TColor> gradient;
  for (int i = 0, shade = 0; i < 160; ++i) {
    shade = std::min(shade + (i < kIconWidth + 5 ? 3 : 1), 96);
    gradient.push_back(LightenColor(c.EffIconBackColor, shade) & 0xFFFFFF);
  }
  auto gradientAt = [&](int x, int y, int length) {
    if (x + length > shot.Width) return false;
    for (int i = 0; i < length; ++i)
      if (at(x + i, y) != gradient[static_cast<size_t>(i)]) return false;
    return true;
  };
  const TColor frame = ColorToRGB(c.PopupFrameColor);
  const TColor shadow = ColorToRGB(c.PopupShadowColor);
  // The flat frame: its top-left corner is in the frame colour with the
  // gradient starting diagonally inside it along the top edge.
  int L = -1, T = -1;
  for (int y = 1; y + 1 < shot.Height && L < 0; ++y)
    for (int x = 1; x + 1 < shot.Width; ++x)
      if (at(x, y) == frame && at(x + 1, y) == frame && at(x, y + 1) == frame &&
          gradientAt(x + 1, y + 1, 60)) {
        L = x;
        T = y;
        break;
      }
  ASSERT_GE(L, 0) << "no popup frame with a gradient top edge";
  int R = L;  // one past the frame's right column
  while (R < shot.Width && at(R, T) == frame) ++R;
  int B = T;  // one past the frame's bottom row
  while (B < shot.Height && at(L, B) == frame) ++B;
  ASSERT_GT(R - L, 60);
  ASSERT_GT(B - T, 40);
  // The whole top edge inside the frame is the gradient, capped at 96.
  EXPECT_TRUE(gradientAt(L + 1, T + 1, std::min(R - L - 2, 160)));
  // The inner frame in the menu colour down the sides and along the bottom.
  // Wine's popups have a thinner border than the frame: the selected item,
  // drawn again after the frame, covers its right column.
  const TColor selectBorder = ColorToRGB(c.EffSelectBorderColor) & 0xFFFFFF;
  for (int y = T + 2; y < B - 2; y += 7) {
    EXPECT_EQ(at(L + 1, y), ColorToRGB(c.EffColor)) << y;
    const bool selected = at(R - 3, y) == selectBorder || at(R - 4, y) == selectBorder;
    if (!selected) {
      EXPECT_EQ(at(R - 2, y), ColorToRGB(c.EffColor)) << y;
    }
  }
  EXPECT_EQ(at((L + R) / 2, B - 2), ColorToRGB(c.EffColor));
  // The two-pixel shadow at the right and the bottom, its first corners in the face colour.
  const TColor face = ColorToRGB(clBtnFace);
  EXPECT_EQ(at(R, T), face);
  EXPECT_EQ(at(R + 1, T + 1), face);
  EXPECT_EQ(at(L, B), face);
  EXPECT_EQ(at(L + 1, B + 1), face);
  for (int y = T + 2; y < B + 2; y += 5) {
    EXPECT_EQ(at(R, y), shadow) << y;
    EXPECT_EQ(at(R + 1, y), shadow) << y;
  }
  for (int x = L + 2; x < R + 2; x += 9) {
    EXPECT_EQ(at(x, B), shadow) << x;
    EXPECT_EQ(at(x, B + 1), shadow) << x;
  }
  // The items: some row inside is the same gradient from the items' left edge.
  int itemRows = 0;
  for (int y = T + 2; y < B - 2; ++y)
    for (int x = L + 1; x < L + 6; ++x) itemRows += gradientAt(x, y, std::min(R - x - 4, 100));
  EXPECT_GE(itemRows, 2) << "the items are drawn with the gradient background";
  EXPECT_EQ(CountOf(shot, 0xFF00FF), 0);
}
