#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "WinApi.h"
#include "rmBtnEdit.h"

using quillfen::vcl::TColor;
using quillfen::widgets::DecodeBmp24;
using quillfen::widgets::TPixelImage;

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
  }
  EXPECT_NE(RunGallery("--dialog nothing x.bmp"), 0);
}
