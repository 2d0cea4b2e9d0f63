#ifndef LUM_SKIN_LOADFAILURE_H
#define LUM_SKIN_LOADFAILURE_H

#include "BitmapInfo.h"

#include <cstdint>
#include <string>

// Why a skin folder's file could not be used: one reason per cause, each
// described once, in LoadFailure.cpp. The program shows only its own message
// texts; the tools around it name these.
enum class LoadFailure {
    None,
    CannotOpen,
    CannotRead,
    NotBitmap,
    TooShortForHeaders,
    ColourTableOutsideFile,
    PixelsOutsideFile,
    Not24Bit,
    TopDown,
    ZeroSize,
    Compressed,
    NoMemory
};

// The one depth a skin's pixels may have, in bits.
const uint16_t kSkinBitCount = 24;

// The reason as one fixed word, such as "not-24-bit"; "" for None.
const char* LoadFailureWord(LoadFailure failure);

// The reason for a person, to follow "because": "it is too short for its
// headers". Not24Bit and Compressed name a value of the file's info header,
// which must be given for them; "" for None.
std::string LoadFailureText(LoadFailure failure, const BITMAPINFOHEADER* header);

#endif
