#include "BitmapFile.h"

#include "DibWriter.h"

void SetField(std::string& file, size_t offset, uint32_t value, int bytes)
{
    PutLittleEndian(reinterpret_cast<unsigned char*>(&file[offset]), value, bytes);
}

std::string MakeBitmap(const BitmapSpec& layout)
{
    std::string file(kDibPixelOffset, '\0');
    WriteDibHeaders(reinterpret_cast<unsigned char*>(&file[0]), layout.width, layout.height, layout.pixels.size());
    if (layout.headerSize > kInfoHeaderSize)
        file.append(layout.headerSize - kInfoHeaderSize, '\0');
    for (uint32_t i = 0; i < layout.colorEntries; i++) {
        file.append(4, '\0');
        SetField(file, file.size() - 4, 0x00102030u + i, 4);
    }
    SetField(file, kBfOffBits, static_cast<uint32_t>(file.size()), 4);
    file += layout.pixels;
    SetField(file, kBfSize, static_cast<uint32_t>(file.size()), 4);
    SetField(file, kBiSize, layout.headerSize, 4);
    SetField(file, kBiBitCount, layout.bitCount, 2);
    SetField(file, kBiCompression, layout.compression, 4);
    SetField(file, kBiClrUsed, layout.clrUsed, 4);
    return file;
}

std::string PixelRows(int32_t width, const std::vector<std::vector<uint32_t>>& rowsTopFirst)
{
    std::string out;
    for (auto row = rowsTopFirst.rbegin(); row != rowsTopFirst.rend(); ++row) {
        std::string stored;
        for (int32_t x = 0; x < width; x++) {
            uint32_t rgb = (*row)[static_cast<size_t>(x)];
            stored.push_back(static_cast<char>(rgb));
            stored.push_back(static_cast<char>(rgb >> 8));
            stored.push_back(static_cast<char>(rgb >> 16));
        }
        while (stored.size() % 4 != 0)
            stored.push_back('\x77');
        out += stored;
    }
    return out;
}

std::string MakeSkinFile(int32_t width, const std::vector<std::vector<uint32_t>>& rowsTopFirst)
{
    BitmapSpec layout;
    layout.width = width;
    layout.height = static_cast<int32_t>(rowsTopFirst.size());
    layout.pixels = PixelRows(width, rowsTopFirst);
    return MakeBitmap(layout);
}
