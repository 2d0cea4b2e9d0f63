#ifndef LUM_PLATFORM_LOCKEDBLOCK_H
#define LUM_PLATFORM_LOCKEDBLOCK_H

#include <cstdint>

// A block that stays at its address until it is released. A request for 0
// bytes, or for more than the address space can hold, gives none (nullptr).
void* AllocLockedBlock(uint64_t byteCount);

// Gives back a block from AllocLockedBlock; nullptr is ignored.
void ReleaseLockedBlock(void* block);

#endif
