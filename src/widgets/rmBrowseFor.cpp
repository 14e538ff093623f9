#include "rmBrowseFor.h"

#ifdef _WIN32
#include "Forms.h"
#endif

namespace quillfen::widgets {

int RootFolderId(TbfRoot root) {
  switch (root) {
    case bfrMyComputer: return 0x0011;           // CSIDL_DRIVES
    case bfrNetworkNeighborhood: return 0x0012;  // CSIDL_NETWORK
    case bfrPrinters: return 0x0004;             // CSIDL_PRINTERS
    case bfrDesktop: break;
  }
  return -1;
}

unsigned BrowseFlags(TbfType type) {
  switch (type) {
    case bftFolders: return 0x0001;        // BIF_RETURNONLYFSDIRS
    case bftPrinters: return 0x2000;       // BIF_BROWSEFORPRINTER
    case bftComputers: return 0x1000;      // BIF_BROWSEFORCOMPUTER
    case bftFileorFolders: return 0x4000;  // BIF_BROWSEINCLUDEFILES
  }
  return 0;
}

#ifdef _WIN32

HRESULT TShellBrowser::GetSpecialFolderLocation(HWND owner, int folder, LPITEMIDLIST* list) {
  return ::SHGetSpecialFolderLocation(owner, folder, list);
}

LPITEMIDLIST TShellBrowser::BrowseForFolder(BROWSEINFOA* info) { return ::SHBrowseForFolderA(info); }

bool TShellBrowser::GetPathFromIDList(LPCITEMIDLIST list, char* path) {
  return ::SHGetPathFromIDListA(list, path) != FALSE;
}

void TShellBrowser::Free(LPITEMIDLIST list) {
  if (!list) return;
  IMalloc* allocator = nullptr;
  if (SUCCEEDED(::SHGetMalloc(&allocator)) && allocator) {
    allocator->Free(list);
    allocator->Release();
  }
}

LRESULT TShellBrowser::SendToBrowser(HWND browser, UINT message, WPARAM wParam, LPARAM lParam) {
  return ::SendMessageA(browser, message, wParam, lParam);
}

namespace {
// Frees one identifier list when the browse ends, however it ends.
class TItemList {
 public:
  TItemList(TShellBrowser& shell, LPITEMIDLIST list) : shell_(shell), list_(list) {}
  TItemList(const TItemList&) = delete;
  TItemList& operator=(const TItemList&) = delete;
  ~TItemList() { shell_.Free(list_); }
  LPITEMIDLIST get() const { return list_; }

 private:
  TShellBrowser& shell_;
  LPITEMIDLIST list_;
};
}  // namespace

TShellBrowser& TrmBrowseForFolder::Shell() {
  static TShellBrowser real;
  return shell_ ? *shell_ : real;
}

int CALLBACK TrmBrowseForFolder::Callback(HWND browser, UINT message, LPARAM, LPARAM data) {
  auto* self = reinterpret_cast<TrmBrowseForFolder*>(data);
  if (message == BFFM_INITIALIZED && self && !self->SelectedFolder.empty())
    self->Shell().SendToBrowser(browser, BFFM_SETSELECTIONA, TRUE,
                                reinterpret_cast<LPARAM>(self->SelectedFolder.c_str()));
  return 0;
}

bool TrmBrowseForFolder::Execute() {
  TShellBrowser& shell = Shell();
  HWND owner = vcl::Application().Handle();
  char buffer[MAX_PATH + 1] = {};
  LPITEMIDLIST root = nullptr;
  const int folder = RootFolderId(RootNode);
  // Without the special folder the browser starts at the desktop.
  if (folder >= 0 && FAILED(shell.GetSpecialFolderLocation(owner, folder, &root))) root = nullptr;
  TItemList rootList(shell, root);

  BROWSEINFOA info{};
  info.hwndOwner = owner;
  info.pidlRoot = root;
  info.pszDisplayName = buffer;
  info.lpszTitle = Title.c_str();
  info.ulFlags = BrowseFlags(BrowseForType);
  info.lpfn = &TrmBrowseForFolder::Callback;
  info.lParam = reinterpret_cast<LPARAM>(this);
  TItemList item(shell, shell.BrowseForFolder(&info));
  if (!item.get()) return false;
  // No path: the buffer holds a display name ("My Computer"), which would replace the last real folder.
  if (!shell.GetPathFromIDList(item.get(), buffer)) return false;
  buffer[MAX_PATH] = '\0';
  SelectedFolder = buffer;
  return true;
}

#endif

}  // namespace quillfen::widgets
