#include <cstdlib>
#include <new>

// The program allocates nothing but the skin's DibImage. libstdc++'s own
// nothrow new catches exceptions and so links the whole exception machinery,
// which would triple the size of the program; plain malloc does the same job.

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return std::malloc(size ? size : 1);
}

void operator delete(void* block) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}
