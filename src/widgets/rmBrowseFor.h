// TrmBrowseForFolder: the shell's folder browser as a component.
//
// Every shell call goes through TShellBrowser, so that tests can watch the
// preselection, the callback and the release of every identifier list.
#pragma once

#include <string>

#include "Classes.h"

#ifdef _WIN32
#include "WinApi.h"
#include <shlobj.h>
#endif

namespace quillfen::widgets {

enum TbfType { bftFolders, bftPrinters, bftComputers, bftFileorFolders };
enum TbfRoot { bfrDesktop, bfrMyComputer, bfrNetworkNeighborhood, bfrPrinters };

// The special folder of a root (CSIDL_*), or -1 for the desktop.
int RootFolderId(TbfRoot root);
// The BIF_* flags of a browse type.
unsigned BrowseFlags(TbfType type);

#ifdef _WIN32

// The shell operations of one browse; the base class makes the real calls.
class TShellBrowser {
 public:
  virtual ~TShellBrowser() = default;
  virtual HRESULT GetSpecialFolderLocation(HWND owner, int folder, LPITEMIDLIST* list);
  virtual LPITEMIDLIST BrowseForFolder(BROWSEINFOA* info);
  virtual bool GetPathFromIDList(LPCITEMIDLIST list, char* path);
  // Releases with the shell's allocator.
  virtual void Free(LPITEMIDLIST list);
  // Messages to the open browser (BFFM_SETSELECTION).
  virtual LRESULT SendToBrowser(HWND browser, UINT message, WPARAM wParam, LPARAM lParam);
};

class TrmBrowseForFolder : public vcl::TComponent {
 public:
  explicit TrmBrowseForFolder(vcl::TComponent* owner) : TComponent(owner) {}
  std::string ClassName() const override { return "TrmBrowseForFolder"; }

  TbfType BrowseForType = bftFolders;
  TbfRoot RootNode = bfrDesktop;
  std::string Title;
  // Preselected before Execute; the chosen folder after a successful one.
  std::string SelectedFolder;

  // True when the user chose an item with a file-system path. Cancelling, or
  // an item without a path, returns false and keeps SelectedFolder.
  bool Execute();
  // Null: the real shell. Not owned.
  void SetShell(TShellBrowser* shell) { shell_ = shell; }

 private:
  static int CALLBACK Callback(HWND browser, UINT message, LPARAM lParam, LPARAM data);
  TShellBrowser& Shell();
  TShellBrowser* shell_ = nullptr;
};

#endif

}  // namespace quillfen::widgets
