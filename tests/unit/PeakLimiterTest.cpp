#include "PeakLimiter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

const double kRate = 48000;
const double kPi = 3.14159265358979323846;
const double kCeilingDb = -1;

// A sound of one or two channels, each its own vector.
struct Sound {
    std::vector<std::vector<float>> channels;
    std::vector<float*> pointers;
    std::vector<float> gains;

    PlanarSound Planar(double rate = kRate)
    {
        pointers.clear();
        for (std::vector<float>& channel : channels)
            pointers.push_back(channel.data());
        gains.assign(channels.empty() ? 0 : channels[0].size(), -1.0f);
        return {pointers.data(), int32_t(channels.size()), channels.empty() ? 0 : channels[0].size(), rate};
    }
};

Sound Sine(double amplitude, double frequency, double phase, uint64_t frames)
{
    Sound sound;
    sound.channels.emplace_back(frames);
    for (uint64_t n = 0; n < frames; n++)
        sound.channels[0][n] = float(amplitude * std::sin(2 * kPi * frequency * double(n) / kRate + phase));
    return sound;
}

Sound Constant(float value, uint64_t frames)
{
    Sound sound;
    sound.channels.emplace_back(frames, value);
    return sound;
}

// A second reading of the true peak, not the limiter's: 8 points between
// each two samples from a Hann-windowed sinc 32 samples wide. A hard cut
// rings by as much as the filter that reads it is long, so this one reads
// the sound away from its ends only.
double DenseTruePeakDb(const std::vector<float>& samples)
{
    const int64_t frames = int64_t(samples.size()), half = 16, points = 8;
    double peak = 0;
    for (int64_t n = half; n < frames - half; n++)
        for (int64_t p = 0; p < points; p++) {
            double t = double(n) + double(p) / points, value = 0;
            for (int64_t i = n - half + 1; i <= n + half; i++) {
                if (i < 0 || i >= frames)
                    continue;
                double x = t - double(i);
                double sinc = x == 0 ? 1 : std::sin(kPi * x) / (kPi * x);
                value += samples[size_t(i)] * sinc * (0.5 + 0.5 * std::cos(kPi * x / half));
            }
            peak = std::fmax(peak, std::fabs(value));
        }
    return 20 * std::log10(peak);
}

struct LimitCase {
    const char* what;
    Sound sound;
    double gainDb;
};

// Whatever comes in, nothing of what goes out passes the ceiling between the
// samples either, by the limiter's own reading and by a finer one.
TEST(PeakLimiterTest, NoPeakPassesTheCeiling)
{
    Sound click = Constant(0, 2400);
    click.channels[0][1200] = 1;
    Sound stereo = Sine(0.2, 440, 0, 2400);
    stereo.channels.push_back(Sine(0.9, 3000, 1, 2400).channels[0]);
    LimitCase cases[] = {
        {"a sine raised 10 dB past the ceiling", Sine(0.5, 997, 0, 2400), 10},
        // At a quarter of the rate, 45 degrees off, every sample reads 3 dB
        // below the peak between them.
        {"a peak between the samples", Sine(0.8, kRate / 4, kPi / 4, 2400), 3},
        {"a single-sample click", click, 6},
        {"a loud right channel", stereo, 3},
        {"a full-scale DC raised 6 dB", Constant(1, 2400), 6},
    };
    for (LimitCase& c : cases) {
        PlanarSound planar = c.sound.Planar();
        double truePeakDb = 0;
        const char* problem = nullptr;
        ASSERT_EQ(LimitPeaks(&planar, c.sound.gains.data(), c.gainDb, kCeilingDb, &truePeakDb, &problem), 1) << c.what;
        EXPECT_LE(truePeakDb, kCeilingDb) << c.what;
        EXPECT_GE(truePeakDb, kCeilingDb - 0.5) << c.what << ": limited far below the ceiling";
        for (const std::vector<float>& channel : c.sound.channels)
            EXPECT_LE(DenseTruePeakDb(channel), kCeilingDb + 0.02) << c.what;
    }
}

// Below the ceiling the limiter does nothing: the output is the input times
// the gain, and the true peak it reports is the sine's amplitude times the
// gain, between the samples too (-inf for silence).
TEST(PeakLimiterTest, UnderTheCeilingOnlyTheGain)
{
    struct GainCase {
        const char* what;
        Sound sound;
        double gainDb;
        double amplitude;
    };
    GainCase cases[] = {
        {"a quiet sine raised 6 dB", Sine(0.2, 1000, 0, 4800), 6, 0.2},
        {"a sine lowered 20 dB", Sine(1, 200, 0, 4800), -20, 1},
        // Every sample 3 dB below the peak between them; faded in and out
        // over 10 ms, after a quiet start, so that no cut rings.
        {"a peak between the samples", Sine(0.5, kRate / 4, kPi / 4, 4800), 0, 0.5},
        {"silence raised 20 dB", Constant(0, 4800), 20, 0},
        {"no frames", Constant(0, 0), 6, 0},
    };
    std::vector<float>& between = cases[2].sound.channels[0];
    for (size_t n = 0; n < 480; n++) {
        const float fade = float(0.5 - 0.5 * std::cos(kPi * double(n) / 480));
        between[n] *= fade;
        between[between.size() - 1 - n] *= fade;
    }
    between.insert(between.begin(), 4800, 0.001f);
    for (GainCase& c : cases) {
        const std::vector<float> before = c.sound.channels[0];
        PlanarSound planar = c.sound.Planar();
        double truePeakDb = 0;
        const char* problem = nullptr;
        ASSERT_EQ(LimitPeaks(&planar, c.sound.gains.data(), c.gainDb, kCeilingDb, &truePeakDb, &problem), 1) << c.what;
        const float gain = float(std::pow(10, c.gainDb / 20));
        for (size_t n = 0; n < before.size(); n++)
            ASSERT_FLOAT_EQ(c.sound.channels[0][n], before[n] * gain) << c.what << " at frame " << n;
        if (c.amplitude == 0)
            EXPECT_EQ(truePeakDb, -HUGE_VAL) << c.what;
        else
            EXPECT_NEAR(truePeakDb, 20 * std::log10(c.amplitude) + c.gainDb, 0.05) << c.what;
    }
}

// A burst over a quiet bed: the reduction starts within the look-ahead
// before it, steps by little from frame to frame, and lets go over the
// release. The gain is read where the bed's samples are not near zero.
TEST(PeakLimiterTest, TheGainFallsBeforeAPeakAndLetsGoAfter)
{
    const uint64_t burst = 9600, burstEnd = 14400;
    Sound sound = Sine(0.01, 1000, 0, 48000);
    for (uint64_t n = burst; n < burstEnd; n++)
        sound.channels[0][n] = float(std::sin(2 * kPi * 1000 * double(n) / kRate));
    const std::vector<float> before = sound.channels[0];
    PlanarSound planar = sound.Planar();
    double truePeakDb = 0;
    const char* problem = nullptr;
    ASSERT_EQ(LimitPeaks(&planar, sound.gains.data(), 10, kCeilingDb, &truePeakDb, &problem), 1);
    const float raised = float(std::pow(10, 0.5));
    std::vector<float> gains;  // at the bed's crests, 48 frames apart
    std::vector<uint64_t> at;
    for (uint64_t n = 12; n < before.size(); n += 48) {
        gains.push_back(sound.channels[0][n] / (before[n] * raised));
        at.push_back(n);
    }
    auto gainAt = [&](uint64_t frame) { return gains[(frame - 12) / 48]; };
    EXPECT_GT(gainAt(burst - uint64_t(kLookAheadSeconds * kRate)), 0.99f) << "reduced before the look-ahead";
    EXPECT_LT(gainAt(burst - uint64_t(0.5 * kLookAheadSeconds * kRate)), 0.98f) << "not reduced ahead of the burst";
    float largestStep = 0;
    for (size_t i = 1; i < gains.size(); i++)
        largestStep = std::fmax(largestStep, std::fabs(gains[i] - gains[i - 1]));
    EXPECT_LE(largestStep, 0.2001f) << "more than full scale over the look-ahead";
    EXPECT_LT(gainAt(burstEnd + uint64_t(0.01 * kRate)), 0.5f) << "let go at once";
    EXPECT_GT(gainAt(burstEnd + uint64_t(10 * kReleaseSeconds * kRate)), 0.999f) << "never let go";
}

// Refused, with the sound untouched: every shape or number out of the
// limits, whatever the frame count says about the buffers.
TEST(PeakLimiterTest, RefusesWhatIsNoSound)
{
    struct Refusal {
        const char* what;
        int32_t channels;
        uint64_t frames;
        double rate;
        double gainDb;
        double ceilingDb;
        float sample;
        const char* problem;
    };
    const Refusal cases[] = {
        {"no channel", 0, 4, kRate, 0, -1, 0.5f, "a sound has 1 or 2 channels"},
        {"three channels", 3, 4, kRate, 0, -1, 0.5f, "a sound has 1 or 2 channels"},
        {"one frame past the limit", 1, kMaxSoundFrames + 1, kRate, 0, -1, 0.5f, "the sound is too long"},
        {"the largest frame count", 1, UINT64_MAX, kRate, 0, -1, 0.5f, "the sound is too long"},
        {"a rate too low", 1, 4, 7999, 0, -1, 0.5f, "the sample rate is not from 8000 to 384000 Hz"},
        {"a rate that is no number", 1, 4, NAN, 0, -1, 0.5f, "the sample rate is not from 8000 to 384000 Hz"},
        {"a gain too high", 1, 4, kRate, 60.5, -1, 0.5f, "the gain is not from -60 to +60 dB"},
        {"a gain that is no number", 1, 4, kRate, NAN, -1, 0.5f, "the gain is not from -60 to +60 dB"},
        {"a ceiling above full scale", 1, 4, kRate, 0, 0.5, 0.5f, "the ceiling is not from -60 to 0 dBTP"},
        {"a ceiling that is no number", 1, 4, kRate, 0, NAN, 0.5f, "the ceiling is not from -60 to 0 dBTP"},
        {"a NaN sample", 2, 4, kRate, 0, -1, NAN, "a sample is no number or far past full scale"},
        {"an infinite sample", 1, 4, kRate, 0, -1, -INFINITY, "a sample is no number or far past full scale"},
        {"a sample 60 dB over full scale", 1, 4, kRate, 0, -1, 1001, "a sample is no number or far past full scale"},
    };
    for (const Refusal& c : cases) {
        std::vector<float> left = {0.5f, 0.5f, 0.5f, 0.5f}, right = {0.5f, 0.5f, 0.5f, c.sample};
        float* channels[3] = {left.data(), right.data(), right.data()};
        if (c.channels == 1)
            left[3] = c.sample;
        float gains[4] = {};
        PlanarSound sound = {channels, c.channels, c.frames, c.rate};
        double truePeakDb = 0;
        const char* problem = nullptr;
        EXPECT_EQ(LimitPeaks(&sound, gains, c.gainDb, c.ceilingDb, &truePeakDb, &problem), 0) << c.what;
        EXPECT_STREQ(problem, c.problem) << c.what;
        EXPECT_EQ(left[0], 0.5f) << c.what << ": touched";
    }
}

struct SpanCase {
    const char* what;
    uint64_t frames;
    std::vector<uint64_t> loud;  // frames at -50 dBFS, every other one at -50.1
    int32_t channel;
    uint64_t start;
    uint64_t end;
};

// At 8000 Hz the span keeps 80 frames of silence on each side of the sound.
TEST(PeakLimiterTest, SoundSpanKeeps10msAroundTheSound)
{
    const SpanCase cases[] = {
        {"all silence", 1000, {}, 0, 0, 0},
        {"no frames", 0, {}, 0, 0, 0},
        {"sound from the start", 1000, {0, 300}, 0, 0, 381},
        {"sound only at the end", 1000, {999}, 0, 919, 1000},
        {"a one-frame sound", 1000, {500}, 0, 420, 581},
        {"sound only in the right channel", 1000, {200, 600}, 1, 120, 681},
        {"the kept silence past the end", 1000, {950}, 0, 870, 1000},
        {"a sound shorter than the kept silence", 10, {5}, 0, 0, 10},
    };
    const float threshold = float(std::pow(10, kSilenceDbfs / 20));
    for (const SpanCase& c : cases) {
        std::vector<float> left(c.frames, threshold * 0.99f), right(c.frames, -threshold * 0.99f);
        if (c.frames > 2)
            left[1] = NAN;  // no sound either
        for (uint64_t n : c.loud)
            (c.channel == 0 ? left : right)[n] = c.channel == 0 ? threshold : -threshold;
        float* channels[2] = {left.data(), right.data()};
        PlanarSound sound = {channels, 2, c.frames, 8000};
        uint64_t start = 7, end = 7;
        const char* problem = nullptr;
        ASSERT_EQ(SoundSpan(&sound, &start, &end, &problem), 1) << c.what;
        EXPECT_EQ(start, c.start) << c.what;
        EXPECT_EQ(end, c.end) << c.what;
    }
    float* none[1] = {nullptr};
    PlanarSound tooLong = {none, 1, kMaxSoundFrames + 1, 8000};
    uint64_t start = 0, end = 0;
    const char* problem = nullptr;
    EXPECT_EQ(SoundSpan(&tooLong, &start, &end, &problem), 0);
    EXPECT_STREQ(problem, "the sound is too long");
}

}  // namespace
