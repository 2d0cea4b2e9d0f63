#include "LockedBlock.h"

#include <cstdint>
#include <cstdlib>

void* AllocLockedBlock(uint64_t byteCount)
{
    if (byteCount == 0 || byteCount > SIZE_MAX)
        return nullptr;
    return std::malloc(static_cast<size_t>(byteCount));
}

void ReleaseLockedBlock(void* block)
{
    std::free(block);
}
