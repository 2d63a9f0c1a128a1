#!/usr/bin/env python3
"""The instruction check itself: objects assembled here with one instruction
of each later processor are each named, with their address; the i486's own
instructions pass."""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../scripts"))
import importlib  # noqa: E402

check = importlib.import_module("check-i486")

LATER = [  # (assembler line, what the check must say)
    ("cmove %eax, %edx", "cmove"),
    ("fucomi %st(1), %st", "fucomi"),
    ("fcmovb %st(1), %st", "fcmovb"),
    ("cpuid", "cpuid"),
    ("rdtsc", "rdtsc"),
    ("cmpxchg8b (%esi)", "cmpxchg8b"),
    ("nopw 0x0(%eax,%eax,1)", "long nop"),
    ("movq %mm0, %mm1", "vector register"),
    ("addps %xmm0, %xmm1", "vector register"),
    ("popcnt %eax, %edx", "popcnt"),
    ("sysenter", "sysenter"),
]
I486 = ["bswap %eax", "cmpxchg %ecx, (%esi)", "xadd %eax, (%edi)", "rep movsl", "fsin",
        "fprem", "fnstsw %ax", "invlpg (%eax)", "nop", "lock incl (%eax)"]


def assemble(lines, work):
    source = os.path.join(work, "probe.s")
    with open(source, "w") as f:
        f.write(".text\n" + "\n".join(lines) + "\n")
    obj = os.path.join(work, "probe.o")
    subprocess.run(["i686-w64-mingw32-as", "--32", "-o", obj, source], check=True)
    return obj


def main():
    failures = 0
    with tempfile.TemporaryDirectory() as work:
        for line, reason in LATER:
            found = check.scan(assemble(["nop", line], work), "probe")
            if len(found) != 1 or f"({reason})" not in found[0] or "0x1 " not in found[0]:
                print(f"FAIL: {line}: {found}")
                failures += 1
        found = check.scan(assemble(I486, work), "probe")
        if found:
            print(f"FAIL: i486 instructions named: {found}")
            failures += 1
    print(f"{len(LATER) + 1 - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
