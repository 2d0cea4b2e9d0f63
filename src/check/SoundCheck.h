#ifndef LUM_CHECK_SOUNDCHECK_H
#define LUM_CHECK_SOUNDCHECK_H

// Looks for the sound file that a press on the slot would play, as Windows
// would find it from the skin folder, and adds the findings about it.
void CheckSoundOfSlot(int slot);

#endif
