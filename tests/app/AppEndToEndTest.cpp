// Quillfen.exe as a user runs it: a generated project and RTP, the registry
// key written with reg.exe, the real program started, clicked and read from
// a second process, and the results checked on disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Demo.h"
#include "DriverSupport.h"
#include "ReportGame.h"

namespace {

namespace fs = std::filesystem;
using namespace qfdrive;

const char kMainCaption[] = "Velmarch /:/ Quillfen";

std::string Native(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

void SetToolKey(const std::string& rtp, const std::string& editor) {
  ASSERT_EQ(rtp.find(' '), std::string::npos) << "the test folders must have no blanks";
  const std::string key = "reg.exe add HKCU\\Software\\ASCII\\RPG2000 /f /t REG_SZ /v ";
  ASSERT_EQ(RunAndWait(key + "RuntimePackagePath /d " + rtp), 0u);
  // The editor's installation stores its folder with a trailing backslash.
  ASSERT_EQ(RunAndWait(key + "ApplicationPath /d " + editor + "\\"), 0u);
}

void DeleteToolKey() { RunAndWait("reg.exe delete HKCU\\Software\\ASCII\\RPG2000 /f"); }

class QuillfenApp : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = Native(std::string(QF_E2E_DIR) + "/" + info->name());
    std::error_code ignored;
    fs::remove_all(root_, ignored);
    fs::create_directories(root_);
    demo_ = quillfen::WriteDemo(root_);
    demo_.projectFolder = Native(demo_.projectFolder);
    demo_.rtpFolder = Native(demo_.rtpFolder);
    demo_.editorFolder = Native(demo_.editorFolder);
  }

  void TearDown() override {
    if (process_.hProcess) {
      if (::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) ::TerminateProcess(process_.hProcess, 1);
      ::WaitForSingleObject(process_.hProcess, 10000);
      ::CloseHandle(process_.hProcess);
      ::CloseHandle(process_.hThread);
    }
  }

  // Starts the program and waits for its main window.
  void Start(const std::string& argument = {}) {
    std::string line = "\"" + std::string(QF_QUILLFEN_EXE) + "\"";
    if (!argument.empty()) line += " \"" + argument + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    ASSERT_TRUE(::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, root_.c_str(),
                                 &startup, &process_));
    ::WaitForInputIdle(process_.hProcess, 15000);
    main_ = WaitForTop(process_.dwProcessId, kMainCaption);
    ASSERT_NE(main_, nullptr) << "no main window";
    status_ = FindChild(main_, "TProStatusBar", "");
    scan_ = FindChild(main_, "TButton", "Begin Scan");
    exit_ = FindChild(main_, "TButton", "Exit Program");
    project_ = FindChild(main_, "TrmBtnEdit", "");
    ASSERT_TRUE(status_ && scan_ && exit_ && project_);
  }

  // A stop or information dialog of the program with that caption: waits for
  // it, keeps a screenshot when asked, and presses its button.
  void Dismiss(const std::string& caption, const std::string& screenshot = {}) {
    HWND dialog = WaitForTop(process_.dwProcessId, caption);
    ASSERT_NE(dialog, nullptr) << "no dialog \"" << caption << "\"";
    if (!screenshot.empty()) {
      ::Sleep(300);
      Shot(dialog, screenshot);
    }
    HWND button = FindChild(dialog, "", "OK");
    if (!button) button = FindChild(dialog, "TProButton", "");
    ASSERT_NE(button, nullptr) << "no button on \"" << caption << "\"";
    ASSERT_TRUE(ClickUntil(button, [&] { return !::IsWindow(dialog) || !::IsWindowVisible(dialog); }))
        << "\"" << caption << "\" stayed open";
  }

  // "Begin Scan", pressed until the scan is under way (the button locks) or over.
  void StartScan() {
    ASSERT_TRUE(ClickUntil(scan_, [&] { return !::IsWindowEnabled(scan_) || ImportDialog() != nullptr; }));
  }

  // Presses a button of the import dialog until the dialog is gone.
  void ClosesWith(HWND import, const std::string& caption) {
    HWND button = FindChild(import, "TButton", caption);
    ASSERT_NE(button, nullptr) << caption;
    ASSERT_TRUE(ClickUntil(button, [&] { return !::IsWindowVisible(import); })) << caption;
  }

  HWND ImportDialog(bool visibleOnly = true) {
    return FindTop(process_.dwProcessId, "Import Files", visibleOnly);
  }

  void Shot(HWND window, const std::string& name) {
    EXPECT_TRUE(Screenshot(window, std::string(QF_ARTIFACT_DIR) + "/" + name)) << name;
  }

  void ExitProgram() {
    ASSERT_TRUE(ClickUntil(exit_, [&] { return ::WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0; }))
        << "the program did not end";
    DWORD code = 1;
    ::GetExitCodeProcess(process_.hProcess, &code);
    EXPECT_EQ(code, 0u);
  }

  std::vector<std::string> ListItems(HWND list) {
    std::vector<std::string> items;
    const auto count = ::SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      // Wide across processes: the system carries the text back as UTF-16.
      wchar_t wide[512] = {};
      ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(wide));
      char text[1024] = {};
      ::WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
      items.push_back(text);
    }
    return items;
  }

  std::string root_;
  quillfen::DemoLayout demo_;
  PROCESS_INFORMATION process_{};
  HWND main_ = nullptr, status_ = nullptr, scan_ = nullptr, exit_ = nullptr, project_ = nullptr;
};

TEST_F(QuillfenApp, StartsWithItsWindowsLaidOutAndNothingLoaded) {
  SetToolKey(demo_.rtpFolder, demo_.editorFolder);
  Start();
  const SIZE client = ClientSize(main_);
  EXPECT_EQ(client.cx, 475);
  EXPECT_EQ(client.cy, 243);
  RECT r{};
  ::GetWindowRect(main_, &r);
  const int screenW = ::GetSystemMetrics(SM_CXSCREEN), screenH = ::GetSystemMetrics(SM_CYSCREEN);
  EXPECT_NEAR(r.left, (screenW - (r.right - r.left)) / 2, 1);
  EXPECT_NEAR(r.top, (screenH - (r.bottom - r.top)) / 2, 1);
  const LONG style = ::GetWindowLongA(main_, GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  EXPECT_EQ(Text(status_), "No project loaded");
  EXPECT_FALSE(::IsWindowEnabled(scan_));
  EXPECT_TRUE(::IsWindowEnabled(exit_));
  EXPECT_EQ(Text(project_), "");
  EXPECT_NE(FindChild(main_, "", "Read this first"), nullptr);
  EXPECT_NE(FindChild(main_, "", "Powered By"), nullptr);

  // One task bar button, carried by a window whose text is the title.
  std::vector<std::string> taskBar;
  for (HWND w : TopWindows(process_.dwProcessId)) {
    const LONG ex = ::GetWindowLongA(w, GWL_EXSTYLE);
    if (::IsWindowVisible(w) &&
        ((ex & WS_EX_APPWINDOW) || (!::GetWindow(w, GW_OWNER) && !(ex & WS_EX_TOOLWINDOW))))
      taskBar.push_back(Text(w));
  }
  EXPECT_EQ(taskBar, std::vector<std::string>{"Quillfen"});

  // The import dialog exists from the start, hidden, without a close box.
  HWND import = ImportDialog(false);
  ASSERT_NE(import, nullptr);
  EXPECT_FALSE(::IsWindowVisible(import));
  EXPECT_EQ(ClientSize(import).cx, 353);
  EXPECT_EQ(ClientSize(import).cy, 349);
  EXPECT_FALSE(::GetWindowLongA(import, GWL_STYLE) & WS_SYSMENU);

  // Typing into the project box changes nothing.
  Click(project_);
  ::Sleep(200);
  INPUT keys[2] = {};
  keys[0].type = keys[1].type = INPUT_KEYBOARD;
  keys[0].ki.wVk = keys[1].ki.wVk = 'X';
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  ::SendInput(2, keys, sizeof(INPUT));
  ::Sleep(300);
  EXPECT_EQ(Text(project_), "");

  ::Sleep(300);
  Shot(main_, "main-window.bmp");
  ExitProgram();
}

TEST_F(QuillfenApp, TakesAProjectFromTheCommandLineAndRefusesAnInvalidOne) {
  SetToolKey(demo_.rtpFolder, demo_.editorFolder);
  Start(demo_.projectFolder);
  ASSERT_TRUE(WaitFor([&] { return Text(status_) == "Project loaded. Appears valid..."; }));
  EXPECT_EQ(Text(project_), demo_.projectFolder + "\\");
  EXPECT_TRUE(::IsWindowEnabled(scan_));
  ExitProgram();
  ::CloseHandle(process_.hProcess);
  ::CloseHandle(process_.hThread);
  process_ = {};

  // A folder with only one of the two database files.
  const std::string half = root_ + "\\Half";
  fs::create_directories(half);
  WriteFile(half + "\\RPG_RT.ldb", "x");
  Start(half);
  Dismiss("Invalid Project", "invalid-project.bmp");
  EXPECT_EQ(Text(status_), "No project loaded");
  EXPECT_EQ(Text(project_), "");
  EXPECT_FALSE(::IsWindowEnabled(scan_));
  ExitProgram();
}

TEST_F(QuillfenApp, ChoosesAProjectInTheFolderBrowserStartingInTheEditorsProjectFolder) {
  // The editor keeps its projects in its own "Project" folder. It lives on the
  // prefix's own C: drive: the browser expands every folder above the start
  // folder, and a CI runner need not let it list the host's root folder.
  const std::string editor = "C:\\qf-e2e-editor\\Editor";
  std::error_code ignored;
  fs::remove_all("C:\\qf-e2e-editor", ignored);
  const std::string inEditor = editor + "\\Project";
  fs::create_directories(editor);
  fs::copy(demo_.projectFolder, inEditor, fs::copy_options::recursive);
  SetToolKey(demo_.rtpFolder, editor);
  Start();
  {
    // The button is drawn inside the box: click its right end.
    RECT r{};
    ::GetWindowRect(project_, &r);
    ::SetForegroundWindow(main_);
    ::SetCursorPos(r.right - 9, (r.top + r.bottom) / 2);
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(2, input, sizeof(INPUT));
  }
  HWND browser = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    for (HWND w : TopWindows(process_.dwProcessId))
      if (::IsWindowVisible(w) && ClassOf(w) == "#32770" && FindChild(w, "", "Open Project...")) browser = w;
    return browser != nullptr;
  }, 20000)) << "the folder browser did not open";
  // The browser expands its tree down to the start folder bit by bit.
  HWND tree = FindChild(browser, "SysTreeView32", "");
  ASSERT_NE(tree, nullptr);
  // Wine's browser opens the tree down to the start folder, but now and
  // then stops one level short without selecting anything (its last
  // folder was made a moment ago). The user then opens "Editor" and clicks
  // "Project"; so does this test, once the tree has reached "Editor".
  HTREEITEM start = nullptr;
  HTREEITEM editorItem = nullptr;
  EXPECT_TRUE(WaitFor([&] {
    if (SelectedTreeText(tree) == "Project" && SelectedTreeText(tree, 1) == "Editor") return true;
    editorItem = FindTreeItem(tree, "qf-e2e-editor", "Editor");
    return false;
  }, 15000) || editorItem != nullptr) << "the browser did not open the editor's folder";
  if (SelectedTreeText(tree) != "Project") {
    if (editorItem) ::SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(editorItem));
    ASSERT_TRUE(WaitFor([&] { return (start = FindTreeItem(tree, "Editor", "Project")) != nullptr; }, 10000));
    ::SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(start));
  }
  EXPECT_EQ(SelectedTreeText(tree, 1) + "\\" + SelectedTreeText(tree), "Editor\\Project");
  Shot(browser, "folder-browser.bmp");
  HWND ok = FindChild(browser, "Button", "OK");
  ASSERT_NE(ok, nullptr);
  ASSERT_TRUE(ClickUntil(ok, [&] { return !::IsWindow(browser) || !::IsWindowVisible(browser); }));
  ASSERT_TRUE(WaitFor([&] { return Text(status_) == "Project loaded. Appears valid..."; }, 15000));
  EXPECT_EQ(Text(project_), inEditor + "\\");
  EXPECT_TRUE(::IsWindowEnabled(scan_));
  ExitProgram();
}

TEST_F(QuillfenApp, ScansImportsAndAppliesBothOptionsAlsoAfterClose) {
  SetToolKey(demo_.rtpFolder, demo_.editorFolder);
  Start(demo_.projectFolder);
  ASSERT_TRUE(WaitFor([&] { return ::IsWindowEnabled(scan_) != FALSE; }));
  StartScan();
  HWND import = WaitForTop(process_.dwProcessId, "Import Files", 60000);
  ASSERT_NE(import, nullptr) << "the import dialog did not show";
  EXPECT_FALSE(::IsWindowEnabled(scan_));
  EXPECT_FALSE(::IsWindowEnabled(exit_));
  HWND list = FindChild(import, "TListBox", "");
  ASSERT_NE(list, nullptr);
  const std::vector<std::string> items = ListItems(list);
  EXPECT_EQ(items, demo_.expectedFound);
  ASSERT_GE(items.size(), 2u);
  ::Sleep(300);
  Shot(import, "import-dialog.bmp");

  // The first entry turns up in the project meanwhile: it must not be overwritten.
  const std::string blocked = demo_.projectFolder + "\\" + items[0];
  fs::create_directories(fs::path(blocked).parent_path());
  WriteFile(blocked, "the author's own file");
  ::SendMessageA(list, LB_SETSEL, TRUE, 0);
  ::SendMessageA(list, LB_SETSEL, TRUE, 1);
  HWND harmony = FindChild(import, "TCheckBox", "Add the harmony.dll file to the project directory");
  HWND ini = FindChild(import, "TCheckBox",
                       "Edit project's configuration to allow running without the RTP installed");
  ASSERT_TRUE(harmony && ini);
  for (HWND box : {harmony, ini})
    ASSERT_TRUE(ClickUntil(box, [&] { return ::SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }, 3, 3000));
  ClosesWith(import, "Add Files");

  Dismiss("Could Not Copy File", "could-not-copy.bmp");
  Dismiss("Finished");
  ASSERT_TRUE(WaitFor([&] { return ::IsWindowEnabled(scan_) != FALSE; }, 15000));
  EXPECT_EQ(ReadFile(blocked), "the author's own file");
  EXPECT_EQ(ReadFile(demo_.projectFolder + "\\" + items[1]), ReadFile(demo_.rtpFolder + "\\" + items[1]));
  for (size_t i = 2; i < items.size(); ++i)
    EXPECT_FALSE(fs::exists(demo_.projectFolder + "\\" + items[i])) << items[i] << " was not selected";
  EXPECT_EQ(ReadFile(demo_.projectFolder + "\\Harmony.dll"), ReadFile(demo_.editorFolder + "\\Harmony.dll"));
  EXPECT_NE(ReadFile(demo_.projectFolder + "\\RPG_RT.ini").find("FullPackageFlag=1"), std::string::npos);

  // Second scan: the check boxes kept their state, and "Close" still applies them.
  fs::remove(demo_.projectFolder + "\\Harmony.dll");
  WriteFile(demo_.projectFolder + "\\RPG_RT.ini", "[RPG_RT]\r\nGameTitle=Demo\r\n");
  StartScan();
  import = WaitForTop(process_.dwProcessId, "Import Files", 60000);
  ASSERT_NE(import, nullptr);
  EXPECT_EQ(::SendMessageA(harmony, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(::SendMessageA(ini, BM_GETCHECK, 0, 0), BST_CHECKED);
  ClosesWith(import, "Close");
  ASSERT_TRUE(WaitFor([&] { return ::IsWindowEnabled(scan_) != FALSE; }, 15000));
  EXPECT_TRUE(fs::exists(demo_.projectFolder + "\\Harmony.dll"));
  EXPECT_EQ(ReadFile(demo_.projectFolder + "\\RPG_RT.ini"), "[RPG_RT]\r\nGameTitle=Demo\r\nFullPackageFlag=1\r\n");
  ExitProgram();
}

TEST_F(QuillfenApp, WithoutTheRegistryKeyAScanOnlyReportsTheMissingRtp) {
  DeleteToolKey();
  Start(demo_.projectFolder);
  ASSERT_TRUE(WaitFor([&] { return ::IsWindowEnabled(scan_) != FALSE; }));
  ASSERT_TRUE(ClickUntil(scan_, [&] { return FindTop(process_.dwProcessId, "RTP Not Found") != nullptr; }));
  Dismiss("RTP Not Found", "rtp-not-found.bmp");
  EXPECT_EQ(Text(status_), "Project loaded. Appears valid...");
  EXPECT_EQ(ImportDialog(), nullptr);
  EXPECT_TRUE(::IsWindowEnabled(scan_));
  ExitProgram();
}

TEST_F(QuillfenApp, RefusesToCloseWhileTheImportDialogIsUp) {
  SetToolKey(demo_.rtpFolder, demo_.editorFolder);
  Start(demo_.projectFolder);
  ASSERT_TRUE(WaitFor([&] { return ::IsWindowEnabled(scan_) != FALSE; }));
  StartScan();
  HWND import = WaitForTop(process_.dwProcessId, "Import Files", 60000);
  ASSERT_NE(import, nullptr);
  // The main window's close box, as the window manager sends it.
  ::PostMessageA(main_, WM_CLOSE, 0, 0);
  Dismiss("Cannot Exit!", "cannot-exit.bmp");
  EXPECT_TRUE(::IsWindow(main_));
  EXPECT_EQ(::WaitForSingleObject(process_.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  ClosesWith(import, "Close");
  ASSERT_TRUE(WaitFor([&] { return ::IsWindowEnabled(exit_) != FALSE; }, 15000));
  ExitProgram();
}

// Every list box of a window, in z order.
std::vector<HWND> ListBoxes(HWND window) {
  struct Search {
    static BOOL CALLBACK Collect(HWND child, LPARAM data) {
      if (ClassOf(child) == "TListBox") reinterpret_cast<std::vector<HWND>*>(data)->push_back(child);
      return TRUE;
    }
  };
  std::vector<HWND> found;
  ::EnumChildWindows(window, Search::Collect, reinterpret_cast<LPARAM>(&found));
  return found;
}

// Where a control sits in its window's client area.
RECT ClientBounds(HWND control) {
  RECT r{};
  ::GetWindowRect(control, &r);
  ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

TEST_F(QuillfenApp, ExactReportOfA2003ProjectListsWhatItNeedsCopiesItAndAsksBeforeTheFlag) {
  // On the prefix's own C: drive: short paths, as the dialog shows them in the README.
  const std::string root = "C:\\qf-e2e-report";
  std::error_code ignored;
  fs::remove_all(root, ignored);
  quillfen::testing::ReportGame game = quillfen::testing::WriteReportGame(root);
  const std::string project = Native(game.project.string()), rtp2003 = Native(game.rtp2003.string());
  // The 2000 key names a 2000 RTP; the 2003 RTP is only under the 2003 editor's key.
  SetToolKey(Native(game.rtp2000.string()), demo_.editorFolder);
  const std::string key2003 = "HKCU\\Software\\Enterbrain\\RPG2003";
  ASSERT_EQ(RunAndWait("reg.exe add " + key2003 + " /f /t REG_SZ /v RuntimePackagePath /d " + rtp2003), 0u);
  struct Forget {
    std::string key;
    ~Forget() { RunAndWait("reg.exe delete " + key + " /f"); }
  } forget{key2003};
  Start(project);
  HWND report = FindChild(main_, "TButton", "Exact Report...");
  ASSERT_NE(report, nullptr);
  const RECT at = ClientBounds(report);
  EXPECT_EQ(at.left, 360);
  EXPECT_EQ(at.top, 64);
  EXPECT_EQ(at.right - at.left, 113);
  EXPECT_EQ(at.bottom - at.top, 25);
  ASSERT_TRUE(WaitFor([&] { return ::IsWindowEnabled(report) != FALSE; }));
  EXPECT_NE(FindChild(main_, "TButton", "Begin Scan"), nullptr);

  HWND dialog = nullptr;
  ASSERT_TRUE(ClickUntil(report, [&] { return (dialog = FindTop(process_.dwProcessId, "Exact Report")) != nullptr; }));
  EXPECT_FALSE(::IsWindowEnabled(scan_) || ::IsWindowEnabled(exit_) || ::IsWindowEnabled(report) ||
               ::IsWindowEnabled(project_));
  EXPECT_EQ(Text(status_), "Report complete");
  EXPECT_FALSE(::GetWindowLongA(dialog, GWL_STYLE) & WS_SYSMENU);
  const std::vector<HWND> lists = ListBoxes(dialog);
  ASSERT_EQ(lists.size(), 2u);
  EXPECT_EQ(ListItems(lists[0]), game.needed);
  EXPECT_EQ(::SendMessageA(lists[0], LB_GETSELCOUNT, 0, 0), static_cast<LRESULT>(game.needed.size()));
  EXPECT_EQ(ListItems(lists[1]),
            (std::vector<std::string>{
                "Monster\\Slime: RPG_RT.ldb, enemy 1 'Slime': battler",
                "Panorama\\Clouds: Map0001.lmu, event 1 'EV0001', page 1, command 2: Change Parallax "
                "Background (and 1 more place)"}));
  HWND ini = FindChild(dialog, "TCheckBox", "Edit project's configuration to allow running without the RTP installed");
  HWND harmony = FindChild(dialog, "TCheckBox", "Add the harmony.dll file to the project directory");
  ASSERT_TRUE(ini && harmony);
  ASSERT_TRUE(ClickUntil(ini, [&] { return ::SendMessageA(ini, BM_GETCHECK, 0, 0) == BST_CHECKED; }, 3, 3000));
  // System\System.png stays out.
  ::SendMessageA(lists[0], LB_SETSEL, FALSE, static_cast<LPARAM>(game.needed.size() - 1));
  ::Sleep(300);
  Shot(dialog, "report-dialog.bmp");

  // "Save Report..." through the system's save window.
  const std::string page = root_ + "\\report.html";
  HWND save = FindChild(dialog, "TButton", "Save Report...");
  ASSERT_NE(save, nullptr);
  HWND saveAs = nullptr;
  ASSERT_TRUE(ClickUntil(save, [&] { return (saveAs = FindTop(process_.dwProcessId, "Save Report")) != nullptr; }));
  HWND name = ::GetDlgItem(saveAs, 0x480);  // the file name box of the system's template
  if (!name) name = FindChild(::GetDlgItem(saveAs, 0x47C), "Edit", "");
  ASSERT_NE(name, nullptr);
  ::SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(page.c_str()));
  ::PostMessageA(saveAs, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(saveAs, IDOK)));
  ASSERT_TRUE(WaitFor([&] { return !::IsWindow(saveAs) && fs::exists(page); }, 15000)) << "the report was not saved";
  EXPECT_NE(ReadFile(page).find("Panorama"), std::string::npos);

  // The system's window gives the dialog back before it takes clicks again.
  ASSERT_TRUE(WaitFor([&] { return ::IsWindowEnabled(dialog) && ::GetForegroundWindow() == dialog; }));
  // The first file turns up meanwhile: it must not be overwritten.
  fs::create_directories(project + "\\CharSet");
  WriteFile(project + "\\CharSet\\Hero1.png", "the author's own");
  ClosesWith(dialog, "Add Files");
  Dismiss("Could Not Copy File");
  Dismiss("Finished");
  // The question in the tool's own dialog; "No" keeps the flag unset.
  HWND question = WaitForTop(process_.dwProcessId, "Files Still Missing");
  ASSERT_NE(question, nullptr);
  ::Sleep(300);
  Shot(question, "files-still-missing.bmp");
  HWND no = FindChild(question, "TProButton", "&No");
  ASSERT_NE(no, nullptr);
  ASSERT_TRUE(ClickUntil(no, [&] { return !::IsWindow(question); }));
  ASSERT_TRUE(WaitFor([&] { return ::IsWindowEnabled(report) != FALSE; }, 15000));
  EXPECT_TRUE(::IsWindowEnabled(scan_) && ::IsWindowEnabled(exit_));
  EXPECT_EQ(ReadFile(project + "\\CharSet\\Hero1.png"), "the author's own");
  EXPECT_EQ(ReadFile(project + "\\Sound\\Door.wav"), ReadFile(rtp2003 + "\\Sound\\Door.wav"));
  EXPECT_EQ(ReadFile(project + "\\FaceSet\\Hero1.png"), ReadFile(rtp2003 + "\\FaceSet\\Hero1.png"));
  EXPECT_FALSE(fs::exists(project + "\\System\\System.png"));
  EXPECT_FALSE(fs::exists(project + "\\Panorama\\Clouds.png"));
  EXPECT_EQ(ReadFile(project + "\\RPG_RT.ini"), "[RPG_RT]\r\nGameTitle=Report\r\n");

  // Again, left with "Close": the question comes again, and "Yes" sets the flag.
  ASSERT_TRUE(ClickUntil(report, [&] { return (dialog = FindTop(process_.dwProcessId, "Exact Report")) != nullptr; }));
  ClosesWith(dialog, "Close");
  question = WaitForTop(process_.dwProcessId, "Files Still Missing");
  ASSERT_NE(question, nullptr);
  HWND yes = FindChild(question, "TProButton", "&Yes");
  ASSERT_NE(yes, nullptr);
  ASSERT_TRUE(ClickUntil(yes, [&] { return !::IsWindow(question); }));
  ASSERT_TRUE(WaitFor([&] { return ::IsWindowEnabled(report) != FALSE; }, 15000));
  EXPECT_EQ(ReadFile(project + "\\RPG_RT.ini"), "[RPG_RT]\r\nGameTitle=Report\r\nFullPackageFlag=1\r\n");
  ExitProgram();
}

TEST_F(QuillfenApp, ExactReportOfAnUnreadableProjectStopsWithItsOwnMessage) {
  SetToolKey(demo_.rtpFolder, demo_.editorFolder);
  WriteFile(demo_.projectFolder + "\\RPG_RT.ldb", "not a database");
  WriteFile(demo_.projectFolder + "\\RPG_RT.lmt", "nor a map tree");
  for (const auto& entry : fs::directory_iterator(demo_.projectFolder))
    if (entry.path().extension() == ".lmu") fs::remove(entry.path());
  Start(demo_.projectFolder);
  HWND report = FindChild(main_, "TButton", "Exact Report...");
  ASSERT_TRUE(WaitFor([&] { return ::IsWindowEnabled(report) != FALSE; }));
  ASSERT_TRUE(ClickUntil(report, [&] { return FindTop(process_.dwProcessId, "Project Not Readable") != nullptr; }));
  Dismiss("Project Not Readable", "project-not-readable.bmp");
  ASSERT_TRUE(WaitFor([&] { return ::IsWindowEnabled(report) != FALSE; }));
  EXPECT_EQ(FindTop(process_.dwProcessId, "Exact Report"), nullptr);
  ExitProgram();
}

}  // namespace
