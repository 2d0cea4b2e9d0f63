#ifndef LUM_EDITOR_PEAKLIMITER_H
#define LUM_EDITOR_PEAKLIMITER_H

// The page's levelling of a pad's sound: a gain, with a look-ahead limiter
// that holds the true peak (the peak between the samples too, read four times
// oversampled) at or below a ceiling, and the span of the sound without its
// leading and trailing silence. Plain C++ on the caller's planar buffers, so
// that the page and the native tests run the same code.
#include <cstdint>

const int32_t kMaxSoundChannels = 2;
// Past 2^32 frames (27 hours at 44.1 kHz) no pad's sound goes; the page's
// pointers are 32-bit.
const uint64_t kMaxSoundFrames = uint64_t(1) << 32;
const double kSmallestSampleRate = 8000;
const double kLargestSampleRate = 384000;
const double kLargestGainDb = 60;     // either way
const double kLowestCeilingDb = -60;  // and 0 dBTP the highest
// The limiter meets a peak over this time, and lets go over the other.
const double kLookAheadSeconds = 0.005;
const double kReleaseSeconds = 0.05;
// Silence: no sample reaches the threshold; the span keeps this much of it
// on each side of the sound.
const double kSilenceDbfs = -50;
const double kSilenceKeptSeconds = 0.01;

// Channels of float samples, each frames long: read by SoundSpan, rewritten
// in place by LimitPeaks.
struct PlanarSound {
    float* const* channels;
    int32_t channelCount;
    uint64_t frames;
    double sampleRate;
};

// Multiplies the sound by the gain and limits it so that its true peak (the
// largest magnitude of the samples and of three points between each two,
// the sound zero beyond either end) stays at or below the ceiling; work is
// the caller's room of frames floats. 1 with the true peak of the result in
// dBTP (-inf for silence), which a caller compares with the ceiling and
// lowers the gain while it passes; 0 with why, the sound untouched, for no
// channel or more than 2, more than kMaxSoundFrames, a sample rate, gain or
// ceiling out of the limits, or a sample that is no number or far past full
// scale.
int LimitPeaks(const PlanarSound* sound, float* work, double gainDb, double ceilingDb, double* truePeakDb,
               const char** problem);

// The frames start <= i < end that hold the sound: from kSilenceKeptSeconds
// before the first sample that reaches kSilenceDbfs in any channel to as long
// after the last one, within the sound; start = end = 0 when no sample does.
// A NaN sample is silence. 0 with why for a sound of a shape or rate that
// LimitPeaks refuses.
int SoundSpan(const PlanarSound* sound, uint64_t* start, uint64_t* end, const char** problem);

#endif
