#ifndef LUM_WINDOW_LAYEREDSKIN_H
#define LUM_WINDOW_LAYEREDSKIN_H

#include <windows.h>

// The skin's two pictures, below the window that shows them: the one a plain
// window paints, and the layered window's.

// Draws the skin at the window's origin: the mask keeps the see-through
// pixels of whatever the device already holds, the picture fills the rest.
void PaintSkin(HDC device);

// Since Vista, and always since Windows 8, a compositor puts each window's own
// surface on the screen, and a pixel a window never paints comes out black.
// A layered window hands the system its picture with an alpha per pixel
// instead, and the compositor shows what lies beneath where that alpha is low.

// Paints the skin into a new 32-bit picture selected into device, a memory
// device context: PaintSkin's two passes, then alpha 255 where the mask is
// black and, where it is white, colour 0 at alpha 1 (premultiplied). Alpha 1
// is invisible, yet unlike alpha 0 or a colour key it keeps the pixel part of
// the window, so a press there still reaches it. The caller deletes the
// picture; nullptr when there is no memory for it.
HBITMAP PaintLayeredPicture(HDC device);

// Makes the window layered and hands it the skin's picture, whose own copy the
// system keeps, so the picture is freed at once: 1. When the system refuses
// the style or the picture, the window is left as it was, a plain window that
// paints the skin itself: 0.
int LayerSkinWindow(HWND window);

#endif
