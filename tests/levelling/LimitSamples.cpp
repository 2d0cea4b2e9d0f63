// The page's limiter on a file of samples, for the test that reads its output
// with ffmpeg: interleaved 32-bit floats in (as ffmpeg writes them with
// -f f32le), the limited samples out the same way, and the true peak the
// limiter reports printed.
//   lum_limit_samples <channels> <rate> <gain-dB> <ceiling-dBTP> <in.f32> <out.f32>
#include "PeakLimiter.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 7) {
        std::fprintf(stderr, "usage: lum_limit_samples <channels> <rate> <gain-dB> <ceiling-dBTP> <in.f32> <out.f32>\n");
        return 2;
    }
    const int32_t channelCount = std::atoi(argv[1]);
    std::ifstream in(argv[5], std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.is_open() || channelCount < 1 || channelCount > kMaxSoundChannels) {
        std::fprintf(stderr, "lum_limit_samples: cannot read %s as %s channels\n", argv[5], argv[1]);
        return 1;
    }
    const size_t frames = bytes.size() / sizeof(float) / size_t(channelCount);
    const float* interleaved = reinterpret_cast<const float*>(bytes.data());
    std::vector<std::vector<float>> channels(size_t(channelCount), std::vector<float>(frames, 0.0f));
    std::vector<float*> pointers;
    for (size_t c = 0; c < channels.size(); c++) {
        for (size_t n = 0; n < frames; n++)
            channels[c][n] = interleaved[n * channels.size() + c];
        pointers.push_back(channels[c].data());
    }
    PlanarSound sound = {pointers.data(), channelCount, frames, std::atof(argv[2])};
    std::vector<float> work(frames);
    double truePeakDb = 0;
    const char* problem = nullptr;
    if (!LimitPeaks(&sound, work.data(), std::atof(argv[3]), std::atof(argv[4]), &truePeakDb, &problem)) {
        std::fprintf(stderr, "lum_limit_samples: %s\n", problem);
        return 1;
    }
    std::vector<float> out(frames * channels.size());
    for (size_t c = 0; c < channels.size(); c++)
        for (size_t n = 0; n < frames; n++)
            out[n * channels.size() + c] = channels[c][n];
    std::ofstream written(argv[6], std::ios::binary);
    written.write(reinterpret_cast<const char*>(out.data()), std::streamsize(out.size() * sizeof(float)));
    if (!written.good()) {
        std::fprintf(stderr, "lum_limit_samples: cannot write %s\n", argv[6]);
        return 1;
    }
    std::printf("%.4f\n", truePeakDb);
    return 0;
}
