// What the C++ compiler's output needs of its library beyond operator new
// and delete (common/runtime.cpp), for programs that link no C++ library.
#include <windows.h>

#include <new>

const std::nothrow_t std::nothrow{};

// Called through a pure virtual function's slot: a call during a class's
// construction or destruction, a fault in the program.
extern "C" void __cxa_pure_virtual()
{
    FatalAppExitA(0, "Internal error: a pure virtual function was called.");
    ExitProcess(3);
}
