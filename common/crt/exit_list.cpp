#include "common/crt/exit_list.h"

#include <cstddef>

namespace {

using Function = void (*)();

// Static objects with destructors, function-local ones included: a handful
// in each program. Past this atexit refuses, as the C standard lets it.
constexpr int kMostExitFunctions = 64;
Function gExitFunctions[kMostExitFunctions];
int gExitCount;

} // namespace

// The linker's lists (its PE script): a -1 count first, then the entries, a
// null last.
extern "C" Function __CTOR_LIST__[];
extern "C" Function __DTOR_LIST__[];

extern "C" int atexit(Function function)
{
    if (!function || gExitCount == kMostExitFunctions)
        return -1;
    gExitFunctions[gExitCount++] = function;
    return 0;
}

void RunStaticConstructors()
{
    // Last first, as gcc's own start-up walks the list.
    std::size_t count = 0;
    while (__CTOR_LIST__[count + 1])
        ++count;
    for (std::size_t i = count; i > 0; --i)
        __CTOR_LIST__[i]();
}

void RunExitFunctions()
{
    while (gExitCount > 0)
        gExitFunctions[--gExitCount]();
    static bool destroyed;
    if (destroyed)
        return;
    destroyed = true;
    for (std::size_t i = 1; __DTOR_LIST__[i]; ++i)
        __DTOR_LIST__[i]();
}
