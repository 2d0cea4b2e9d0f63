#ifndef LUM_SKIN_HOTSPOTMAP_H
#define LUM_SKIN_HOTSPOTMAP_H

#include "HotspotTable.h"

#include <cstdint>

// The points strictly inside a rectangle, the only ones FindHotspot finds in
// it, as the pixels x0 <= x < x1, y0 <= y < y1. In 64 bits, so that edges at
// the 32-bit limits cannot wrap.
struct PixelBox {
    int64_t x0, y0, x1, y1;
};

PixelBox HotspotInterior(const HotspotRect& rect);

int IsEmptyBox(const PixelBox& box);

// Who acts where on a width x height skin: for each pixel, top row first, the
// slot of HotspotTable that a press there reaches, or kNoHotspot where a
// press starts a drag.
void MapHotspots(int32_t width, int32_t height, int8_t* map);

// What the map says of one slot.
struct HotspotReach {
    uint64_t onSkin;       // skin pixels strictly inside its rectangle
    uint64_t opaque;       // of these, the ones that are not see-through
    int32_t wholeOnSkin;   // every point strictly inside it is a skin pixel
    uint32_t winners;      // the slots that presses on those pixels reach, one bit each
};

// The reach of every slot of HotspotTable on a skin whose map and mask are
// given; the mask has the skin's layout (SkinImage.mask).
void MeasureHotspots(int32_t width, int32_t height, const int8_t* map, const unsigned char* mask,
                     HotspotReach reach[kMaxHotspots]);

#endif
