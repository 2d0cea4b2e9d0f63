#ifndef LUM_CHECK_WAVEFILE_H
#define LUM_CHECK_WAVEFILE_H

#include <cstdint>
#include <string>

struct WaveFormat {
    uint16_t formatTag;   // the sub-format's tag for WAVE_FORMAT_EXTENSIBLE
    uint16_t channels;
    uint32_t sampleRate;
    uint16_t bitsPerSample;
    uint64_t dataBytes;   // the data chunk's size
};

enum class WaveVerdict {
    Plays,       // on every Windows
    NeedsCodec,  // a WAVE format that a plain Windows may have no codec for
    Unplayable   // the sound service cannot play it
};

// The verdict on a sound file, and unless it plays, what to say of it after
// "The sound file NAME ".
WaveVerdict JudgeWaveFile(const char* path, std::string* problem);

// How long the sound file lasts, in seconds, for a WAVE format whose
// samples all have one size; 0 when that cannot be told.
double WaveSeconds(const char* path);

#endif
