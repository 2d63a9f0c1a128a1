// The C++ runtime pieces the programs need, on the system's heap and
// without exceptions. The programs are built with -fno-exceptions; these
// definitions take the place of the ones in libstdc++, whose exception
// machinery would bring in the threads library and with it imports that
// Windows 95, 98 and NT 4 lack (GetTickCount64, AddVectoredExceptionHandler).
// A failed allocation that cannot return null, or a library check that
// would throw, ends the program with a message instead.
#include <windows.h>

#include <cstddef>
#include <new>

namespace {

[[noreturn]] void Fail(const char* what)
{
    FatalAppExitA(0, what);
    ExitProcess(3); // not reached: FatalAppExitA ends the process
}

// Null when the heap has no room; a zero-size request still gets a block.
void* TryAllocate(std::size_t size) noexcept
{
    return HeapAlloc(GetProcessHeap(), 0, size ? size : 1);
}

void* Allocate(std::size_t size)
{
    void* block = TryAllocate(size);
    if (!block)
        Fail("Out of memory.");
    return block;
}

void Release(void* block)
{
    if (block)
        HeapFree(GetProcessHeap(), 0, block);
}

} // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return TryAllocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return TryAllocate(size); }
void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, std::size_t) noexcept { Release(block); }
void operator delete[](void* block, std::size_t) noexcept { Release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Release(block); }

// What the standard containers call where they would throw.
namespace std {
void __throw_bad_alloc() { Fail("Out of memory."); }
void __throw_bad_array_new_length() { Fail("Out of memory."); }
void __throw_length_error(const char*) { Fail("Internal error: a length limit was passed."); }
void __throw_logic_error(const char*) { Fail("Internal error: a logic check failed."); }
void __throw_out_of_range(const char*) { Fail("Internal error: an index was out of range."); }
void __throw_out_of_range_fmt(const char*, ...) { Fail("Internal error: an index was out of range."); }
void __throw_invalid_argument(const char*) { Fail("Internal error: an invalid argument."); }
} // namespace std
