#include "LoadFailure.h"

#include <cstdio>

namespace {

struct Description {
    const char* word;
    // Where it holds %u, the first is a value of the file's info header and
    // the second the skin's depth.
    const char* text;
};

}  // namespace

// In the order of the reasons.
static const Description kDescriptions[] = {
    {"", ""},
    {"cannot-open", "it cannot be opened for reading"},
    {"cannot-read", "the system reported an error reading it"},
    {"not-bitmap", "it does not start with \"BM\", so it is not a bitmap file"},
    {"too-short-for-headers", "it is too short for its headers"},
    {"colour-table-outside-file", "it is too short for its colour table"},
    {"pixels-outside-file", "the file is too short for the pixels its header describes"},
    {"not-24-bit", "it has %u bits per pixel, not %u"},
    {"top-down", "it is stored top-down (negative height), which is not accepted"},
    {"zero-size", "its width or height is not positive"},
    {"compressed",
     "its pixels are marked compressed (biCompression %u), which the system does not draw for a %u-bit picture"},
    {"no-memory", "there was no memory for it"},
};

static_assert(sizeof kDescriptions / sizeof kDescriptions[0] == size_t(LoadFailure::NoMemory) + 1,
              "every reason has its description");

const char* LoadFailureWord(LoadFailure failure)
{
    return kDescriptions[int(failure)].word;
}

// The value of the info header that the reason's text names.
static unsigned HeaderValue(LoadFailure failure, const BITMAPINFOHEADER* header)
{
    if (failure == LoadFailure::Not24Bit)
        return header->biBitCount;
    if (failure == LoadFailure::Compressed)
        return header->biCompression;
    return 0;
}

std::string LoadFailureText(LoadFailure failure, const BITMAPINFOHEADER* header)
{
    char text[160];
    std::snprintf(text, sizeof text, kDescriptions[int(failure)].text, HeaderValue(failure, header),
                  unsigned(kSkinBitCount));
    return text;
}
