// Who acts where: the map must give, at every pixel, exactly what FindHotspot
// gives there, and the reach of each slot must agree with the map.
#include "HotspotMap.h"
#include "HotspotTable.h"
#include "SkinImage.h"
#include "TestSupport.h"

#include <string>
#include <vector>

namespace {

class HotspotMapTest : public SkinModelTest {
protected:
    static void Table(const std::string& text)
    {
        ReadHotspotText(BytesOf(text), text.size(), &HotspotTable, nullptr, nullptr);
    }

    static void ExpectMapIsFindHotspot(int32_t width, int32_t height)
    {
        std::vector<int8_t> map(size_t(width) * size_t(height), 99);
        MapHotspots(width, height, map.data());
        for (int32_t y = 0; y < height; y++)
            for (int32_t x = 0; x < width; x++)
                ASSERT_EQ(map[size_t(y) * size_t(width) + size_t(x)], FindHotspot(x, y))
                    << "at " << x << ", " << y << " of " << width << " x " << height;
    }
};

TEST_F(HotspotMapTest, MapGivesFindHotspotsAnswerAtEveryPixel)
{
    const char* tables[] = {
        "",
        "a 10 10 40 30\nb 15 15 35 25\nc 30 5 50 20\n\nMIN 0 0 50\nd 90 0 120 20\n",
        "e -5 -5 3 3\nf 60 40 61 41\ng 60 40 62 42\nh 0 0 64 48\n",
        "i -2147483648 -2147483648 2147483647 2147483647\nj 1 1 9 9\n",
        "k 63 47 100 100\nl 62 46 64 48\nm 2147483647 0 -2147483648 9\n",
    };
    for (const char* text : tables) {
        Table(text);
        ExpectMapIsFindHotspot(64, 48);
        ExpectMapIsFindHotspot(1, 1);
        ExpectMapIsFindHotspot(7, 3);
    }
}

TEST_F(HotspotMapTest, ReachCountsPixelsOnTheSkinAndWhoWinsThem)
{
    // 8 x 4 skin whose right half is see-through.
    std::vector<std::vector<uint32_t>> rows(4, std::vector<uint32_t>(8, 0x808080));
    for (auto& row : rows)
        for (int x = 4; x < 8; x++)
            row[x] = kKeyPixel;
    std::string file = MakeSkinFile(8, rows);
    LoadFailure failure;
    ASSERT_EQ(BuildSkinFromBytes(BytesOf(file), file.size(), &failure), 1);
    Table("a -3 -1 3 4\nb 1 0 6 3\nc 4 0 9 3\nd 5 1 7 3\ne 8 0 20 20\nf 0 1 3 9\ng 0 -3 3 2\n");
    std::vector<int8_t> map(32);
    MapHotspots(8, 4, map.data());
    HotspotReach reach[kMaxHotspots];
    MeasureHotspots(8, 4, map.data(), SkinImage.mask, reach);

    EXPECT_EQ(reach[0].onSkin, 12u);  // x 0..2, y 0..3
    EXPECT_EQ(reach[0].opaque, 12u);
    EXPECT_EQ(reach[0].wholeOnSkin, 0);  // from x -2
    EXPECT_EQ(reach[1].wholeOnSkin, 1);
    EXPECT_EQ(reach[0].winners, 1u);
    EXPECT_EQ(reach[1].onSkin, 8u);    // x 2..5, y 1..2
    EXPECT_EQ(reach[1].opaque, 4u);
    EXPECT_EQ(reach[1].winners, 3u);
    EXPECT_EQ(reach[2].onSkin, 6u);    // x 5..7, y 1..2; x 8 is off the skin
    EXPECT_EQ(reach[2].wholeOnSkin, 0);
    EXPECT_EQ(reach[2].opaque, 0u);
    EXPECT_EQ(reach[2].winners, 1u << 1 | 1u << 2);
    EXPECT_EQ(reach[3].onSkin, 1u);    // x 6, y 2, inside c too
    EXPECT_EQ(reach[3].winners, 1u << 2);
    EXPECT_EQ(reach[4].onSkin, 0u);    // from x 9: off the skin
    EXPECT_EQ(reach[4].wholeOnSkin, 0);
    EXPECT_EQ(reach[4].winners, 0u);
    EXPECT_EQ(reach[5].wholeOnSkin, 0);  // down to y 8
    EXPECT_EQ(reach[6].wholeOnSkin, 0);  // from y -2
    EXPECT_EQ(reach[6].winners, 1u);     // all inside a
}

}  // namespace
