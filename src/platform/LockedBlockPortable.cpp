#include "LockedBlock.h"

#include "PlatformFaults.h"

#include <cstdint>
#include <cstdlib>

void* AllocLockedBlock(uint64_t byteCount)
{
    if (++PlatformFaults.allocations == PlatformFaults.failAllocation)
        return nullptr;
    if (byteCount == 0 || byteCount > SIZE_MAX)
        return nullptr;
    return std::malloc(static_cast<size_t>(byteCount));
}

void ReleaseLockedBlock(void* block)
{
    std::free(block);
}
