#!/usr/bin/env python3
"""check-i486.py DIR: every instruction in the shipped 32-bit programs in DIR,
and in the three programs the package carries in its resources, is one that
an i486DX executes. Reads every executable section with the cross objdump
and names each instruction from a later processor with its address.

What a 486 lacks: the Pentium's (cpuid, rdtsc, cmpxchg8b, the model-specific
registers), the Pentium Pro's (cmov, fcmov, fcomi and fucomi, rdpmc,
sysenter, the long nop 0F 1F), MMX, SSE and later vector sets, 3DNow!, and
the newer integer ones (popcnt, movbe, the BMI sets, ...).
"""
import os
import re
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pe import PeError  # noqa: E402
from payloads import payloads  # noqa: E402

OBJDUMP = "i686-w64-mingw32-objdump"
PROGRAMS = ["orbelle-setup.exe", "orbelle.scr", "quadrix.dll", "unglimex.exe"]

LATER = {
    # Pentium
    "cpuid", "rdtsc", "rdmsr", "wrmsr", "cmpxchg8b", "rsm",
    # Pentium Pro and II
    "fcomi", "fcomip", "fucomi", "fucomip", "rdpmc", "sysenter", "sysexit",
    "fxsave", "fxrstor", "syscall", "sysret",
    # SSE and later without a vector register among their operands
    "ldmxcsr", "stmxcsr", "sfence", "lfence", "mfence", "clflush", "movnti", "fisttp",
    "fisttpl", "fisttpll", "fisttps", "prefetchnta", "prefetcht0", "prefetcht1", "prefetcht2",
    "prefetch", "prefetchw", "femms", "emms",
    # newer integer instructions
    "popcnt", "lzcnt", "tzcnt", "movbe", "crc32", "andn", "bextr", "blsi", "blsmsk", "blsr",
    "bzhi", "shlx", "shrx", "sarx", "rorx", "pdep", "pext", "mulx", "adcx", "adox",
    "rdrand", "rdseed", "xgetbv", "xsave", "xrstor", "rdtscp",
}
LATER_PREFIXES = ("cmov", "fcmov", "pf", "pi2f", "pf2i")
VECTOR_REGISTER = re.compile(r"%[xyz]?mm\d")
LINE = re.compile(r"^\s*([0-9a-f]+):\t([0-9a-f ]+)\t(.*)$")


def later_instruction(encoding, text):
    """The reason an instruction is beyond the i486, or None."""
    words = text.split()
    if not words:
        return None
    # Prefixes (rep, lock, data16, ...) come first; the instruction after them.
    mnemonic = next((w for w in words if w not in ("rep", "repz", "repnz", "repe", "repne",
                                                      "lock", "data16", "addr16", "cs", "ds",
                                                      "es", "ss", "fs", "gs")), words[0])
    base = mnemonic.split(".")[0]
    if base in LATER or base.startswith(LATER_PREFIXES):
        return base
    if VECTOR_REGISTER.search(text):
        return "vector register"
    opcode = [b for b in encoding.split()]
    while opcode and opcode[0] in ("66", "67", "f2", "f3", "f0", "2e", "3e", "26", "36", "64", "65"):
        opcode = opcode[1:]
    if opcode[:2] == ["0f", "1f"]:
        return "long nop"
    return None


def scan(path, label):
    """Each offending instruction as text."""
    found = []
    listing = subprocess.run([OBJDUMP, "-d", path],
                             capture_output=True, text=True, check=True).stdout
    for line in listing.splitlines():
        m = LINE.match(line)
        if not m:
            continue
        reason = later_instruction(m.group(2), m.group(3))
        if reason:
            found.append(f"{label}: {int(m.group(1), 16):#x} {m.group(3).strip()} ({reason})")
    return found


def main(directory):
    problems, scanned = [], 0
    for program in PROGRAMS:
        path = os.path.join(directory, program)
        if not os.path.exists(path):
            problems.append(f"{program}: missing")
            continue
        problems += scan(path, program)
        scanned += 1
    try:
        carried = {f"{PROGRAMS[0]}!{name}": data
                   for name, data in payloads(os.path.join(directory, PROGRAMS[0])).items()}
    except (OSError, PeError) as error:
        problems.append(str(error))
        carried = {}
    with tempfile.TemporaryDirectory() as work:
        for label, data in carried.items():
            path = os.path.join(work, "payload")
            with open(path, "wb") as f:
                f.write(data)
            problems += scan(path, label)
            scanned += 1
    for problem in problems:
        print(f"check-i486: {problem}")
    print(f"check-i486: {scanned} programs read, {len(problems)} instructions beyond the i486")
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: check-i486.py DIR")
    sys.exit(main(sys.argv[1]))
