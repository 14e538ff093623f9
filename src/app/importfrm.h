// The import dialog: lists the files a scan found, copies the selected ones
// into the project, and adds Harmony.dll and the full-package flag when its
// check boxes say so. Created once at start-up and only hidden between
// scans, so the check boxes keep their state.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "Forms.h"
#include "Host.h"
#include "StdCtrls.h"
#include "StringList.h"

namespace quillfen::widgets {
class TProStopDialog;
class TProInfoDialog;
}  // namespace quillfen::widgets

namespace quillfen::app {

class TfrmImportFiles : public vcl::TForm, public Reporter {
 public:
  explicit TfrmImportFiles(vcl::TComponent* owner);
  ~TfrmImportFiles() override;
  std::string ClassName() const override { return "TfrmImportFiles"; }

  vcl::TLabel* lblInfo = nullptr;
  vcl::TGroupBox* grpFound = nullptr;
  vcl::TListBox* lstFiles = nullptr;
  vcl::TButton* btnAdd = nullptr;
  vcl::TButton* btnClose = nullptr;
  vcl::TCheckBox* ckUpdateINI = nullptr;
  vcl::TCheckBox* ckAddHarmony = nullptr;
  widgets::TProInfoDialog* dlgInfo = nullptr;
  widgets::TProStopDialog* dlgStop = nullptr;

  // Shows the found files modally and carries out the user's choice.
  // foundEditorFolder: the editor folder found with the RTP, for Harmony.dll
  // where the editor's key is absent.
  void ImportFiles(const StringList& found, const std::string& rtpPath, const std::string& projectFolder,
                   const std::string& foundEditorFolder = {});

  void ReportStop(std::string_view title, std::string_view message) override;
  void ReportInfo(std::string_view title, std::string_view message) override;
};

// What a dialog that offers RTP files does once the user closed it with
// result: "Add Files" (mrOk) copies the entries selected in files from the
// RTP, with locked disabled meanwhile; then, whatever the result, the check
// boxes add Harmony.dll and set the full-package flag, the flag only when
// mayMarkFullPackage (if given) agrees. Messages go to reporter; an entry
// whose name the ANSI file calls cannot write gets a copy failure's.
struct TImportChoice {
  vcl::TListBox* files = nullptr;
  std::vector<vcl::TControl*> locked;
  vcl::TCheckBox* addHarmony = nullptr;
  vcl::TCheckBox* updateIni = nullptr;
  std::string editorFolder;  // Harmony.dll's source found with the RTP
  bool scanKeyFirst = true;  // the word scan's editor key, while it exists, comes first
  // Where the items only show the entries (UTF-8 names in the ANSI code
  // page): the entries, one per item. Empty: the items are the entries.
  std::vector<std::string> utf8Entries;
};
void CarryOutImport(const TImportChoice& choice, vcl::TModalResult result, Reporter& reporter,
                    const std::string& rtpPath, const std::string& projectFolder,
                    const std::function<bool()>& mayMarkFullPackage = {});

// The import dialog once the application created it (null before).
TfrmImportFiles* frmImportFiles();

}  // namespace quillfen::app
