#include "LoadFailure.h"

const char* LoadFailureWord(LoadFailure failure)
{
    switch (failure) {
    case LoadFailure::None: break;
    case LoadFailure::CannotOpen: return "cannot-open";
    case LoadFailure::CannotRead: return "cannot-read";
    case LoadFailure::NotBitmap: return "not-bitmap";
    case LoadFailure::TooShortForHeaders: return "too-short-for-headers";
    case LoadFailure::ColourTableOutsideFile: return "colour-table-outside-file";
    case LoadFailure::PixelsOutsideFile: return "pixels-outside-file";
    case LoadFailure::Not24Bit: return "not-24-bit";
    case LoadFailure::TopDown: return "top-down";
    case LoadFailure::ZeroSize: return "zero-size";
    case LoadFailure::Compressed: return "compressed";
    case LoadFailure::NoMemory: return "no-memory";
    }
    return "";
}
