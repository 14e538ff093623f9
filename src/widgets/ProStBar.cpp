#include "ProStBar.h"

#ifdef _WIN32

namespace quillfen::widgets {

TProStatusBar::TProStatusBar(vcl::TComponent* owner) : TStatusBar(owner) {
  ControlStyle |= vcl::csAcceptsControls;
}

}  // namespace quillfen::widgets

#endif
