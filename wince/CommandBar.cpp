#include "cecommandbar.h"

#include <commctrl.h>

// Images go through an image list so the bitmaps' magenta background shows as
// transparent, which the toolbar's own bitmap loading cannot do.

namespace {

const COLORREF kTransparent = RGB(255, 0, 255);
const UINT_PTR kImagesSubclassId = 1;
const wchar_t kImagesProperty[] = L"CorvaneBarImages";

LRESULT CALLBACK ImagesSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                    DWORD_PTR data) {
    if (message == WM_NCDESTROY) {
        // A toolbar never frees an image list it was given.
        ImageList_Destroy(reinterpret_cast<HIMAGELIST>(data));
        RemovePropW(hwnd, kImagesProperty);
        RemoveWindowSubclass(hwnd, ImagesSubclassProc, kImagesSubclassId);
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

HIMAGELIST ImagesOf(HWND toolbar, int width, int height, int count) {
    HIMAGELIST own = static_cast<HIMAGELIST>(GetPropW(toolbar, kImagesProperty));
    if (own != nullptr) return own;
    HIMAGELIST images = ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, count, 4);
    if (images == nullptr) return nullptr;
    if (!SetWindowSubclass(toolbar, ImagesSubclassProc, kImagesSubclassId,
                           reinterpret_cast<DWORD_PTR>(images)) ||
        !SetPropW(toolbar, kImagesProperty, images)) {
        RemoveWindowSubclass(toolbar, ImagesSubclassProc, kImagesSubclassId);
        ImageList_Destroy(images);
        return nullptr;
    }
    SendMessageW(toolbar, TB_SETBITMAPSIZE, 0, MAKELPARAM(width, height));
    SendMessageW(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
    return images;
}

}  // namespace

int CommandBar_AddBitmap(HWND hwndCB, HINSTANCE hInst, int idBitmap, int iNumImages,
                         int iImageWidth, int iImageHeight) {
    if (!IsWindow(hwndCB) || iNumImages <= 0 || iImageWidth <= 0 || iImageHeight <= 0) return -1;
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageW(hInst, MAKEINTRESOURCEW(idBitmap), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (bitmap == nullptr) return -1;
    HIMAGELIST images = ImagesOf(hwndCB, iImageWidth, iImageHeight, iNumImages);
    int first = images ? ImageList_AddMasked(images, bitmap, kTransparent) : -1;
    DeleteObject(bitmap);
    return first;
}
