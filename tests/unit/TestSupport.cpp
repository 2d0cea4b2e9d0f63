#include "TestSupport.h"

#include "HotspotTable.h"
#include "LockedBlock.h"
#include "SkinImage.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <unistd.h>

std::vector<std::string> shownMessages;

void ShowMessage(const char* text)
{
    shownMessages.push_back(text);
}

void ResetSkinModel()
{
    delete SkinImage.image;
    ReleaseLockedBlock(SkinImage.mask);
    SkinImage = SkinImageRecord();
    HotspotTable = HotspotTableRecord();
    shownMessages.clear();
}

void SkinFolderTest::SetUp()
{
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    previous = cwd;
    char pattern[] = "/tmp/lum-unit-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
    ASSERT_EQ(chdir(folder.c_str()), 0);
    ResetSkinModel();
}

void SkinFolderTest::TearDown()
{
    ResetSkinModel();
    ASSERT_EQ(chdir(previous.c_str()), 0);
    std::string command = "rm -rf '" + folder + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
}

void SkinFolderTest::WriteFile(const std::string& name, const std::string& bytes)
{
    std::ofstream out(name, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << "cannot write " << name;
}

std::string SkinFolderTest::ReadFile(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

static void PutLittleEndian(std::string& out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; i++)
        out.push_back(i < 8 ? static_cast<char>((value >> (8 * i)) & 0xFF) : '\0');
}

std::string MakeBitmap(const BitmapSpec& layout)
{
    std::string info;
    PutLittleEndian(info, layout.headerSize, 4);
    PutLittleEndian(info, static_cast<uint32_t>(layout.width), 4);
    PutLittleEndian(info, static_cast<uint32_t>(layout.height), 4);
    PutLittleEndian(info, 1, 2);
    PutLittleEndian(info, layout.bitCount, 2);
    PutLittleEndian(info, 0, 4 * 4);
    PutLittleEndian(info, layout.clrUsed, 4);
    PutLittleEndian(info, 0, 4);
    if (layout.headerSize > 40)
        info.append(layout.headerSize - 40, '\0');
    for (uint32_t i = 0; i < layout.colorEntries; i++)
        PutLittleEndian(info, 0x00102030u + i, 4);
    info += layout.pixels;

    std::string file = "BM";
    PutLittleEndian(file, 14 + info.size(), 4);
    PutLittleEndian(file, 0, 4);
    PutLittleEndian(file, 14 + layout.headerSize + 4 * layout.colorEntries, 4);
    return file + info;
}

std::string PixelRows(int32_t width, const std::vector<std::vector<uint32_t>>& rowsTopFirst)
{
    std::string out;
    for (auto row = rowsTopFirst.rbegin(); row != rowsTopFirst.rend(); ++row) {
        std::string stored;
        for (int32_t x = 0; x < width; x++) {
            uint32_t bgr = (*row)[static_cast<size_t>(x)];
            stored.push_back(static_cast<char>(bgr >> 16));
            stored.push_back(static_cast<char>(bgr >> 8));
            stored.push_back(static_cast<char>(bgr));
        }
        while (stored.size() % 4 != 0)
            stored.push_back('\x77');
        out += stored;
    }
    return out;
}
