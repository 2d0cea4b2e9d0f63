#ifndef LUM_SKIN_MESSAGES_H
#define LUM_SKIN_MESSAGES_H

#include <cstdint>

// The texts the program shows of its own, and the one way the skin model's
// readers and its start-up show them. They sit below both, so that a reader
// never calls up into the start-up sequence.
const char kNoIniText[] = "no valid ini file!";
const char kNoBitmapText[] = "no valid Bitmap!";
const char kNotBitmapText[] = "This isn't a bitmap file!";
// A press whose sound does not play: the window shows it itself.
const char kNoSoundText[] = "no valid sound file or sound device already in use!";

// What the person has been told: the messages shown so far, and whether a
// failed start-up is ending the program, after which nothing more is shown,
// since the window that would own a box is gone.
struct MessagesRecord {
    int32_t shown;
    int32_t ending;
};

extern MessagesRecord Messages;

// Shows a message of the skin model through ShowMessage, unless the program is
// already ending.
void TellUser(const char* text);

#endif
