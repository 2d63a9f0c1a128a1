// libFuzzer target for the saver's command line and the "%i" reader. Built
// and run by scripts/fuzz-saver.sh (clang), not by the ordinary build.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "saver/framework/cmdline.h"

namespace {

bool OddWindows(std::uintptr_t window, void*)
{
    return window % 3 == 1;
}

std::uintptr_t Foreground(void*)
{
    return 0x777;
}

bool NeverBCB(std::uintptr_t, void*)
{
    return false;
}

std::uintptr_t NoLumidex(void*)
{
    return 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<char> line(data, data + size);
    line.push_back('\0');
    TScrParseHooks hooks;
    hooks.isWindow = &OddWindows;
    hooks.foregroundWindow = &Foreground;
    hooks.ownedByBCB = &NeverBCB;
    hooks.checkForLumidex = &NoLumidex;
    TScrMode mode = smNone;
    std::uintptr_t window = 0;
    ParseCommandLine(line.data(), hooks, &mode, &window);
    // Only these modes come out of the parser, and only previews need a window.
    if (mode != smNone && mode != smSFull && mode != smSPMain && mode != smCRegular &&
        mode != smPasswordChange)
        __builtin_trap();
    if (mode == smSPMain && !OddWindows(window, nullptr))
        __builtin_trap();
    if ((mode == smNone || mode == smSFull) && window != 0)
        __builtin_trap();
    std::int64_t value = 0;
    ReadScanInteger(line.data(), &value);
    IsBCBExecutable(line.data());
    ScrModeName(static_cast<int>(size % 300) - 20);
    return 0;
}
