#include "framework/ImageListObj.h"

ImageListObj::ImageListObj() : imageList(nullptr) {}

ImageListObj::~ImageListObj() {}

bool ImageListObj::Create(int cx, int cy, UINT flags, int initial, int grow) {
    imageList = ImageList_Create(cx, cy, flags, initial, grow);
    return imageList != nullptr;
}

bool ImageListObj::Destroy() {
    bool destroyed = ImageList_Destroy(imageList) != FALSE;
    imageList = nullptr;
    return destroyed;
}

int ImageListObj::AddIcon(HICON icon) { return ImageList_ReplaceIcon(imageList, -1, icon); }

int ImageListObj::AddMasked(HBITMAP bitmap, COLORREF maskColor) {
    return ImageList_AddMasked(imageList, bitmap, maskColor);
}

COLORREF ImageListObj::SetBkColor(COLORREF color) { return ImageList_SetBkColor(imageList, color); }

bool ImageListObj::SetIconSize(int cx, int cy) {
    return ImageList_SetIconSize(imageList, cx, cy) != FALSE;
}
