// Writes the seed corpora: usable skins and hotspot files of the shapes the
// program meets, and the hostile ones it must refuse cleanly.
// Usage: lum_fuzz_seeds <hotspot-folder> <skin-folder> [<line-edit-folder> <levelling-folder>]
#include "BitmapFile.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::string folderOut;
int seedCount;

void WriteSeed(const std::string& name, const std::string& bytes)
{
    std::ofstream out(folderOut + "/" + name, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.good()) {
        std::fprintf(stderr, "lum_fuzz_seeds: cannot write %s/%s\n", folderOut.c_str(), name.c_str());
        std::exit(1);
    }
    seedCount++;
}

// A pixel array of bytesPerPixel-byte pixels, rows padded to 4 bytes, with
// key-colour pixels (blue 255, green 0, red 255) on a diagonal pattern.
std::string Pixels(int32_t width, int32_t height, int bytesPerPixel)
{
    std::string out;
    for (int32_t y = 0; y < height; y++) {
        std::string row;
        for (int32_t x = 0; x < width; x++) {
            bool key = (x + y) % 3 == 0;
            row += key ? std::string("\xFF\x00\xFF", 3) : std::string{char(x * 40), char(y * 50), char(90)};
            if (bytesPerPixel == 4)
                row.push_back('\0');
        }
        while (row.size() % 4 != 0)
            row.push_back('\x33');
        out += row;
    }
    return out;
}

void WriteSkinSeeds()
{
    for (int32_t width = 1; width <= 9; width++)
        for (int32_t height : {1, 2, 3}) {
            BitmapSpec skin;
            skin.width = width;
            skin.height = height;
            skin.pixels = Pixels(width, height, 3);
            WriteSeed("skin-" + std::to_string(width) + "x" + std::to_string(height) + ".bmp", MakeBitmap(skin));
        }
    BitmapSpec nearKey;
    nearKey.width = 2;
    nearKey.pixels = std::string("\xFF\x01\xFF\xFF\x00\xFF\0\0", 8);
    WriteSeed("near-key.bmp", MakeBitmap(nearKey));

    for (uint32_t headerSize : {108u, 124u}) {
        BitmapSpec large;
        large.width = 3;
        large.height = 2;
        large.headerSize = headerSize;
        large.pixels = Pixels(3, 2, 3);
        WriteSeed("header-" + std::to_string(headerSize) + ".bmp", MakeBitmap(large));
    }
    BitmapSpec table;
    table.width = 2;
    table.height = 2;
    table.clrUsed = 16;
    table.colorEntries = 16;
    table.pixels = Pixels(2, 2, 3);
    WriteSeed("colour-table-24.bmp", MakeBitmap(table));

    BitmapSpec eight;
    eight.width = 4;
    eight.height = 2;
    eight.bitCount = 8;
    eight.colorEntries = 256;
    eight.pixels = std::string(8, '\x05');
    WriteSeed("eight-bit.bmp", MakeBitmap(eight));
    BitmapSpec eightFew = eight;
    eightFew.clrUsed = 2;
    eightFew.colorEntries = 2;
    WriteSeed("eight-bit-two-colours.bmp", MakeBitmap(eightFew));
    for (uint16_t bits : {1, 4}) {
        BitmapSpec low;
        low.bitCount = bits;
        low.colorEntries = bits == 1 ? 2 : 16;
        low.pixels = std::string(4, '\x0F');
        WriteSeed("bits-" + std::to_string(bits) + ".bmp", MakeBitmap(low));
    }
    BitmapSpec wide;
    wide.width = 3;
    wide.height = 2;
    wide.bitCount = 32;
    wide.pixels = Pixels(3, 2, 4);
    WriteSeed("thirty-two-bit.bmp", MakeBitmap(wide));

    BitmapSpec topDown;
    topDown.width = 2;
    topDown.height = -2;
    topDown.pixels = Pixels(2, 2, 3);
    WriteSeed("top-down.bmp", MakeBitmap(topDown));

    // Hostile: sizes, tables and headers that point outside the file.
    BitmapSpec hostile;
    hostile.pixels = std::string(16, '\0');
    hostile.width = 0x40000000;
    WriteSeed("width-2-30.bmp", MakeBitmap(hostile));
    hostile.width = 4000;
    hostile.height = 4000;
    WriteSeed("4000x4000-no-pixels.bmp", MakeBitmap(hostile));
    hostile.width = 0x7FFFFFFF;
    hostile.height = 0x7FFFFFFF;
    WriteSeed("largest-size.bmp", MakeBitmap(hostile));
    hostile.width = 1;
    hostile.height = 1;
    hostile.clrUsed = 0xFFFFFFFF;
    WriteSeed("colours-ffffffff.bmp", MakeBitmap(hostile));
    hostile.clrUsed = 0;
    std::string header = MakeBitmap(hostile);
    SetField(header, kBiSize, 0xFFFFFFFF, 4);
    WriteSeed("header-ffffffff.bmp", header);
    hostile.headerSize = 12;
    WriteSeed("core-header-size.bmp", MakeBitmap(hostile));

    BitmapSpec shortPixels;
    shortPixels.width = 3;
    shortPixels.height = 2;
    shortPixels.pixels = std::string(23, '\0');
    WriteSeed("pixels-one-short.bmp", MakeBitmap(shortPixels));
    std::string good = MakeBitmap(table);
    WriteSeed("signature-only.bmp", "BM");
    WriteSeed("file-header-only.bmp", good.substr(0, 14));
    WriteSeed("info-header-short.bmp", good.substr(0, 14 + 39));
    WriteSeed("text.bmp", "ding.wav 10 10 60 40\n");
    WriteSeed("empty.bmp", "");
}

std::string Lines(const std::string& line, int count)
{
    std::string out;
    for (int i = 0; i < count; i++)
        out += line;
    return out;
}

void WriteHotspotSeeds()
{
    const std::string board = "ding.wav 10 10 60 40\nEXIT,180,0,200,20\nMIN\t160\t0\t180\t20\n";
    WriteSeed("board.ini", board);
    std::string crlf;
    for (char c : board)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    WriteSeed("board-crlf.ini", crlf);
    WriteSeed("no-final-newline.ini", "ding.wav 10 10 60 40\nEXIT 0 0 20 20");
    WriteSeed("separators.ini", "  EXIT ,, 0 0 20 20 \t,\n\n,,,\nding.wav 10 10 60\nmin 0 0 50 50\n");
    WriteSeed("numbers.ini", "a +12px -7 4294967306 2147483648\nb -2147483648 x 0012 -0\n");
    WriteSeed("overlap.ini", "first 0 0 100 100\nsecond 50 50 150 150\nedge 10 10 10 40\n");
    WriteSeed("lone-cr.ini", "a\r1 2 3 4\rb 5 6 7 8\r\n\r");
    WriteSeed("end-of-text.ini", "ding.wav 1 1 9 9\n\x1A" "EXIT 0 0 20 20\n");
    WriteSeed("zero-byte.ini", std::string("ding.wav 1 1 9 9\0 EXIT 0 0 20 20\n", 34) + "MIN 2 2 8 8\n");
    WriteSeed("line-249.ini", std::string(249, 'w') + "\nEXIT 0 0 20 20\n");
    WriteSeed("line-249-last.ini", std::string(249, 'w'));
    WriteSeed("line-250.ini", std::string(250, 'w') + "\n");
    WriteSeed("line-300.ini", "ding.wav 10 10 60 40" + std::string(276, ' ') + "tail\n");
    WriteSeed("long-name.ini", std::string(245, 'n') + " 1 2 3 4\n");
    WriteSeed("crlf-at-249.ini", std::string(248, 'x') + "\r\nEXIT 0 0 5 5\r\n");
    WriteSeed("forty-lines.ini", Lines("s.wav 0 0 10 10\n", 40));
    // The reader takes the file in 32 KiB chunks: CR LF and a lone CR across the seam.
    std::string seam = Lines(std::string(99, 'a') + "\n", 327) + std::string(67, 'b');
    WriteSeed("crlf-across-chunks.ini", seam + "\r\nEXIT 0 0 20 20\r\n");
    WriteSeed("cr-across-chunks.ini", seam + "\rEXIT 0 0 20 20\r\n");
    WriteSeed("many-lines.ini", Lines("s.wav,1,1,9,9\r\n", 1000));
    WriteSeed("empty-lines.ini", Lines("\n", 50));
    WriteSeed("empty.ini", "");
}

// An edit as LineEditFuzz.cpp reads it: the line (the line count composes a
// new one), the code page's place in the list, the typed name (empty keeps
// the name), the four numbers' modes and bytes, and the file.
std::string Edit(int line, int codePageAt, const std::string& typed, const std::string& numbers,
                 const std::string& file)
{
    return std::string{char(line), char(codePageAt), char(typed.size())} + typed + numbers +
           std::string(40 - numbers.size(), '\0') + file;
}

void WriteLineEditSeeds()
{
    const std::string board = "ding.wav 10 10 60 40\nEXIT,180,0,200,20\nMIN\t160\t0\t180\t20\n";
    const std::string keep = std::string(4, '\0');
    const int cp1252 = 7, cp1251 = 6;
    WriteSeed("move.edit", Edit(1, cp1252, "", std::string("\1\1\0\1\1\0", 6), board));
    WriteSeed("rename.edit", Edit(0, cp1252, "caf\xC3\xA9.wav", keep, board));
    WriteSeed("rename-unwritable.edit", Edit(0, cp1251, "caf\xC3\xA9.wav", keep, board));
    WriteSeed("split-name.edit", Edit(2, cp1252, "my ding.wav", keep, board));
    WriteSeed("compose.edit", Edit(3, cp1252, "new.wav", std::string("\1\5\1\5\1\x32\1\x32", 8), board));
    WriteSeed("past-largest.edit", Edit(0, cp1252, "", std::string("\0\0\1\1", 4), "a.wav 10 10 2147483647 40\n"));
    WriteSeed("near-limits.edit", Edit(0, cp1252, "", std::string("\3\0\0\7\xFF", 5), "a.wav 10 10 20 40\r\n"));
    WriteSeed("not-whole.edit", Edit(0, cp1252, "", std::string("\2\0\0\0\0\0\0\xE0\x3F", 9), board));
    WriteSeed("added-fields.edit", Edit(0, cp1252, "", std::string("\0\0\1\x1E", 4), "a.wav 10\n"));
    WriteSeed("odd-numbers.edit", Edit(0, cp1252, "", std::string("\0\1\1", 3), "a +12px -7 4294967306 2147483648\n"));
    WriteSeed("at-the-cut.edit", Edit(0, cp1252, "", std::string("\1\x09", 2),
                                      "a.wav 1 2 3 4" + std::string(235, ' ') + "\nEXIT 0 0 5 5\n"));
    WriteSeed("long-line.edit", Edit(0, cp1252, "", std::string("\0\0\1\x32", 4),
                                     "a 1 2" + std::string(244, ' ') + "7 8\n"));
    WriteSeed("empty-line.edit", Edit(1, cp1252, "", std::string("\1\1", 2), "a 1 1 5 5\n\nb 1 1 5 5"));
    WriteSeed("end-of-text.edit", Edit(0, cp1252, "x.wav", keep, "ding.wav 1 1 9 9\x1A" "EXIT 0 0 20 20\n"));
}

// Samples as LevellingFuzz.cpp reads them: channels, the rate's place in its
// list (4 is 48000 Hz), the gain in half dBs, the ceiling in quarter dBs
// below 0, then the floats of each channel after the other's.
std::string Levelling(int channels, int rateAt, int halfDbs, int quarterDbs, const std::vector<float>& samples)
{
    std::string bytes{char(channels), char(rateAt), char(halfDbs), char(quarterDbs)};
    bytes.append(reinterpret_cast<const char*>(samples.data()), samples.size() * sizeof(float));
    return bytes;
}

std::vector<float> Tone(float amplitude, double cycles, size_t frames)
{
    std::vector<float> samples(frames);
    for (size_t n = 0; n < frames; n++)
        samples[n] = amplitude * float(std::sin(6.283185307179586 * cycles * double(n) / double(frames)));
    return samples;
}

void WriteLevellingSeeds()
{
    std::vector<float> click(600, 0.0f), quiet(600, 0.001f), stereo = Tone(0.9f, 5, 800);
    click[300] = 1;
    quiet[590] = 0.5f;
    for (size_t n = 400; n < 800; n++)
        stereo[n] = 0.2f * stereo[n];
    WriteSeed("tone-raised.level", Levelling(1, 4, 20, 4, Tone(0.5f, 20, 1200)));
    WriteSeed("between-samples.level", Levelling(1, 4, 6, 4, Tone(0.8f, 150, 600)));
    WriteSeed("click.level", Levelling(1, 3, 12, 4, click));
    WriteSeed("sound-at-the-end.level", Levelling(1, 1, 0, 0, quiet));
    WriteSeed("stereo.level", Levelling(2, 4, 8, 4, stereo));
    WriteSeed("lowered.level", Levelling(1, 4, -40, 4, Tone(1, 3, 300)));
    std::vector<float> hostile = Tone(0.5f, 2, 64);
    hostile[10] = NAN;
    hostile[20] = INFINITY;
    WriteSeed("not-numbers.level", Levelling(1, 4, 0, 4, hostile));
    WriteSeed("three-channels.level", Levelling(3, 4, 0, 4, Tone(0.5f, 2, 60)));
    WriteSeed("rate-too-low.level", Levelling(1, 0, 0, 4, Tone(0.5f, 2, 60)));
    WriteSeed("no-frames.level", Levelling(2, 4, 10, 4, {}));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 5) {
        std::fprintf(stderr,
                     "usage: lum_fuzz_seeds <hotspot-folder> <skin-folder> [<line-edit-folder> <levelling-folder>]\n");
        return 2;
    }
    folderOut = argv[1];
    WriteHotspotSeeds();
    folderOut = argv[2];
    WriteSkinSeeds();
    if (argc == 5) {
        folderOut = argv[3];
        WriteLineEditSeeds();
        folderOut = argv[4];
        WriteLevellingSeeds();
    }
    std::printf("lum_fuzz_seeds: %d seeds\n", seedCount);
    return 0;
}
