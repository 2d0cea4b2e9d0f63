#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>

namespace {

#pragma pack(push, 2)
struct IconGroupHeader {
    uint16_t reserved;
    uint16_t type;
    uint16_t count;
};

struct IconGroupEntry {
    uint8_t width;
    uint8_t height;
    uint8_t colorCount;
    uint8_t reserved;
    uint16_t planes;
    uint16_t bitCount;
    uint32_t bytes;
    uint16_t id;
};
#pragma pack(pop)

// lum.exe lies in the same build tree, at src/window beside tests/win32.
std::string ProgramPath()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string self(path, length);
    return self.substr(0, self.find_last_of('\\')) + "\\..\\..\\src\\window\\lum.exe";
}

const void* LoadProgramResource(HMODULE program, const char* name, const char* type, DWORD* size)
{
    HRSRC found = FindResourceA(program, name, type);
    if (!found)
        return nullptr;
    *size = SizeofResource(program, found);
    return LockResource(LoadResource(program, found));
}

TEST(IconTest, ProgramCarriesOneThirtyTwoPixelSixteenColourIconInGroup101)
{
    HMODULE program = LoadLibraryExA(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr) << ProgramPath();
    DWORD size = 0;
    auto group = static_cast<const unsigned char*>(
        LoadProgramResource(program, MAKEINTRESOURCEA(101), MAKEINTRESOURCEA(14), &size));
    ASSERT_NE(group, nullptr) << "no icon group 101";
    ASSERT_EQ(size, sizeof(IconGroupHeader) + sizeof(IconGroupEntry));
    auto header = reinterpret_cast<const IconGroupHeader*>(group);
    auto entry = reinterpret_cast<const IconGroupEntry*>(group + sizeof(IconGroupHeader));
    EXPECT_EQ(header->type, 1);
    EXPECT_EQ(header->count, 1);
    EXPECT_EQ(entry->width, 32);
    EXPECT_EQ(entry->height, 32);
    EXPECT_EQ(entry->colorCount, 16);
    EXPECT_EQ(entry->bitCount, 4);

    auto image = static_cast<const BITMAPINFOHEADER*>(
        LoadProgramResource(program, MAKEINTRESOURCEA(entry->id), MAKEINTRESOURCEA(3), &size));
    ASSERT_NE(image, nullptr);
    // The colour rows (4 bits a pixel), then the AND mask (1 bit a pixel).
    EXPECT_EQ(size, sizeof(BITMAPINFOHEADER) + 16 * 4 + 32 * 16 + 32 * 4);
    EXPECT_EQ(image->biWidth, 32);
    EXPECT_EQ(image->biHeight, 64);
    EXPECT_EQ(image->biBitCount, 4);
    FreeLibrary(program);
}

}  // namespace
