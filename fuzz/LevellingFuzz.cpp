// Any samples, any channel count, rate, gain and ceiling through the page's
// levelling: the limiter refuses with a reason and leaves the samples as they
// were, or every sample it gives is a number at or below the ceiling and the
// true peak it reports is too; the span of the sound holds every sample that
// reaches the silence threshold and as much silence as it keeps on each side.
//
// The input: the channel count (0 to 3), the rate's place in a list, the gain
// (a signed byte, half dBs), the ceiling (a byte, quarter dBs below 0) and
// then the samples, each channel's floats after the other's.
#include "FuzzSupport.h"
#include "PeakLimiter.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// The limits, their neighbours and the rates sounds come in.
const double kRates[] = {7999, 8000, 22050, 44100, 48000, 96000, 384000, 384001};

std::vector<std::vector<float>> TakeChannels(const uint8_t* data, size_t size, int32_t channelCount)
{
    std::vector<std::vector<float>> channels(channelCount < 1 ? 1 : size_t(channelCount));
    size_t frames = size / sizeof(float) / channels.size();
    for (std::vector<float>& channel : channels) {
        channel.resize(frames);
        if (frames > 0)  // an empty vector's data may be null, which memcpy never takes
            std::memcpy(channel.data(), data, frames * sizeof(float));
        data += frames * sizeof(float);
    }
    return channels;
}

// Byte for byte, so that a NaN is the same NaN.
bool SameSamples(const std::vector<float>& a, const std::vector<float>& b)
{
    return a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

void CheckSpan(const PlanarSound* sound)
{
    uint64_t start = 0, end = 0;
    const char* problem = nullptr;
    if (!SoundSpan(sound, &start, &end, &problem)) {
        Require(problem != nullptr, "a span refused without its reason");
        return;
    }
    const float threshold = float(std::pow(10, kSilenceDbfs / 20));
    const uint64_t kept = uint64_t(std::llround(kSilenceKeptSeconds * sound->sampleRate));
    uint64_t first = sound->frames, last = 0;
    for (uint64_t n = 0; n < sound->frames; n++)
        for (int32_t c = 0; c < sound->channelCount; c++)
            if (std::fabs(sound->channels[c][n]) >= threshold) {
                first = n < first ? n : first;
                last = n;
            }
    if (first == sound->frames) {
        Require(start == 0 && end == 0, "a span in silence");
        return;
    }
    Require(start == (first > kept ? first - kept : 0), "the span starts elsewhere than the kept silence");
    Require(end == (last + 1 + kept < sound->frames ? last + 1 + kept : sound->frames),
            "the span ends elsewhere than the kept silence");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    const int32_t channelCount = data[0] % 4;
    const double rate = kRates[data[1] % (sizeof kRates / sizeof kRates[0])];
    const double gainDb = double(int8_t(data[2])) / 2;
    const double ceilingDb = -double(data[3]) / 4;
    std::vector<std::vector<float>> channels = TakeChannels(data + 4, size - 4, channelCount);
    std::vector<float*> pointers;
    for (std::vector<float>& channel : channels)
        pointers.push_back(channel.data());
    PlanarSound sound = {pointers.data(), channelCount, channels[0].size(), rate};

    CheckSpan(&sound);

    const std::vector<std::vector<float>> before = channels;
    std::vector<float> work(channels[0].size());
    double truePeakDb = 0;
    const char* problem = nullptr;
    if (!LimitPeaks(&sound, work.data(), gainDb, ceilingDb, &truePeakDb, &problem)) {
        Require(problem != nullptr, "a limit refused without its reason");
        for (size_t c = 0; c < channels.size(); c++)
            Require(SameSamples(channels[c], before[c]), "a refused limit changed the samples");
        return 0;
    }
    Require(truePeakDb <= ceilingDb, "the true peak passes the ceiling");
    const double ceiling = std::pow(10, ceilingDb / 20);
    for (const std::vector<float>& channel : channels)
        for (float sample : channel)
            Require(std::fabs(double(sample)) <= ceiling, "a sample passes the ceiling");
    return 0;
}
