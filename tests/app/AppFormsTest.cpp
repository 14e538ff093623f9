// The two windows built in-process from the program's own resources: their
// stored layout, and the ways a project reaches the main window (the
// browser's start folder, a dropped folder or file, an invalid choice after
// a valid one).
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "Demo.h"
#include "ExtCtrls.h"
#include "Graphics.h"
#include "ProDlgs.h"
#include "ProStBar.h"
#include "ProUrl.h"
#include "WinTestSupport.h"
#include "importfrm.h"
#include "mainfrm.h"
#include "rmBrowseFor.h"
#include "rmBtnEdit.h"
#include "rmGauge.h"

namespace {

namespace fs = std::filesystem;
using namespace quillfen;
using namespace quillfen::vcl;
using namespace quillfen::widgets;
using quillfen::app::TfrmImportFiles;
using quillfen::app::TfrmMain;

std::string Native(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

void SetRegistryValue(const char* name, const std::string& value) {
  HKEY key = nullptr;
  ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\ASCII\\RPG2000", 0, nullptr, 0, KEY_WRITE,
                              nullptr, &key, nullptr),
            ERROR_SUCCESS);
  ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
  ::RegCloseKey(key);
}

// A drop of one path on a window, as the shell delivers it.
void Drop(HWND window, const std::string& path) {
  const size_t size = sizeof(DROPFILES) + path.size() + 2;
  HGLOBAL memory = ::GlobalAlloc(GHND, size);
  auto* files = static_cast<DROPFILES*>(::GlobalLock(memory));
  files->pFiles = sizeof(DROPFILES);
  files->fWide = FALSE;
  std::memcpy(reinterpret_cast<char*>(files) + sizeof(DROPFILES), path.c_str(), path.size() + 1);
  ::GlobalUnlock(memory);
  ::SendMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

struct TRecordedDialog {
  std::string caption;
  std::string message;
};

// Closes every message dialog of the main window as it shows, noting what it said.
void RecordDialogs(TProStopDialog& dialog, std::vector<TRecordedDialog>& seen) {
  dialog.OnShowDialog = [&seen, &dialog](TCommonDialogForm& form) {
    seen.push_back({form.Caption(), dialog.StopMessage});
    form.SetModalResult(mrCancel);
  };
}

class AppForms : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new std::string(Native(std::string(QF_E2E_DIR) + "/forms"));
    std::error_code ignored;
    fs::remove_all(*dir_, ignored);
    fs::create_directories(*dir_);
    demo_ = new DemoLayout(WriteDemo(*dir_));
    demo_->projectFolder = Native(demo_->projectFolder);
    SetRegistryValue("RuntimePackagePath", Native(demo_->rtpFolder));
    SetRegistryValue("ApplicationPath", Native(demo_->editorFolder) + "\\");
    main_ = Application().CreateForm<TfrmMain>();
    import_ = Application().CreateForm<TfrmImportFiles>();
    main_->Show();
  }
  static void TearDownTestSuite() {
    Application().FreeForms();
    delete demo_;
    delete dir_;
  }

  static std::string* dir_;
  static DemoLayout* demo_;
  static TfrmMain* main_;
  static TfrmImportFiles* import_;
};
std::string* AppForms::dir_ = nullptr;
DemoLayout* AppForms::demo_ = nullptr;
TfrmMain* AppForms::main_ = nullptr;
TfrmImportFiles* AppForms::import_ = nullptr;

TEST_F(AppForms, MainWindowIsBuiltAsItsDescriptionSays) {
  TfrmMain& f = *main_;
  EXPECT_EQ(Application().MainForm(), &f);
  EXPECT_EQ(Application().Title(), "");  // the program sets "Quillfen", not the windows
  EXPECT_EQ(f.Caption(), "Velmarch /:/ Quillfen");
  EXPECT_EQ(f.BorderStyle(), TFormBorderStyle::bsSingle);
  EXPECT_EQ(f.BorderIcons(), static_cast<TBorderIcons>(biSystemMenu));
  EXPECT_EQ(f.Font().Name(), "MS Sans Serif");
  EXPECT_EQ(f.Font().Height(), -11);

  auto bounds = [](TControl* c) { return c->BoundsRect(); };
  EXPECT_EQ(bounds(f.status), (TRect{0, 224, 475, 243}));
  ASSERT_EQ(f.status->PanelCount(), 2);
  EXPECT_EQ(f.status->Panel(0).Width, 359);
  EXPECT_EQ(f.status->Panel(1).Width, 100);
  EXPECT_EQ(f.status->Panel(0).Text, "No project loaded");
  EXPECT_EQ(f.prog->Parent(), f.status);
  EXPECT_EQ(bounds(f.prog), (TRect{362, 5, 473, 16}));
  EXPECT_EQ(f.prog->Percent(), 0);  // stored as 100, cleared when the window is created
  EXPECT_EQ(f.prog->Shape(), gsHorzRect);
  EXPECT_EQ(f.prog->Border(), gbNone);
  EXPECT_TRUE(f.prog->GradientFill());
  EXPECT_EQ(f.prog->FillColor(), clBlack);
  EXPECT_EQ(f.prog->GradientColor(), clBlue);
  EXPECT_EQ(f.prog->MedianColor(), clNavy);
  EXPECT_EQ(bounds(f.grpReadme), (TRect{3, 1, 354, 201}));
  EXPECT_EQ(f.grpReadme->Caption(), "Read this first");
  EXPECT_EQ(f.Memo1->Parent(), f.grpReadme);
  EXPECT_EQ(bounds(f.Memo1), (TRect{5, 15, 345, 198}));
  EXPECT_TRUE(f.Memo1->ReadOnly());
  EXPECT_EQ(f.Memo1->BorderStyle(), TBorderStyle::bsNone);
  EXPECT_EQ(f.Memo1->Color(), clBtnFace);
  EXPECT_EQ(f.Memo1->Font().Color(), clBtnText);
  EXPECT_FALSE(f.Memo1->ParentFont());
  const std::vector<std::string> lines = f.Memo1->Lines();
  ASSERT_EQ(lines.size(), 14u);
  EXPECT_EQ(lines[0], "Velmarch's Quillfen will scan a project of your ");
  EXPECT_EQ(lines[3], "");
  EXPECT_EQ(lines[8], "This scanner is not 100% accuret, but it still does a pretty good job. The ");
  EXPECT_EQ(lines[11], "megabytes of stolen files, so we may not have everything. ;)");
  EXPECT_NE(lines[13].find('@'), std::string::npos);
  EXPECT_EQ(bounds(f.grpLink), (TRect{357, 141, 473, 201}));
  EXPECT_EQ(f.grpLink->Caption(), "Powered By");
  EXPECT_EQ(f.vexalink->Parent(), f.grpLink);
  EXPECT_EQ(bounds(f.vexalink), (TRect{14, 19, 102, 52}));
  EXPECT_EQ(f.vexalink->Picture().Width(), 88);
  EXPECT_EQ(f.vexalink->Picture().Height(), 33);
  EXPECT_FALSE(f.vexalink->URL.empty());
  EXPECT_EQ(bounds(f.txtProject), (TRect{3, 202, 473, 223}));
  EXPECT_TRUE(f.txtProject->ReadOnly());
  EXPECT_FALSE(f.txtProject->EditorEnabled());
  EXPECT_FALSE(f.txtProject->Btn2Visible());
  EXPECT_FALSE(f.txtProject->Btn1DefaultGlyph());  // our folder glyph, not the ellipsis
  EXPECT_EQ(f.txtProject->Btn1Glyph().Width(), 14);
  EXPECT_EQ(bounds(f.btnScan), (TRect{360, 8, 473, 33}));
  EXPECT_EQ(f.btnScan->Caption(), "Begin Scan");
  EXPECT_FALSE(f.btnScan->Enabled());
  EXPECT_EQ(bounds(f.btnExit), (TRect{361, 36, 474, 61}));
  EXPECT_TRUE(f.btnExit->Enabled());
  EXPECT_EQ(f.dlgStop->SoundType, stExclamation);
  EXPECT_EQ(f.dlgInfo->SoundType, stNoSound);
  EXPECT_TRUE(f.dlgStop->ParentFont);
  EXPECT_EQ(f.dlgGetProject->RootNode, bfrMyComputer);
  EXPECT_EQ(f.dlgGetProject->Title, "Open Project...");
  // The browser starts in the editor's project folder.
  EXPECT_EQ(f.dlgGetProject->SelectedFolder, Native(demo_->editorFolder) + "\\Project");
}

TEST_F(AppForms, ImportDialogIsBuiltAsItsDescriptionSays) {
  TfrmImportFiles& d = *import_;
  EXPECT_EQ(d.Caption(), "Import Files");
  EXPECT_EQ(d.BorderIcons(), 0u);
  EXPECT_FALSE(d.Visible());
  EXPECT_EQ(d.lblInfo->BoundsRect(), (TRect{3, 2, 249, 57}));
  EXPECT_FALSE(d.lblInfo->AutoSize());
  EXPECT_TRUE(d.lblInfo->WordWrap());
  EXPECT_EQ(d.lstFiles->Parent(), d.grpFound);
  EXPECT_TRUE(d.lstFiles->MultiSelect());
  EXPECT_EQ(d.lstFiles->ItemHeight(), 13);
  EXPECT_EQ(d.btnAdd->ModalResult(), mrOk);
  EXPECT_EQ(d.btnClose->ModalResult(), mrCancel);
  EXPECT_FALSE(d.ckUpdateINI->Checked());
  EXPECT_FALSE(d.ckAddHarmony->Checked());
  EXPECT_EQ(d.dlgStop->SoundType, stExclamation);
}

TEST_F(AppForms, DroppedFoldersAndFilesGoThroughTheProjectCheck) {
  TfrmMain& f = *main_;
  std::vector<TRecordedDialog> seen;
  RecordDialogs(*f.dlgStop, seen);

  // A dropped database file stands for its folder.
  Drop(f.Handle(), demo_->projectFolder + "\\RPG_RT.ldb");
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(f.txtProject->GetText(), demo_->projectFolder + "\\");
  EXPECT_EQ(f.status->Panel(0).Text, "Project loaded. Appears valid...");
  EXPECT_TRUE(f.btnScan->Enabled());

  // An invalid folder after a valid one: the message, and the valid one stays.
  const std::string empty = *dir_ + "\\Empty";
  fs::create_directories(empty);
  Drop(f.Handle(), empty + "\\");
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].caption, "Invalid Project");
  EXPECT_EQ(seen[0].message,
            "The directory you loaded appears to be invalid. Your project must contain the "
            "'RPG_RT.ldb' and 'RPG_RT.lmt' files.");
  EXPECT_EQ(f.txtProject->GetText(), demo_->projectFolder + "\\");
  EXPECT_TRUE(f.btnScan->Enabled());

  // A dropped folder with a trailing backslash gets exactly one back.
  Drop(f.Handle(), demo_->projectFolder + "\\");
  EXPECT_EQ(seen.size(), 1u);
  EXPECT_EQ(f.txtProject->GetText(), demo_->projectFolder + "\\");
  f.dlgStop->OnShowDialog = nullptr;
}

TEST_F(AppForms, CloseIsRefusedOnlyWhileAScanRuns) {
  TfrmMain& f = *main_;
  bool canClose = false;
  f.FormCloseQuery(&f, canClose);
  EXPECT_TRUE(canClose);
  EXPECT_FALSE(f.Busy());
}

// Every window of this thread, top-level and child, visible or not.
int CountWindows() {
  struct Counter {
    static BOOL CALLBACK Child(HWND, LPARAM data) {
      ++*reinterpret_cast<int*>(data);
      return TRUE;
    }
    static BOOL CALLBACK Top(HWND window, LPARAM data) {
      ++*reinterpret_cast<int*>(data);
      ::EnumChildWindows(window, Child, data);
      return TRUE;
    }
  };
  int count = 0;
  ::EnumThreadWindows(::GetCurrentThreadId(), Counter::Top, reinterpret_cast<LPARAM>(&count));
  return count;
}

// What the windows looked like while the import dialog was up.
struct TDuringImport {
  bool shown = false;
  bool scanEnabled = true, exitEnabled = true, projectEnabled = true, mainEnabled = true, busy = false;
  std::vector<std::string> items;
};

// One "Begin Scan" press; the import dialog is left with "Close" once it
// shows. By keyboard: Enter on the focused button, and Escape in the dialog.
TDuringImport ScanOnce(TfrmMain& f, TfrmImportFiles& d, bool keyboard = false) {
  static TDuringImport* seen = nullptr;
  static bool byKeyboard = false;
  static TfrmMain* main = nullptr;
  static TfrmImportFiles* dialog = nullptr;
  TDuringImport result;
  seen = &result;
  byKeyboard = keyboard;
  main = &f;
  dialog = &d;
  struct Poll {
    // Until the dialog is modal: a message of the pipeline may come first.
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
      if (!dialog->Modal() || seen->shown) return;
      ::KillTimer(nullptr, id);
      seen->shown = true;
      seen->scanEnabled = main->btnScan->Enabled();
      seen->exitEnabled = main->btnExit->Enabled();
      seen->projectEnabled = main->txtProject->Enabled();
      seen->mainEnabled = ::IsWindowEnabled(main->Handle()) != FALSE;
      seen->busy = main->Busy();
      seen->items = dialog->lstFiles->Items();
      if (byKeyboard) qftest::PressKey(VK_ESCAPE);
      else qftest::PostClick(dialog->btnClose->Handle(), 10, 10);
    }
  };
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 30, Poll::Tick);
  if (keyboard) {
    ::SetFocus(f.btnScan->Handle());
    qftest::PressKey(VK_RETURN);
  } else {
    f.btnScan->Click();
  }
  ::KillTimer(nullptr, timer);
  seen = nullptr;
  return result;
}

std::string FocusedName() {
  TWinControl* control = TWinControl::FindControl(::GetFocus());
  return control ? control->Name() : "none";
}

std::vector<std::string> FocusAfterEachPress(int count, bool shift = false) {
  std::vector<std::string> seen;
  for (int i = 0; i < count; ++i) {
    qftest::PressKey(VK_TAB, shift);
    seen.push_back(FocusedName());
  }
  return seen;
}

TEST_F(AppForms, TabMovesThroughBothWindowsInTheirStoredOrder) {
  TfrmMain& f = *main_;
  EXPECT_EQ(f.status->TabOrder(), 0);
  EXPECT_EQ(f.grpReadme->TabOrder(), 1);
  EXPECT_EQ(f.Memo1->TabOrder(), 0);
  EXPECT_EQ(f.grpLink->TabOrder(), 2);
  EXPECT_EQ(f.txtProject->TabOrder(), 3);
  EXPECT_EQ(f.btnScan->TabOrder(), 4);
  EXPECT_EQ(f.btnExit->TabOrder(), 5);

  const bool scanEnabled = f.btnScan->Enabled();
  f.btnScan->SetEnabled(true);
  ASSERT_TRUE(qftest::Activate(f.Handle()));
  ::SetFocus(f.btnExit->Handle());
  EXPECT_EQ(FocusAfterEachPress(4),
            (std::vector<std::string>{"Memo1", "txtProject", "btnScan", "btnExit"}));
  // Before a project is loaded "Begin Scan" is passed over.
  f.btnScan->SetEnabled(false);
  EXPECT_EQ(FocusAfterEachPress(3), (std::vector<std::string>{"Memo1", "txtProject", "btnExit"}));
  EXPECT_EQ(FocusAfterEachPress(3, true), (std::vector<std::string>{"txtProject", "Memo1", "btnExit"}));
  f.btnScan->SetEnabled(scanEnabled);

  TfrmImportFiles& d = *import_;
  EXPECT_EQ(d.grpFound->TabOrder(), 0);
  EXPECT_EQ(d.lstFiles->TabOrder(), 0);
  EXPECT_EQ(d.btnAdd->TabOrder(), 1);
  EXPECT_EQ(d.btnClose->TabOrder(), 2);
  EXPECT_EQ(d.ckUpdateINI->TabOrder(), 3);
  EXPECT_EQ(d.ckAddHarmony->TabOrder(), 4);
  std::string first;
  std::vector<std::string> seen;
  qftest::TDeferred tabs([&] {
    first = FocusedName();
    seen = FocusAfterEachPress(5);
    // No cancel button: Escape leaves the dialog as "Close" does.
    qftest::PressKey(VK_ESCAPE);
  });
  EXPECT_EQ(d.ShowModal(), mrCancel);
  EXPECT_EQ(first, "lstFiles");
  EXPECT_EQ(seen, (std::vector<std::string>{"btnAdd", "btnClose", "ckUpdateINI", "ckAddHarmony",
                                            "lstFiles"}));
  EXPECT_FALSE(d.ckUpdateINI->Checked());
}

TEST_F(AppForms, ProjectBoxTakesCtrlEnterAndEscapeBeforeTheWindow) {
  TfrmMain& f = *main_;
  TrmBtnEdit& box = *f.txtProject;
  const std::string before = box.GetText();
  const TNotifyEvent handler = box.OnBtn1Click;
  int clicks = 0;
  box.OnBtn1Click = [&](TObject*) { ++clicks; };
  ASSERT_TRUE(qftest::Activate(f.Handle()));
  box.SetText("C:\\Old\\");
  box.SetFocus();  // notes the text that Escape puts back
  box.SetText("C:\\New\\");
  qftest::PressKey(VK_ESCAPE);
  EXPECT_EQ(box.GetText(), "C:\\Old\\");
  qftest::PressKey(VK_RETURN, false, true);
  EXPECT_EQ(clicks, 1);
  box.OnBtn1Click = handler;
  box.SetText(before);
}

TEST_F(AppForms, ScansLockTheWindowUntilTheImportDialogIsGoneAndGiveBackWhatTheyTook) {
  TfrmMain& f = *main_;
  TfrmImportFiles& d = *import_;
  std::vector<TRecordedDialog> seen;
  RecordDialogs(*f.dlgStop, seen);
  f.OpenProject(demo_->projectFolder);
  ASSERT_TRUE(f.btnScan->Enabled());

  auto unlocked = [&] {
    return f.btnScan->Enabled() && f.btnExit->Enabled() && f.txtProject->Enabled() &&
           ::IsWindowEnabled(f.Handle()) && !f.Busy() && f.prog->Percent() == 0;
  };
  TDuringImport first = ScanOnce(f, d);
  ASSERT_TRUE(first.shown);
  EXPECT_TRUE(seen.empty());
  EXPECT_FALSE(first.scanEnabled || first.exitEnabled || first.projectEnabled || first.mainEnabled);
  EXPECT_TRUE(first.busy);
  EXPECT_FALSE(first.items.empty());
  EXPECT_TRUE(unlocked());
  EXPECT_EQ(f.status->Panel(0).Text, "Scan complete");

  // Later scans, the message dialogs and repaints take nothing for good.
  const int objects = TGdiStats::LiveObjects(), dcs = TGdiStats::LiveDCs(), windows = CountWindows();
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(ScanOnce(f, d).items, first.items);
    f.ReportStop("Title", "Message");
    f.Repaint();
    d.Repaint();
  }
  EXPECT_EQ(TGdiStats::LiveObjects(), objects);
  EXPECT_EQ(TGdiStats::LiveDCs(), dcs);
  EXPECT_EQ(CountWindows(), windows);

  // The same from the keyboard; afterwards the keyboard still reaches the window.
  ASSERT_TRUE(qftest::Activate(f.Handle()));
  TDuringImport typed = ScanOnce(f, d, true);
  EXPECT_TRUE(typed.shown);
  EXPECT_EQ(typed.items, first.items);
  EXPECT_TRUE(unlocked());
  EXPECT_EQ(::GetActiveWindow(), f.Handle());
  qftest::PressKey(VK_TAB);
  EXPECT_NE(FocusedName(), "none");

  // A project that vanished: its message, the empty dialog, then the window unlocked.
  seen.clear();
  const std::string gone = *dir_ + "\\Gone\\";
  f.txtProject->SetText(gone);
  TDuringImport failed = ScanOnce(f, d);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].caption, "Project Not Found");
  EXPECT_EQ(seen[0].message, "Your project vanished. :) The directory specified was not found.");
  EXPECT_TRUE(failed.shown);
  EXPECT_TRUE(failed.items.empty());
  EXPECT_TRUE(unlocked());
  f.txtProject->SetText(demo_->projectFolder + "\\");
  f.dlgStop->OnShowDialog = nullptr;
}

}  // namespace

TEST_F(AppForms, EveryReadmeLineKeepsItsOwnRowAndAllFourteenShow) {
  TfrmMain& f = *main_;
  HWND memo = f.Memo1->Handle();
  EXPECT_EQ(::SendMessageA(memo, EM_GETLINECOUNT, 0, 0), 14);
  RECT client{};
  ::GetClientRect(memo, &client);
  TWindowDC dc(memo);
  TSelectGuard font(dc.get(), static_cast<HGDIOBJ>(f.Memo1->Font().Handle()));
  TEXTMETRICA metrics{};
  ::GetTextMetricsA(dc.get(), &metrics);
  const LRESULT last = ::SendMessageA(memo, EM_POSFROMCHAR,
                                      static_cast<WPARAM>(::SendMessageA(memo, EM_LINEINDEX, 13, 0)), 0);
  EXPECT_LE(static_cast<short>(HIWORD(last)) + metrics.tmHeight, client.bottom) << "the last line shows whole";
  // Where the system has the font the memo asks for, it keeps its stored size.
  char face[LF_FACESIZE] = {};
  ::GetTextFaceA(dc.get(), LF_FACESIZE, face);
  if (std::string(face) == "MS Sans Serif") {
    EXPECT_EQ(f.Memo1->Font().Height(), -11);
  } else {
    EXPECT_LT(f.Memo1->Font().Height(), -8) << "still readable";
  }
  // The window as the screen shows it, kept beside the end-to-end screenshots.
  ASSERT_TRUE(qftest::Activate(f.Handle()));
  ::RedrawWindow(f.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
  qftest::PumpUntil([] { return false; }, 300);
  RECT outer{};
  ::GetWindowRect(f.Handle(), &outer);
  TBitmap shot(outer.right - outer.left, outer.bottom - outer.top);
  TWindowDC screen(nullptr);
  ::BitBlt(shot.Canvas().Handle(), 0, 0, shot.Width(), shot.Height(), screen.get(), outer.left, outer.top, SRCCOPY);
  std::filesystem::create_directories(std::string(QF_E2E_DIR).substr(2));
  EXPECT_TRUE(shot.SaveToFile(std::string(QF_E2E_DIR) + "/main-window-readme.bmp"));
}
