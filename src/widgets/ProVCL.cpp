#include "ProVCL.h"

#ifdef _WIN32

#include "Forms.h"

namespace quillfen::widgets {

namespace {

struct TCursorResource {
  int Number;
  const char* Name;
};

constexpr TCursorResource kCursors[] = {
    {crProHandPoint, "PRO_HANDPOINT"},         {crProSmallHandPoint, "PRO_SMALLHANDPOINT"},
    {crProGrabHand, "PRO_GRABHAND"},           {crProGrabHandArrow, "PRO_GRABHANDARROW"},
    {crProDragHand, "PRO_DRAGHAND"},
};

// Start-up registration; the linker keeps this unit whenever a Pro control
// that uses the cursors is linked in.
const int gRegisteredAtStartUp = RegisterProCursors();

}  // namespace

int RegisterProCursors() {
  int found = 0;
  for (const auto& cursor : kCursors) {
    // Shared resource cursors need no DestroyCursor.
    HCURSOR handle = ::LoadCursorA(::GetModuleHandleA(nullptr), cursor.Name);
    if (!handle) continue;
    vcl::Screen().SetCursors(cursor.Number, handle);
    ++found;
  }
  (void)gRegisteredAtStartUp;
  return found;
}

}  // namespace quillfen::widgets

#else

namespace quillfen::widgets {
int RegisterProCursors() { return 0; }
}  // namespace quillfen::widgets

#endif
