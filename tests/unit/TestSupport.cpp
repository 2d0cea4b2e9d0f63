#include "TestSupport.h"

#include "PlatformFaults.h"
#include "Startup.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

std::vector<std::string> shownMessages;

void ShowMessage(const char* text)
{
    shownMessages.push_back(text);
}

void SkinModelTest::SetUp()
{
    ResetSkinModel();
    PlatformFaults = PlatformFaultsRecord();
    shownMessages.clear();
}

void SkinModelTest::TearDown()
{
    ResetSkinModel();
    PlatformFaults = PlatformFaultsRecord();
}

TempFolder::TempFolder()
{
    char pattern[] = "/tmp/lum-unit-XXXXXX";
    if (mkdtemp(pattern))
        folder = pattern;
    EXPECT_FALSE(folder.empty()) << "cannot make a temporary folder";
}

TempFolder::~TempFolder()
{
    std::string command = "rm -rf '" + folder + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
}

std::string TempFolder::Path(const std::string& name) const
{
    return folder + "/" + name;
}

void TempFolder::Write(const std::string& name, const std::string& bytes) const
{
    std::ofstream out(Path(name), std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << "cannot write " << name;
}

void KeepPieceText(const HotspotPiece* piece, void* texts)
{
    char text[160];
    std::snprintf(text, sizeof text, "line %d%s, bytes %llu-%llu, %d characters, name %d, slot %d", piece->line,
                  piece->continuation ? " continued" : "", static_cast<unsigned long long>(piece->byteStart),
                  static_cast<unsigned long long>(piece->byteEnd), piece->length, piece->nameLength, piece->slot);
    static_cast<std::vector<std::string>*>(texts)->push_back(text);
}

const unsigned char* BytesOf(const std::string& text)
{
    return reinterpret_cast<const unsigned char*>(text.data());
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
    PutLittleEndian(info, layout.compression, 4);
    PutLittleEndian(info, 0, 3 * 4);
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
