#include "LockedBlock.h"

#include <windows.h>

#include <cstdint>

void* AllocLockedBlock(uint64_t byteCount)
{
    if (byteCount == 0 || byteCount > SIZE_MAX)
        return nullptr;
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(byteCount));
    if (!handle)
        return nullptr;
    void* block = GlobalLock(handle);
    if (!block)
        GlobalFree(handle);
    return block;
}

void ReleaseLockedBlock(void* block)
{
    if (!block)
        return;
    HGLOBAL handle = GlobalHandle(block);
    GlobalUnlock(handle);
    GlobalFree(handle);
}
