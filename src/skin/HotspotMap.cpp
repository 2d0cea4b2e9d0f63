#include "HotspotMap.h"

#include "SkinImage.h"

#include <algorithm>
#include <cstring>

PixelBox HotspotInterior(const HotspotRect& rect)
{
    return {int64_t(rect.left) + 1, int64_t(rect.top) + 1, rect.right, rect.bottom};
}

int IsEmptyBox(const PixelBox& box)
{
    return box.x0 >= box.x1 || box.y0 >= box.y1;
}

static PixelBox InteriorOnSkin(const HotspotRect& rect, int32_t width, int32_t height)
{
    PixelBox inside = HotspotInterior(rect);
    return {std::max<int64_t>(inside.x0, 0), std::max<int64_t>(inside.y0, 0),
            std::min<int64_t>(inside.x1, width), std::min<int64_t>(inside.y1, height)};
}

// Later slots first, so that where rectangles overlap the earlier line's slot
// is written last and wins, as FindHotspot's search in file order has it.
void MapHotspots(int32_t width, int32_t height, int8_t* map)
{
    uint64_t pixels = uint64_t(width) * uint64_t(height);
    std::memset(map, kNoHotspot, pixels);
    for (int slot = HotspotTable.count - 1; slot >= 0; slot--) {
        PixelBox box = InteriorOnSkin(HotspotTable.slots[slot].rect, width, height);
        if (IsEmptyBox(box))
            continue;
        for (int64_t y = box.y0; y < box.y1; y++)
            std::memset(map + y * width + box.x0, slot, size_t(box.x1 - box.x0));
    }
}

static HotspotReach MeasureSlot(int slot, int32_t width, int32_t height, const int8_t* map,
                                const unsigned char* mask)
{
    HotspotReach reach = {};
    PixelBox inside = HotspotInterior(HotspotTable.slots[slot].rect);
    PixelBox box = InteriorOnSkin(HotspotTable.slots[slot].rect, width, height);
    reach.wholeOnSkin = box.x0 == inside.x0 && box.y0 == inside.y0 && box.x1 == inside.x1 &&
                        box.y1 == inside.y1;
    if (IsEmptyBox(box))
        return reach;
    uint64_t rowBytes = SkinRowBytes(width);
    for (int64_t y = box.y0; y < box.y1; y++) {
        // The mask is stored bottom row first.
        const unsigned char* shade = mask + uint64_t(height - 1 - y) * rowBytes;
        for (int64_t x = box.x0; x < box.x1; x++) {
            reach.winners |= 1u << map[y * width + x];
            reach.opaque += shade[3 * x] != 255;
        }
    }
    reach.onSkin = uint64_t(box.x1 - box.x0) * uint64_t(box.y1 - box.y0);
    return reach;
}

void MeasureHotspots(int32_t width, int32_t height, const int8_t* map, const unsigned char* mask,
                     HotspotReach reach[kMaxHotspots])
{
    for (int slot = 0; slot < HotspotTable.count; slot++)
        reach[slot] = MeasureSlot(slot, width, height, map, mask);
}
