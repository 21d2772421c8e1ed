#pragma once

#include <windows.h>
#include <commctrl.h>

// An image list handle. The list belongs to whatever control it is attached
// to, so the destructor leaves it alone; an owner whose control does not free
// its lists calls Destroy.
class ImageListObj {
  public:
    ImageListObj();
    ImageListObj(const ImageListObj&) = delete;
    ImageListObj& operator=(const ImageListObj&) = delete;
    virtual ~ImageListObj();

    bool Create(int cx, int cy, UINT flags, int initial, int grow);
    bool Destroy();
    HIMAGELIST GetHandle() const { return imageList; }
    int AddIcon(HICON icon);
    int AddMasked(HBITMAP bitmap, COLORREF maskColor);
    COLORREF SetBkColor(COLORREF color);
    bool SetIconSize(int cx, int cy);

  private:
    HIMAGELIST imageList;
};
