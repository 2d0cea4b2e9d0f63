#ifndef LUM_CHECK_WAVEFILE_H
#define LUM_CHECK_WAVEFILE_H

#include <cstdint>
#include <string>

struct WaveFormat {
    uint16_t formatTag;   // the sub-format's tag for WAVE_FORMAT_EXTENSIBLE
    uint16_t channels;
    uint32_t sampleRate;
    uint16_t bitsPerSample;
};

// Reads a sound file's RIFF structure: 1 and its format, or 0 with a plain
// sentence in *problem saying why the sound service cannot play it.
int InspectWaveFile(const char* path, WaveFormat* format, std::string* problem);

// 1 for the formats every Windows can play without an extra codec.
int IsCommonWaveFormat(uint16_t formatTag);

// A short name for a format tag, e.g. "MPEG Layer 3", or "".
const char* WaveFormatName(uint16_t formatTag);

#endif
