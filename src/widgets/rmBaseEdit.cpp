#include "rmBaseEdit.h"

#ifdef _WIN32
namespace quillfen::widgets {

void TrmCustomEdit::WndProc(vcl::TMessage& m) {
  TCustomEdit::WndProc(m);
  if (m.Msg == WM_GETDLGCODE && WantTabs) m.Result |= DLGC_WANTTAB;
}

}  // namespace quillfen::widgets
#endif
