#ifndef LUM_SKIN_LOADFAILURE_H
#define LUM_SKIN_LOADFAILURE_H

// Why a skin folder's file could not be used: one reason per cause. The
// program shows only its own message texts; the tools around it name these.
enum class LoadFailure {
    None,
    CannotOpen,              // missing, a folder, not a plain file, no access
    CannotRead,              // the system reported an error reading it
    NotBitmap,               // it does not start with "BM"
    TooShortForHeaders,      // it ends inside the file header or the info header
    ColourTableOutsideFile,  // the colour table reaches past its end
    PixelsOutsideFile,       // the pixel array reaches past its end
    Not24Bit,                // the picture is not 24 bits per pixel
    TopDown,                 // the picture is stored top row first (negative height)
    ZeroSize,                // the picture has no positive width or height
    Compressed,              // the pixels are marked compressed, which a 24-bit skin cannot be
    NoMemory                 // a block it needs could not be had
};

// The reason as one fixed word, such as "not-24-bit"; "" for None.
const char* LoadFailureWord(LoadFailure failure);

#endif
