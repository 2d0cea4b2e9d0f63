// Arbitrary bytes as "lum.ini": the reader must fill the table within its
// bounds, and every lookup around the rectangles it read must answer with a
// slot that really contains the point.
#include "FuzzFolder.h"
#include "HotspotTable.h"

#include <cstdint>
#include <cstring>

static bool Contains(const HotspotRect& r, int64_t x, int64_t y)
{
    return r.left < x && x < r.right && r.top < y && y < r.bottom;
}

static void CheckSlots()
{
    Require(HotspotTable.count >= 0 && HotspotTable.count <= kMaxHotspots, "count out of range");
    for (int i = 0; i < HotspotTable.count; i++) {
        const char* name = HotspotTable.slots[i].name;
        Require(std::memchr(name, '\0', kActionNameSize) != nullptr, "name not terminated");
        HotspotAction action = ClassifyAction(name);
        bool keyword = std::strcmp(name, "MIN") == 0 || std::strcmp(name, "EXIT") == 0;
        Require((action == HotspotAction::PlayFile) != keyword, "keyword misclassified");
    }
}

static void Probe(int64_t x, int64_t y)
{
    if (x < INT32_MIN || x > INT32_MAX || y < INT32_MIN || y > INT32_MAX)
        return;
    int found = FindHotspot(static_cast<int32_t>(x), static_cast<int32_t>(y));
    if (found == kNoHotspot)
        return;
    Require(found >= 0 && found < HotspotTable.count, "FindHotspot gave no slot");
    Require(Contains(HotspotTable.slots[found].rect, x, y), "FindHotspot gave a slot not holding the point");
}

// Points just inside, on and just outside each edge, and the middle.
static void ProbeAroundRectangles()
{
    for (int i = 0; i < HotspotTable.count; i++) {
        const HotspotRect& r = HotspotTable.slots[i].rect;
        const int64_t xs[] = {int64_t(r.left) - 1, r.left, int64_t(r.left) + 1,
                              (int64_t(r.left) + r.right) / 2,
                              int64_t(r.right) - 1, r.right, int64_t(r.right) + 1};
        const int64_t ys[] = {int64_t(r.top) - 1, r.top, int64_t(r.top) + 1,
                              (int64_t(r.top) + r.bottom) / 2,
                              int64_t(r.bottom) - 1, r.bottom, int64_t(r.bottom) + 1};
        for (int64_t x : xs)
            for (int64_t y : ys)
                Probe(x, y);
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ResetSkinModel();
    EnterFuzzFolder();
    WriteFuzzFile(kHotspotFileName, data, size);
    Require(LoadHotspotFile() == 1, "an existing lum.ini failed to load");
    LeaveFuzzFolder();
    CheckSlots();
    ProbeAroundRectangles();
    return 0;
}
