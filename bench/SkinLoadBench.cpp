// Loading figures of the skin model beside the least work the same input
// needs: BuildSkinFile against one fread of the skin file plus one memcpy of
// its pixel bytes, ReadHotspotFile of every line against one fread of the
// hotspot file. The inputs are written to a temporary folder at start and
// removed at the end; every file is read from the page cache, as at a
// program's second start.
#include "DibWriter.h"
#include "HotspotTable.h"
#include "SkinImage.h"
#include "Startup.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

void ShowMessage(const char*) {}

namespace {

std::string inputFolder;

// A skin as a designer would draw one: an opaque ellipse with shaded content
// on a magenta ground, so that about a fifth of the pixels are see-through and
// rows switch between key colour and picture.
std::string MakeSkinFile(int32_t width, int32_t height)
{
    uint64_t rowBytes = SkinRowBytes(width);
    std::string file(kDibPixelOffset, '\0');
    WriteDibHeaders(reinterpret_cast<unsigned char*>(&file[0]), width, height, rowBytes * height);
    std::string row(rowBytes, '\0');
    double cx = width / 2.0, cy = height / 2.0;
    for (int32_t y = 0; y < height; y++) {
        for (int32_t x = 0; x < width; x++) {
            double dx = (x - cx) / cx, dy = (y - cy) / cy;
            unsigned char* pixel = reinterpret_cast<unsigned char*>(&row[3 * x]);
            if (dx * dx + dy * dy > 1.0) {
                std::memcpy(pixel, kKeyColour, 3);
            } else {
                pixel[0] = static_cast<unsigned char>(x * 7 + y);
                pixel[1] = static_cast<unsigned char>(x ^ y);
                pixel[2] = static_cast<unsigned char>(y * 3);
            }
        }
        file += row;
    }
    return file;
}

// Lines of the usual shape, each with its own sound and rectangle.
std::string MakeHotspotFile(int lines)
{
    std::string file;
    char line[96];
    for (int i = 0; i < lines; i++) {
        int left = (i * 37) % 600, top = (i * 53) % 400;
        std::snprintf(line, sizeof line, "sounds\\sample%d.wav %d %d %d %d\n", i, left, top,
                      left + 40, top + 30);
        file += line;
    }
    return file;
}

std::string FolderFor(const std::string& name)
{
    return inputFolder + "/" + name;
}

void WriteInput(const std::string& folder, const char* fileName, const std::string& bytes)
{
    mkdir(folder.c_str(), 0700);
    std::string path = folder + "/" + fileName;
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() || std::fclose(out) != 0) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

std::string SkinFolder(int64_t width, int64_t height)
{
    return FolderFor("skin-" + std::to_string(width) + "x" + std::to_string(height));
}

std::string HotspotFolder(int64_t lines)
{
    return FolderFor("hotspots-" + std::to_string(lines));
}

void MakeInputs()
{
    char pattern[] = "/tmp/lum-bench-XXXXXX";
    if (!mkdtemp(pattern)) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    inputFolder = pattern;
    WriteInput(SkinFolder(1920, 1080), kSkinFileName, MakeSkinFile(1920, 1080));
    WriteInput(SkinFolder(4096, 4096), kSkinFileName, MakeSkinFile(4096, 4096));
    WriteInput(HotspotFolder(32), kHotspotFileName, MakeHotspotFile(32));
    WriteInput(HotspotFolder(100000), kHotspotFileName, MakeHotspotFile(100000));
}

void RemoveInputs()
{
    std::string command = "rm -rf '" + inputFolder + "'";
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "could not remove %s\n", inputFolder.c_str());
}

void EnterFolder(benchmark::State& state, const std::string& folder)
{
    if (chdir(folder.c_str()) != 0)
        state.SkipWithError("input folder missing");
}

long FileBytes(const char* name)
{
    struct stat info;
    return stat(name, &info) == 0 ? static_cast<long>(info.st_size) : -1;
}

void BuildSkinFromFile(benchmark::State& state)
{
    EnterFolder(state, SkinFolder(state.range(0), state.range(1)));
    for (auto _ : state) {
        LoadFailure failure;
        if (!BuildSkinFile(kSkinFileName, &failure)) {
            state.SkipWithError("BuildSkinFile failed");
            break;
        }
        benchmark::DoNotOptimize(SkinImage.mask);
        ResetSkinModel();
    }
    state.SetBytesProcessed(state.iterations() * FileBytes(kSkinFileName));
}

// The least a skin load can do: the file into one buffer, its pixels into a second.
void ReadSkinBaseline(benchmark::State& state)
{
    EnterFolder(state, SkinFolder(state.range(0), state.range(1)));
    long fileBytes = FileBytes(kSkinFileName);
    size_t pixelStart = kDibPixelOffset;
    size_t pixelBytes = static_cast<size_t>(fileBytes) - pixelStart;
    for (auto _ : state) {
        FILE* in = std::fopen(kSkinFileName, "rb");
        unsigned char* file = static_cast<unsigned char*>(std::malloc(fileBytes));
        unsigned char* pixels = static_cast<unsigned char*>(std::malloc(pixelBytes));
        if (!in || !file || !pixels || std::fread(file, 1, fileBytes, in) != size_t(fileBytes)) {
            state.SkipWithError("baseline read failed");
            break;
        }
        std::fclose(in);
        std::memcpy(pixels, file + pixelStart, pixelBytes);
        benchmark::DoNotOptimize(pixels);
        benchmark::ClobberMemory();
        std::free(pixels);
        std::free(file);
    }
    state.SetBytesProcessed(state.iterations() * fileBytes);
}

void NoteBytesReached(const HotspotPiece* piece, void* reached)
{
    *static_cast<uint64_t*>(reached) = piece->byteEnd;
}

// With an observer the reader reads every line, as lumcheck does; without one
// it would stop once the 32 slots are full (as lum.exe does), and a figure for
// the whole file would stand for its first 32 lines.
void LoadHotspotsFromFile(benchmark::State& state)
{
    EnterFolder(state, HotspotFolder(state.range(0)));
    uint64_t reached = 0;
    for (auto _ : state) {
        LoadFailure failure;
        if (!ReadHotspotFile(kHotspotFileName, &HotspotTable, NoteBytesReached, &reached, &failure)) {
            state.SkipWithError("ReadHotspotFile failed");
            break;
        }
        benchmark::DoNotOptimize(HotspotTable.count);
    }
    if (reached != static_cast<uint64_t>(FileBytes(kHotspotFileName)))
        state.SkipWithError("the reader stopped before the end of the file");
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(reached));
}

void ReadHotspotsBaseline(benchmark::State& state)
{
    EnterFolder(state, HotspotFolder(state.range(0)));
    long fileBytes = FileBytes(kHotspotFileName);
    std::vector<char> buffer(fileBytes);
    for (auto _ : state) {
        FILE* in = std::fopen(kHotspotFileName, "rb");
        if (!in || std::fread(buffer.data(), 1, fileBytes, in) != size_t(fileBytes)) {
            state.SkipWithError("baseline read failed");
            break;
        }
        std::fclose(in);
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * fileBytes);
}

}  // namespace

BENCHMARK(BuildSkinFromFile)->Args({1920, 1080})->Args({4096, 4096})->Unit(benchmark::kMicrosecond);
BENCHMARK(ReadSkinBaseline)->Args({1920, 1080})->Args({4096, 4096})->Unit(benchmark::kMicrosecond);
BENCHMARK(LoadHotspotsFromFile)->Arg(32)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(ReadHotspotsBaseline)->Arg(32)->Arg(100000)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    // Arguments first: --help ends the program there, before any input exists.
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    MakeInputs();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    RemoveInputs();
    return 0;
}
