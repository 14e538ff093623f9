// Quillfen.exe: sets the title, creates the main window and the import
// dialog, opens a project given on the command line, and runs until the
// main window closes.
#include "WinApi.h"

#include <cstdlib>
#include <string>

#include "Forms.h"
#include "ProVCL.h"
#include "importfrm.h"
#include "mainfrm.h"
#include "reportfrm.h"

using namespace quillfen;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  vcl::TApplication& application = vcl::Application();
  try {
    application.SetTitle("Quillfen");
    widgets::RegisterProCursors();
    auto* main = application.CreateForm<app::TfrmMain>();
    application.CreateForm<app::TfrmImportFiles>();
    application.CreateForm<app::TfrmReport>();
    main->Show();
    // Quillfen.exe C:\Games\MyGame: as if that folder had been chosen.
    if (__argc > 1 && __argv[1] && *__argv[1]) main->OpenProject(__argv[1]);
    application.Run();
  } catch (const std::exception& error) {
    ::MessageBoxA(nullptr, error.what(), "Quillfen", MB_OK | MB_ICONSTOP | MB_TASKMODAL);
    application.FreeForms();
    return 1;
  }
  application.FreeForms();
  return 0;
}
