#include "ImgList.h"

namespace quillfen::vcl {

TCustomImageList::TCustomImageList(TComponent* owner, int width, int height)
    : TComponent(owner), width_(width), height_(height) {}

TCustomImageList::~TCustomImageList() {
  if (handle_) ::ImageList_Destroy(handle_);
}

void TCustomImageList::Create() {
  if (handle_) return;
  handle_ = ::ImageList_Create(width_, height_, ILC_COLOR24 | ILC_MASK, 4, 4);
  if (!handle_) throw EOutOfResources("Cannot create an image list");
}

HIMAGELIST TCustomImageList::Handle() {
  Create();
  return handle_;
}

void TCustomImageList::SetSize(int width, int height) {
  if (width == width_ && height == height_) return;
  width_ = width;
  height_ = height;
  if (handle_) ::ImageList_Destroy(handle_);
  handle_ = nullptr;
}

int TCustomImageList::Count() const { return handle_ ? ::ImageList_GetImageCount(handle_) : 0; }

int TCustomImageList::AddMasked(TBitmap& bitmap, TColor maskColor) {
  if (bitmap.Empty()) return -1;
  Create();
  // The list copies the pixels, so the bitmap may stay selected in its own DC.
  HBITMAP copy = static_cast<HBITMAP>(::CopyImage(bitmap.Handle(), IMAGE_BITMAP, 0, 0, 0));
  if (!copy) return -1;
  const int index = ::ImageList_AddMasked(handle_, copy, static_cast<COLORREF>(ColorToRGB(maskColor)) & 0xFFFFFF);
  ::DeleteObject(copy);
  return index;
}

void TCustomImageList::Clear() {
  if (handle_) ::ImageList_Remove(handle_, -1);
}

void TCustomImageList::Draw(TGdiCanvas& canvas, int x, int y, int index, bool enabled) const {
  if (!handle_ || index < 0 || index >= Count()) return;
  const UINT style = enabled ? ILD_TRANSPARENT : (ILD_TRANSPARENT | ILD_BLEND50);
  ::ImageList_Draw(handle_, index, canvas.Handle(), x, y, style);
}

}  // namespace quillfen::vcl
