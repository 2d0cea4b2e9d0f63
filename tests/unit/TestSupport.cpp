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
