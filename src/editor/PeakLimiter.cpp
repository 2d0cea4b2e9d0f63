#include "PeakLimiter.h"

#include <cmath>

namespace {

// The points between two samples are read four times oversampled, as
// BS.1770's true-peak meter does, but by a 128-tap interpolating filter where
// the standard's has 48: phase 0 is the sample itself, each other phase
// weighs the 32 samples n-15 .. n+16. The standard's short filter reads the
// peaks of full-band sound up to 0.15 dB lower than ffmpeg's meter does; this
// one within a few hundredths.
const int kPhases = 4;
const int kTapsBefore = 15;
const int kTapsAfter = 16;
const int kTaps = kTapsBefore + 1 + kTapsAfter;
const int kLanes = 4;  // kTaps is a multiple
const double kKaiserBeta = 8;
// Samples past this (60 dB above full scale) are no decoded sound: refused,
// so that no gain within the limits makes a float overflow.
const float kLargestSample = 1000;
// Reductions after the first, each on what the last one gave: white noise
// limited everywhere needs one.
const int kMostPasses = 4;
// The reduction aims this far under the ceiling, so that the float products
// that carry it, rounded, still land at or below the ceiling.
const double kAimBelowDb = 0.001;

struct Interpolator {
    float taps[kPhases - 1][kTaps];
    float reach;  // no point between samples passes their largest magnitude times this
};

}  // namespace

static const double kPi = 3.14159265358979323846;

static double Sinc(double t)
{
    return t == 0 ? 1 : std::sin(kPi * t) / (kPi * t);
}

// The modified Bessel function of order 0, by its series, for Kaiser's window.
static double BesselI0(double x)
{
    double sum = 1, term = 1;
    for (int k = 1; k < 30; k++) {
        term *= (x / (2 * k)) * (x / (2 * k));
        sum += term;
    }
    return sum;
}

// A windowed sinc per phase, each scaled to sum to one so that a constant
// reads as itself between the samples too.
static void MakeInterpolator(Interpolator* filter)
{
    const double halfWidth = kTapsAfter;
    filter->reach = 0;
    for (int phase = 1; phase < kPhases; phase++) {
        double sum = 0;
        for (int k = 0; k < kTaps; k++) {
            double t = double(k - kTapsBefore) - double(phase) / kPhases;
            double x = t / halfWidth;
            double tap = Sinc(t) * BesselI0(kKaiserBeta * std::sqrt(1 - x * x)) / BesselI0(kKaiserBeta);
            filter->taps[phase - 1][k] = float(tap);
            sum += tap;
        }
        double reach = 0;
        for (int k = 0; k < kTaps; k++) {
            filter->taps[phase - 1][k] = float(filter->taps[phase - 1][k] / sum);
            reach += std::fabs(filter->taps[phase - 1][k]);
        }
        // A little over, for the rounding of the float sums.
        filter->reach = std::fmax(filter->reach, float(reach * 1.001));
    }
}

static float SampleAt(const float* samples, uint64_t frames, int64_t i)
{
    return i >= 0 && uint64_t(i) < frames ? samples[i] : 0.0f;
}

// The largest magnitude at sample n and the three points after it, before
// n + 1. The sound is zero beyond either end, where its cut still rings: n
// runs from -kTaps to frames + kTaps for every point that any sample reaches.
static float PeakAfter(const float* samples, uint64_t frames, int64_t n, const Interpolator* filter)
{
    float edge[kTaps];
    const float* near;
    if (n >= kTapsBefore && uint64_t(n) + kTapsAfter < frames) {
        near = samples + (n - kTapsBefore);
    } else {
        for (int k = 0; k < kTaps; k++)
            edge[k] = SampleAt(samples, frames, n + k - kTapsBefore);
        near = edge;
    }
    float peak = std::fabs(SampleAt(samples, frames, n));
    for (int phase = 0; phase < kPhases - 1; phase++) {
        // Four sums side by side, which the compiler keeps in one vector.
        float sums[kLanes] = {};
        for (int k = 0; k < kTaps; k += kLanes)
            for (int lane = 0; lane < kLanes; lane++)
                sums[lane] += filter->taps[phase][k + lane] * near[k + lane];
        peak = std::fmax(peak, std::fabs((sums[0] + sums[1]) + (sums[2] + sums[3])));
    }
    return peak;
}

static float FramePeak(const PlanarSound* sound, int64_t n, const Interpolator* filter)
{
    float peak = 0;
    for (int32_t c = 0; c < sound->channelCount; c++)
        peak = std::fmax(peak, PeakAfter(sound->channels[c], sound->frames, n, filter));
    return peak;
}

// 1 when the two operations take the sound's shape, else 0 with why.
static int CheckPlanarSound(const PlanarSound* sound, const char** problem)
{
    if (sound->channelCount < 1 || sound->channelCount > kMaxSoundChannels) {
        *problem = "a sound has 1 or 2 channels";
        return 0;
    }
    if (sound->frames > kMaxSoundFrames) {
        *problem = "the sound is too long";
        return 0;
    }
    // Written so that a NaN rate is refused too.
    if (!(sound->sampleRate >= kSmallestSampleRate && sound->sampleRate <= kLargestSampleRate)) {
        *problem = "the sample rate is not from 8000 to 384000 Hz";
        return 0;
    }
    return 1;
}

// The peaks of the points beyond either end, which only the kTaps frames
// next to it reach.
static float RingBefore(const PlanarSound* sound, const Interpolator* filter)
{
    float peak = 0;
    for (int64_t n = -kTaps; n < 0; n++)
        peak = std::fmax(peak, FramePeak(sound, n, filter));
    return peak;
}

static float RingAfter(const PlanarSound* sound, const Interpolator* filter)
{
    float peak = 0;
    for (int64_t n = int64_t(sound->frames); n < int64_t(sound->frames) + kTaps; n++)
        peak = std::fmax(peak, FramePeak(sound, n, filter));
    return peak;
}

static float SamplePeak(const PlanarSound* sound, uint64_t n)
{
    float peak = 0;
    for (int32_t c = 0; c < sound->channelCount; c++)
        peak = std::fmax(peak, std::fabs(sound->channels[c][n]));
    return peak;
}

// The largest sample magnitude of the block of kTaps frames from start.
static float BlockPeak(const PlanarSound* sound, uint64_t start)
{
    float peak = 0;
    for (uint64_t n = start; n < sound->frames && n < start + kTaps; n++)
        peak = std::fmax(peak, SamplePeak(sound, n));
    return peak;
}

// Each frame's peak, the largest of every channel's PeakAfter, with the ring
// beyond an end laid on the frames that make it; the largest of them. The
// points between the samples are read only where they could reach the
// ceiling or the largest peak read so far: the filter reaches the samples of
// a block and the blocks on either side, and where their largest magnitude
// times the filter's reach stays below both, the block's samples stand for
// its peaks, which changes neither a frame's gain nor the largest peak.
static float FramePeaks(const PlanarSound* sound, float* peaks, double ceiling)
{
    Interpolator filter;
    MakeInterpolator(&filter);
    const uint64_t frames = sound->frames;
    float largest = 0, previous = 0, current = BlockPeak(sound, 0);
    for (uint64_t start = 0; start < frames; start += kTaps) {
        const float next = BlockPeak(sound, start + kTaps);
        const float bound = std::fmax(previous, std::fmax(current, next)) * filter.reach;
        const int read = bound > ceiling || bound > largest;
        for (uint64_t n = start; n < frames && n < start + kTaps; n++) {
            peaks[n] = read ? FramePeak(sound, int64_t(n), &filter) : SamplePeak(sound, n);
            largest = std::fmax(largest, peaks[n]);
        }
        previous = current;
        current = next;
    }
    const float before = RingBefore(sound, &filter), after = RingAfter(sound, &filter);
    for (uint64_t n = 0; n < frames && n < uint64_t(kTaps); n++)
        peaks[n] = std::fmax(peaks[n], before);
    for (uint64_t n = frames > uint64_t(kTaps) ? frames - kTaps : 0; n < frames; n++)
        peaks[n] = std::fmax(peaks[n], after);
    return std::fmax(largest, std::fmax(before, after));
}

static int SamplesInRange(const PlanarSound* sound)
{
    for (int32_t c = 0; c < sound->channelCount; c++)
        for (uint64_t n = 0; n < sound->frames; n++)
            if (!(std::fabs(sound->channels[c][n]) <= kLargestSample))
                return 0;
    return 1;
}

static void Scale(const PlanarSound* sound, const float* gains, float gain)
{
    for (int32_t c = 0; c < sound->channelCount; c++) {
        float* samples = sound->channels[c];
        for (uint64_t n = 0; n < sound->frames; n++)
            samples[n] *= gain * (gains ? gains[n] : 1.0f);
    }
}

// Going backwards, the gain each frame needs: frame n takes part in the
// points on both sides of it, so it answers for the peaks of frames n - 1
// and n. Before a peak the gain falls by at most full scale over the
// look-ahead, so that it moves smoothly into the peak, as deep as it is.
static void ReduceBeforePeaks(float* gains, uint64_t frames, double ceiling, double sampleRate)
{
    const double step = 1 / (kLookAheadSeconds * sampleRate);
    double later = 1;
    for (uint64_t n = frames; n-- > 0;) {
        double peak = std::fmax(gains[n], n > 0 ? gains[n - 1] : 0.0f);
        double need = peak > ceiling ? ceiling / peak : 1;
        later = std::fmin(need, later + step);
        gains[n] = float(later);
    }
}

// Going forwards, the reduction lets go exponentially over the release time,
// never above what a frame needs.
static void Release(float* gains, uint64_t frames, double sampleRate)
{
    const double letGo = std::exp(-1 / (kReleaseSeconds * sampleRate));
    double held = 1;
    for (uint64_t n = 0; n < frames; n++) {
        held = std::fmin(double(gains[n]), 1 - (1 - held) * letGo);
        gains[n] = float(held);
    }
}

static double DbOf(double linear)
{
    return 20 * std::log10(linear);
}

int LimitPeaks(const PlanarSound* sound, float* work, double gainDb, double ceilingDb, double* truePeakDb,
               const char** problem)
{
    if (!CheckPlanarSound(sound, problem))
        return 0;
    if (!(std::fabs(gainDb) <= kLargestGainDb)) {
        *problem = "the gain is not from -60 to +60 dB";
        return 0;
    }
    if (!(ceilingDb >= kLowestCeilingDb && ceilingDb <= 0)) {
        *problem = "the ceiling is not from -60 to 0 dBTP";
        return 0;
    }
    if (!SamplesInRange(sound)) {
        *problem = "a sample is no number or far past full scale";
        return 0;
    }
    Scale(sound, nullptr, float(std::pow(10, gainDb / 20)));
    // A gain that moves within the filter's reach moves the points between
    // the samples a little past what it meant: a further pass takes that
    // off, aiming as far below as the last one ended above.
    const double ceiling = std::pow(10, ceilingDb / 20);
    double aim = std::pow(10, (ceilingDb - kAimBelowDb) / 20);
    float peak = FramePeaks(sound, work, aim);
    for (int pass = 0; pass < kMostPasses && peak > ceiling; pass++) {
        if (pass > 0)
            aim *= ceiling / peak;
        ReduceBeforePeaks(work, sound->frames, aim, sound->sampleRate);
        Release(work, sound->frames, sound->sampleRate);
        Scale(sound, work, 1);
        peak = FramePeaks(sound, work, aim);
    }
    *truePeakDb = DbOf(peak);
    return 1;
}

static int IsSound(const PlanarSound* sound, uint64_t n, float threshold)
{
    for (int32_t c = 0; c < sound->channelCount; c++)
        if (std::fabs(sound->channels[c][n]) >= threshold)
            return 1;
    return 0;
}

int SoundSpan(const PlanarSound* sound, uint64_t* start, uint64_t* end, const char** problem)
{
    if (!CheckPlanarSound(sound, problem))
        return 0;
    const float threshold = float(std::pow(10, kSilenceDbfs / 20));
    const uint64_t kept = uint64_t(std::llround(kSilenceKeptSeconds * sound->sampleRate));
    uint64_t first = 0;
    while (first < sound->frames && !IsSound(sound, first, threshold))
        first++;
    if (first == sound->frames) {
        *start = *end = 0;
        return 1;
    }
    uint64_t last = sound->frames - 1;
    while (!IsSound(sound, last, threshold))
        last--;
    *start = first > kept ? first - kept : 0;
    *end = sound->frames - last - 1 > kept ? last + 1 + kept : sound->frames;
    return 1;
}
