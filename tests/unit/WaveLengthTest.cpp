// How long a WAV lasts, as the editor shows it beside a pad's sound.
#include "TestSupport.h"
#include "WaveFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

std::string Little(uint32_t value, int bytes)
{
    std::string out;
    for (int i = 0; i < bytes; i++)
        out += char((value >> (8 * i)) & 0xFF);
    return out;
}

// A WAVE file of the format with dataBytes bytes of samples.
std::string Wave(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, uint32_t dataBytes)
{
    std::string format = Little(tag, 2) + Little(channels, 2) + Little(rate, 4) +
                         Little(rate * channels * bits / 8, 4) + Little(channels * bits / 8, 2) + Little(bits, 2);
    std::string body = "WAVEfmt " + Little(16, 4) + format + "data" + Little(dataBytes, 4) +
                       std::string(dataBytes, '\0');
    return "RIFF" + Little(uint32_t(body.size()), 4) + body;
}

TEST(WaveLength, FramesOverTheRateForFormatsOfOneSampleSize)
{
    TempFolder folder;
    folder.Write("stereo.wav", Wave(1, 2, 44100, 16, 44100 * 4 * 3 / 2));
    folder.Write("mono24.wav", Wave(1, 1, 48000, 24, 48000 * 3 * 3 / 4));
    folder.Write("float.wav", Wave(3, 2, 8000, 32, 8000 * 8 * 2));
    // A frame cut short at the end is no frame.
    folder.Write("ragged.wav", Wave(1, 2, 1000, 16, 1000 * 4 + 3));
    EXPECT_DOUBLE_EQ(WaveSeconds(folder.Path("stereo.wav").c_str()), 1.5);
    EXPECT_DOUBLE_EQ(WaveSeconds(folder.Path("mono24.wav").c_str()), 0.75);
    EXPECT_DOUBLE_EQ(WaveSeconds(folder.Path("float.wav").c_str()), 2.0);
    EXPECT_DOUBLE_EQ(WaveSeconds(folder.Path("ragged.wav").c_str()), 1.0);
}

TEST(WaveLength, UnknownWhenTheFileCannotTellIt)
{
    TempFolder folder;
    folder.Write("adpcm.wav", Wave(2, 1, 22050, 4, 1024));
    std::string cut = Wave(1, 1, 8000, 16, 16000);
    folder.Write("cut.wav", cut.substr(0, cut.size() - 100));
    folder.Write("text.wav", "not a wave at all");
    EXPECT_EQ(WaveSeconds(folder.Path("adpcm.wav").c_str()), 0);
    EXPECT_EQ(WaveSeconds(folder.Path("cut.wav").c_str()), 0);
    EXPECT_EQ(WaveSeconds(folder.Path("text.wav").c_str()), 0);
    EXPECT_EQ(WaveSeconds(folder.Path("missing.wav").c_str()), 0);
}

}  // namespace
