// The windows built in-process from the program's own resources: their
// stored layout, the ways a project reaches the main window (the browser's
// start folder, a dropped folder or file, an invalid choice after a valid
// one), and the exact report from the main window's button to its dialog,
// names beyond ASCII included.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

#include "Demo.h"
#include "Dialogs.h"
#include "ExactReport.h"
#include "ExtCtrls.h"
#include "Graphics.h"
#include "Platform.h"
#include "ProDlgs.h"
#include "ProStBar.h"
#include "ProUrl.h"
#include "ReportGame.h"
#include "TextDecode.h"
#include "WinTestSupport.h"
#include "XPMenu.h"
#include "importfrm.h"
#include "mainfrm.h"
#include "reportfrm.h"
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
using quillfen::app::TfrmReport;

std::string Native(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

void SetRegistryValue(const char* name, const std::string& value,
                      const char* keyName = "Software\\ASCII\\RPG2000") {
  HKEY key = nullptr;
  ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, keyName, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
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
    report_ = Application().CreateForm<TfrmReport>();
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
  static TfrmReport* report_;
};
std::string* AppForms::dir_ = nullptr;
DemoLayout* AppForms::demo_ = nullptr;
TfrmMain* AppForms::main_ = nullptr;
TfrmImportFiles* AppForms::import_ = nullptr;
TfrmReport* AppForms::report_ = nullptr;

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
  EXPECT_EQ(bounds(f.btnReport), (TRect{360, 64, 473, 89}));
  EXPECT_EQ(f.btnReport->Caption(), "Exact Report...");
  EXPECT_FALSE(f.btnReport->Enabled());
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
  EXPECT_TRUE(f.btnReport->Enabled());

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
  bool reportEnabled = true;
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
      seen->reportEnabled = main->btnReport->Enabled();
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
  EXPECT_EQ(f.btnReport->TabOrder(), 6);

  const bool scanEnabled = f.btnScan->Enabled(), reportEnabled = f.btnReport->Enabled();
  f.btnScan->SetEnabled(true);
  f.btnReport->SetEnabled(true);
  ASSERT_TRUE(qftest::Activate(f.Handle()));
  ::SetFocus(f.btnExit->Handle());
  EXPECT_EQ(FocusAfterEachPress(5),
            (std::vector<std::string>{"btnReport", "Memo1", "txtProject", "btnScan", "btnExit"}));
  // Before a project is loaded "Begin Scan" and "Exact Report..." are passed over.
  f.btnScan->SetEnabled(false);
  f.btnReport->SetEnabled(false);
  EXPECT_EQ(FocusAfterEachPress(3), (std::vector<std::string>{"Memo1", "txtProject", "btnExit"}));
  EXPECT_EQ(FocusAfterEachPress(3, true), (std::vector<std::string>{"txtProject", "Memo1", "btnExit"}));
  f.btnScan->SetEnabled(scanEnabled);
  f.btnReport->SetEnabled(reportEnabled);

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
    return f.btnScan->Enabled() && f.btnExit->Enabled() && f.txtProject->Enabled() && f.btnReport->Enabled() &&
           ::IsWindowEnabled(f.Handle()) && !f.Busy() && f.prog->Percent() == 0;
  };
  TDuringImport first = ScanOnce(f, d);
  ASSERT_TRUE(first.shown);
  EXPECT_TRUE(seen.empty());
  EXPECT_FALSE(first.scanEnabled || first.exitEnabled || first.projectEnabled || first.mainEnabled ||
               first.reportEnabled);
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

// The registry the report reads, as a table.
class TTableRegistry : public Registry {
 public:
  std::map<std::string, std::map<std::string, std::string>> keys;
  bool KeyExists(const std::string& key) const override { return keys.count(key) != 0; }
  std::optional<std::string> ReadString(const std::string& key, const std::string& name) const override {
    auto k = keys.find(key);
    if (k == keys.end()) return std::nullopt;
    auto v = k->second.find(name);
    return v == k->second.end() ? std::nullopt : std::optional<std::string>(v->second);
  }
};

// Notes what the report tells the main window.
class TRecordingHost : public ScanHost {
 public:
  std::vector<std::string> statuses;
  std::vector<int> percents;
  std::vector<TRecordedDialog> stops;
  void ReportStop(std::string_view title, std::string_view message) override {
    stops.push_back({std::string(title), std::string(message)});
  }
  void ReportInfo(std::string_view, std::string_view) override {}
  void SetStatus(std::string_view text) override { statuses.emplace_back(text); }
  void SetProgress(int percent) override { percents.push_back(percent); }
  void SetLocked(bool) override {}
  std::string ProjectFolder() override { return {}; }
  void ProjectChosen(const std::string&) override {}
  void Import(const StringList&, const std::string&, const std::string&) override {}
};

std::string Folder(const fs::path& path) { return Native(path.string()) + "\\"; }

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(AppForms, ReportDialogIsBuiltAsItsDescriptionSays) {
  TfrmReport& d = *report_;
  EXPECT_EQ(d.Caption(), "Exact Report");
  EXPECT_EQ(d.BorderIcons(), 0u);
  EXPECT_EQ(d.BorderStyle(), TFormBorderStyle::bsSingle);
  EXPECT_FALSE(d.Visible());
  // lstNeeded is the first list box of the dialog.
  std::vector<std::string> lists;
  for (int i = 0; i < d.ComponentCount(); ++i)
    if (dynamic_cast<TListBox*>(d.Components(i))) lists.push_back(d.Components(i)->Name());
  EXPECT_EQ(lists, (std::vector<std::string>{"lstNeeded", "lstMissing"}));
  EXPECT_TRUE(d.lstNeeded->MultiSelect());
  EXPECT_FALSE(d.lstMissing->MultiSelect());
  EXPECT_EQ(d.btnAdd->Caption(), "Add Files");
  EXPECT_EQ(d.btnAdd->ModalResult(), mrOk);
  EXPECT_EQ(d.btnClose->Caption(), "Close");
  EXPECT_EQ(d.btnClose->ModalResult(), mrCancel);
  EXPECT_EQ(d.btnSave->Caption(), "Save Report...");
  EXPECT_EQ(d.btnSave->ModalResult(), mrNone);
  EXPECT_EQ(d.ckUpdateINI->Caption(), import_->ckUpdateINI->Caption());
  EXPECT_EQ(d.ckAddHarmony->Caption(), import_->ckAddHarmony->Caption());
  EXPECT_FALSE(d.ckUpdateINI->Checked() || d.ckAddHarmony->Checked());
  EXPECT_EQ(d.dlgStop->SoundType, stExclamation);
  EXPECT_EQ(d.dlgSave->DefaultExt, "html");
  EXPECT_TRUE(d.dlgSave->Options & ofOverwritePrompt);
  auto* xp = dynamic_cast<TXPMenu*>(d.FindComponent("xpsys"));
  ASSERT_NE(xp, nullptr);
  EXPECT_TRUE(xp->Active());
  EXPECT_EQ(d.lstNeeded->TabOrder(), 0);
  EXPECT_EQ(d.btnAdd->TabOrder(), 1);
  EXPECT_EQ(d.btnClose->TabOrder(), 2);
  EXPECT_EQ(d.btnSave->TabOrder(), 3);
  EXPECT_EQ(d.ckAddHarmony->TabOrder(), 6);
}

TEST_F(AppForms, ExactReportReadsFileByFileAndStopsOnlyWhenNothingCanBeRead) {
  const quillfen::testing::ReportGame g = quillfen::testing::WriteReportGame(*dir_ + "\\ReadFiles");
  auto files = MakeFileSystem();
  TTableRegistry registry;
  registry.keys["Software\\Enterbrain\\RPG2003"]["RuntimePackagePath"] = Native(g.rtp2003.string());

  // The 2000 RTP of the scan is not a 2003 game's.
  TRecordingHost host;
  auto run = app::RunExactReport(host, *files, registry, Folder(g.project), Folder(g.rtp2000));
  ASSERT_TRUE(run);
  EXPECT_TRUE(host.stops.empty());
  EXPECT_EQ(host.statuses, (std::vector<std::string>{"Reading RPG_RT.ldb...", "Reading RPG_RT.lmt...",
                                                     "Reading Map0001.lmu...", "Reading Map0002.lmu...",
                                                     "Looking up the files...", "Report complete"}));
  EXPECT_EQ(host.percents, (std::vector<int>{0, 0, 50, 50, 75, 100}));
  EXPECT_EQ(run->rtp.folder, Folder(g.rtp2003));
  EXPECT_EQ(run->rtp.source, "HKEY_CURRENT_USER\\Software\\Enterbrain\\RPG2003");
  EXPECT_TRUE(run->report.is2003);
  EXPECT_EQ(run->report.needed, g.needed);
  EXPECT_EQ(run->report.missing, g.missing);
  EXPECT_TRUE(run->report.problems.empty());

  // A 2000 game takes the scan's RTP; without a 2003 key a 2003 game has none.
  EXPECT_EQ(app::LocateReportRtp(false, Folder(g.rtp2000), registry, *files).folder, Folder(g.rtp2000));
  EXPECT_EQ(app::LocateReportRtp(true, Folder(g.rtp2000), TTableRegistry{}, *files).folder, "");

  // A damaged map: the rest is reported, and the file and offset are named.
  const std::string map2 = ReadAll(g.project / "Map0002.lmu");
  quillfen::testing::WriteFile(g.project / "Map0002.lmu", map2.substr(0, map2.size() - 4));
  host = {};
  run = app::RunExactReport(host, *files, registry, Folder(g.project), "");
  ASSERT_TRUE(run);
  EXPECT_TRUE(host.stops.empty());
  EXPECT_EQ(run->report.needed, g.needed);
  ASSERT_FALSE(run->report.problems.empty());
  EXPECT_EQ(run->report.problems[0].file, "Map0002.lmu");
  EXPECT_NE(run->report.problems[0].offset, lcf::Problem::kNoOffset);
  report_->Fill(*run);
  // The long place of Panorama\Clouds can be scrolled to.
  EXPECT_GT(report_->lstMissing->ScrollWidth(), report_->lstMissing->Width());
  EXPECT_EQ(report_->lblProblems->Caption().rfind("Damaged: Map0002.lmu, offset ", 0), 0u)
      << report_->lblProblems->Caption();

  // Nothing readable at all: a stop message that names the file.
  quillfen::testing::WriteFile(g.project / "RPG_RT.ldb", "not a database");
  quillfen::testing::WriteFile(g.project / "RPG_RT.lmt", "nor a map tree");
  fs::remove(g.project / "Map0001.lmu");
  fs::remove(g.project / "Map0002.lmu");
  host = {};
  EXPECT_FALSE(app::RunExactReport(host, *files, registry, Folder(g.project), ""));
  ASSERT_EQ(host.stops.size(), 1u);
  EXPECT_EQ(host.stops[0].caption, "Project Not Readable");
  EXPECT_EQ(host.stops[0].message.rfind("The project's database files could not be read, so there is "
                                        "nothing to report. RPG_RT.ldb",
                                        0),
            0u)
      << host.stops[0].message;

  host = {};
  EXPECT_FALSE(app::RunExactReport(host, *files, registry, *dir_ + "\\Vanished\\", ""));
  ASSERT_EQ(host.stops.size(), 1u);
  EXPECT_EQ(host.stops[0].caption, "Project Not Found");
}

// What the windows looked like while the report dialog was up.
struct TDuringReport {
  bool shown = false, locked = false, busy = false, closeRefused = false;
  std::vector<std::string> needed, missing;
  std::vector<bool> selected;
  std::string counts, rtp, status;
};

TEST_F(AppForms, ExactReportShowsItsListsCopiesAsTheImportDialogAndAsksBeforeTheFlag) {
  TfrmMain& f = *main_;
  TfrmReport& d = *report_;
  const quillfen::testing::ReportGame g = quillfen::testing::WriteReportGame(*dir_ + "\\Dialog");
  SetRegistryValue("RuntimePackagePath", Native(g.rtp2003.string()), "Software\\Enterbrain\\RPG2003");
  std::vector<TRecordedDialog> stops, infos, questions;
  RecordDialogs(*f.dlgStop, stops);
  RecordDialogs(*d.dlgStop, stops);
  d.dlgInfo->OnShowDialog = [&](TCommonDialogForm& form) {
    infos.push_back({form.Caption(), d.dlgInfo->InfoMessage});
    form.SetModalResult(mrOk);
  };
  TModalResult answer = mrNo;
  d.dlgAsk->OnShowDialog = [&](TCommonDialogForm& form) {
    questions.push_back({form.Caption(), d.dlgAsk->QuestionMessage});
    form.SetModalResult(answer);
  };
  const std::string page = *dir_ + "\\report.html";
  TSaveDialog::SetAnswer([&](TSaveDialog& dialog) {
    EXPECT_EQ(dialog.InitialDir, Folder(g.project));
    return std::optional<std::string>(page);
  });
  f.OpenProject(Native(g.project.string()));
  ASSERT_TRUE(f.btnReport->Enabled());

  d.ckUpdateINI->SetChecked(true);
  TDuringReport seen;
  {
    qftest::TDeferred act([&] {
      seen.shown = d.Modal();
      seen.locked = !f.btnScan->Enabled() && !f.btnExit->Enabled() && !f.txtProject->Enabled() &&
                    !f.btnReport->Enabled();
      seen.busy = f.Busy();
      bool canClose = true;
      f.FormCloseQuery(&f, canClose);
      seen.closeRefused = !canClose;
      seen.needed = d.lstNeeded->Items();
      for (int i = 0; i < d.lstNeeded->Count(); ++i) seen.selected.push_back(d.lstNeeded->Selected(i));
      seen.missing = d.lstMissing->Items();
      seen.counts = d.lblCounts->Caption();
      seen.rtp = d.lblRtp->Caption();
      seen.status = f.status->Panel(0).Text;
      d.btnSave->Click();
      // The first file turns up meanwhile: the author's copy stays.
      quillfen::testing::WriteFile(g.project / "CharSet" / "Hero1.png", "the author's own");
      d.lstNeeded->SetSelected(d.lstNeeded->Count() - 1, false);  // System\System.png stays out
      qftest::PostClick(d.btnAdd->Handle(), 10, 10);
    }, 100);
    f.btnReport->Click();
  }
  ASSERT_TRUE(seen.shown);
  EXPECT_TRUE(seen.locked);
  EXPECT_TRUE(seen.busy);
  EXPECT_EQ(seen.needed, g.needed);
  EXPECT_EQ(seen.selected, std::vector<bool>(g.needed.size(), true));
  EXPECT_EQ(seen.missing,
            (std::vector<std::string>{
                "Monster\\Slime: RPG_RT.ldb, enemy 1 'Slime': battler",
                "Panorama\\Clouds: Map0001.lmu, event 1 'EV0001', page 1, command 2: Change Parallax "
                "Background (and 1 more place)"}));
  EXPECT_EQ(seen.counts,
            "13 references: 2 in the project, 8 from the RTP, 3 missing; 1 unused project file; "
            "1 name built at run time");
  EXPECT_EQ(seen.rtp, "RTP of RPG Maker 2003: " + Folder(g.rtp2003) +
                          " (from HKEY_CURRENT_USER\\Software\\Enterbrain\\RPG2003)");
  EXPECT_EQ(seen.status, "Report complete");

  EXPECT_TRUE(seen.closeRefused);
  // The refused close, then the import dialog's messages in its order; the flag was refused.
  ASSERT_EQ(stops.size(), 2u);
  EXPECT_EQ(stops[0].caption, "Cannot Exit!");
  EXPECT_EQ(stops[1].caption, "Could Not Copy File");
  ASSERT_EQ(infos.size(), 1u);
  EXPECT_EQ(infos[0].caption, "Finished");
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0].caption, "Files Still Missing");
  // The three missing references and the system graphic left out.
  EXPECT_EQ(questions[0].message.rfind("4 references name files that your project does not hold, and 1 name "
                                       "is built while the game runs",
                                       0),
            0u)
      << questions[0].message;
  EXPECT_EQ(ReadAll(g.project / "CharSet" / "Hero1.png"), "the author's own");
  EXPECT_EQ(ReadAll(g.project / "Sound" / "Door.wav"), "2003 Sound/Door.wav");
  EXPECT_FALSE(fs::exists(g.project / "System" / "System.png"));
  EXPECT_EQ(ReadAll(g.project / "RPG_RT.ini"), "[RPG_RT]\r\nGameTitle=Report\r\n");
  EXPECT_FALSE(f.Busy());
  EXPECT_TRUE(f.btnReport->Enabled() && f.btnScan->Enabled() && f.btnExit->Enabled());
  EXPECT_EQ(f.prog->Percent(), 0);
  const std::string html = ReadAll(page);
  EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(html.find("Panorama"), std::string::npos);

  // Closed with "Close" and answered yes: the flag is set, nothing copied.
  answer = mrYes;
  questions.clear();
  {
    qftest::TDeferred close([&] { qftest::PostClick(d.btnClose->Handle(), 10, 10); }, 100);
    f.btnReport->Click();
  }
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_FALSE(fs::exists(g.project / "System" / "System.png"));
  EXPECT_EQ(ReadAll(g.project / "RPG_RT.ini"), "[RPG_RT]\r\nGameTitle=Report\r\nFullPackageFlag=1\r\n");

  TSaveDialog::SetAnswer({});
  d.ckUpdateINI->SetChecked(false);
  d.dlgInfo->OnShowDialog = nullptr;
  d.dlgAsk->OnShowDialog = nullptr;
  d.dlgStop->OnShowDialog = nullptr;
  f.dlgStop->OnShowDialog = nullptr;
  f.OpenProject(demo_->projectFolder);
}

// A 2003 game of one map whose actor's face has the name faceBytes, in the
// game's own code page.
fs::path WriteFaceGame(const fs::path& root, const std::string& faceBytes) {
  using namespace lcf;
  using quillfen::testing::WriteFile;
  namespace actor = chunk::Actor;
  namespace database = chunk::Database;
  const std::string actors = Array(
      {Chunks().Str(actor::kName, "Alex").Str(actor::kFaceName, faceBytes).Int(actor::kFaceIndex, 0).Finish()});
  const fs::path project = root / "Game";
  // The battle commands make it a 2003 database.
  const std::string body =
      Chunks().Raw(database::kActors, actors).Raw(database::kBattleCommands, Chunks().Finish()).Finish();
  WriteFile(project / "RPG_RT.ldb", Header(kDatabaseSignature) + body);
  WriteFile(project / "RPG_RT.lmt", quillfen::testing::MapTree({{1, "Town", 1, 0, "", 0, ""}}));
  WriteFile(project / "Map0001.lmu", quillfen::testing::MapUnit(false, "", {}));
  WriteFile(project / "RPG_RT.ini", "[RPG_RT]\r\nGameTitle=Faces\r\n");
  return project;
}

// A path as the ANSI calls take it (path::string() gives UTF-8 here).
std::string Ansi(const fs::path& path) {
  const std::wstring& wide = path.native();
  const int length =
      ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(), length, nullptr, nullptr);
  return Native(ansi);
}

// Notes the messages of an import.
class TRecordingReporter : public Reporter {
 public:
  std::vector<TRecordedDialog> stops, infos;
  void ReportStop(std::string_view title, std::string_view message) override {
    stops.push_back({std::string(title), std::string(message)});
  }
  void ReportInfo(std::string_view title, std::string_view message) override {
    infos.push_back({std::string(title), std::string(message)});
  }
};

// Names are decoded from the game's code page and compared with every letter
// folded, as the command line compares them; the lists show them in the
// ANSI code page, and a file whose name that code page cannot write is said
// so, not copied under a near name.
TEST_F(AppForms, ExactReportFindsAndCopiesNamesBeyondAsciiCase) {
  TfrmMain& f = *main_;
  TfrmReport& d = *report_;
  const std::optional<CodePage> ansi = AnsiCodePage();
  const std::optional<std::string> elanAnsi =
      ansi ? EncodeFromUtf8("\xC3\x89lan.png", *ansi) : std::nullopt;  // Élan.png
  if (!elanAnsi || !EncodeFromUtf8("\xC3\xA9", *ansi) || EncodeFromUtf8("\xE3\x82\xBD", *ansi)) {  // é, ソ
    GTEST_SKIP() << "needs an ANSI code page with É and é and without katakana";
  }

  // "élan" in cp1252; the RTP's file is "Élan.png", which ASCII folding
  // misses. The folders are in the ANSI code page.
  const fs::path root = fs::path(*dir_) / L"Acc\u00E9nts";
  const fs::path project = WriteFaceGame(root, "\xE9lan");
  const fs::path rtp = root / "RTP2003";
  quillfen::testing::WriteFile(rtp / L"FaceSet" / L"\u00C9lan.png", "2003 face");
  SetRegistryValue("RuntimePackagePath", Ansi(rtp), "Software\\Enterbrain\\RPG2003");
  std::vector<TRecordedDialog> stops, infos;
  RecordDialogs(*f.dlgStop, stops);
  RecordDialogs(*d.dlgStop, stops);
  d.dlgInfo->OnShowDialog = [&](TCommonDialogForm& form) {
    infos.push_back({form.Caption(), d.dlgInfo->InfoMessage});
    form.SetModalResult(mrOk);
  };
  f.OpenProject(Ansi(project));
  ASSERT_TRUE(f.btnReport->Enabled());
  std::vector<std::string> shown, missing;
  {
    qftest::TDeferred act([&] {
      shown = d.lstNeeded->Items();
      missing = d.lstMissing->Items();
      qftest::PostClick(d.btnAdd->Handle(), 10, 10);
    }, 100);
    f.btnReport->Click();
  }
  EXPECT_EQ(shown, std::vector<std::string>{"FaceSet\\" + *elanAnsi});
  EXPECT_TRUE(missing.empty());
  EXPECT_TRUE(stops.empty()) << stops[0].message;
  ASSERT_EQ(infos.size(), 1u);
  EXPECT_EQ(infos[0].caption, "Finished");
  EXPECT_EQ(ReadAll(project / L"FaceSet" / L"\u00C9lan.png"), "2003 face");

  // The page is UTF-8, names and folders alike.
  TRecordingHost host;
  auto files = MakeFileSystem();
  TTableRegistry registry;
  registry.keys["Software\\Enterbrain\\RPG2003"]["RuntimePackagePath"] = Ansi(rtp);
  auto run = app::RunExactReport(host, *files, registry, Ansi(project) + "\\", "");
  ASSERT_TRUE(run);
  EXPECT_EQ(run->report.encoding, "cp1252");
  const std::string page = app::ReportPage(*run);
  EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string::npos);
  EXPECT_NE(page.find("\xC3\xA9lan"), std::string::npos);  // élan as the game names it
  EXPECT_NE(page.find("Acc\xC3\xA9nts\\Game"), std::string::npos);

  // A Japanese game on this system: its face "ソード" (Shift-JIS) is found
  // and listed, but the ANSI file calls cannot name the file.
  const fs::path japanese = WriteFaceGame(root / "Japanese", "\x83\x5C\x81\x5B\x83\x68");
  const std::wstring sword = L"\u30BD\u30FC\u30C9.png";
  quillfen::testing::WriteFile(rtp / L"FaceSet" / sword, "2003 sword");
  run = app::RunExactReport(host, *files, registry, Ansi(japanese) + "\\", "");
  ASSERT_TRUE(run);
  EXPECT_EQ(run->report.needed, std::vector<std::string>{"FaceSet\\\xE3\x82\xBD\xE3\x83\xBC\xE3\x83\x89.png"});
  d.Fill(*run);
  EXPECT_EQ(d.lstNeeded->Items(), std::vector<std::string>{"FaceSet\\???.png"});
  EXPECT_TRUE(d.lstMissing->Items().empty());
  TRecordingReporter reporter;
  const bool harmony = d.ckAddHarmony->Checked(), ini = d.ckUpdateINI->Checked();
  d.ckAddHarmony->SetChecked(false);
  d.ckUpdateINI->SetChecked(false);
  app::CarryOutImport({d.lstNeeded, {}, d.ckAddHarmony, d.ckUpdateINI, {}, false, run->report.needed}, mrOk,
                      reporter, run->rtp.folder, run->projectFolder);
  d.ckAddHarmony->SetChecked(harmony);
  d.ckUpdateINI->SetChecked(ini);
  ASSERT_EQ(reporter.stops.size(), 1u);
  EXPECT_EQ(reporter.stops[0].caption, "Could Not Copy File");
  EXPECT_EQ(reporter.stops[0].message, "The file '" + Ansi(rtp) + "\\" +
                                           "FaceSet\\???.png' could not be copied: its name has characters that "
                                           "the system's code page cannot write!");
  ASSERT_EQ(reporter.infos.size(), 1u);
  EXPECT_EQ(reporter.infos[0].caption, "Finished");
  EXPECT_FALSE(fs::exists(japanese / "FaceSet"));

  d.dlgInfo->OnShowDialog = nullptr;
  d.dlgStop->OnShowDialog = nullptr;
  f.dlgStop->OnShowDialog = nullptr;
  f.OpenProject(demo_->projectFolder);
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
