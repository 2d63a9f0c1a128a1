#!/usr/bin/env python3
# tb-count.py PROGRAM LOG: the guest instructions a qemu run executed, from
# its "-d in_asm,exec,nochain" log: each translated block's instruction
# count (in_asm) times the times it ran (exec). Prints JSON: "all", "ours"
# (the program's own functions, the C library's left out) and per function.
import bisect, json, re, subprocess, sys

program, log = sys.argv[1], sys.argv[2]

# The program's functions by address, from nm; ours are those not in the C
# library's archive members (their symbols come from our objects' sources).
symbols = []
for line in subprocess.run(["nm", "-C", "--defined-only", "-n", program], capture_output=True,
                           text=True, check=True).stdout.splitlines():
    parts = line.split(" ", 2)
    # Local labels (.L…) are places inside a function, not functions.
    if len(parts) == 3 and parts[1] in "tTwW" and not parts[2].startswith(".L"):
        symbols.append((int(parts[0], 16), parts[2]))
starts = [a for a, _ in symbols]
# Ours are told by name: the rings', the runtime's maths and main.
ours_pattern = re.compile(r"(Ring|Draw|Frame|Build|Tilt|Level|Hsv|Advance|Wrap|Rand|Eye|"
                          r"RunRow|main$|^sin|^cos|^sincos|^sqrt|^fabs|^floor|^ceil|^trunc|"
                          r"^fmod|anonymous namespace|Arrays)")

def function_of(pc):
    i = bisect.bisect_right(starts, pc) - 1
    return symbols[i][1] if i >= 0 else "?"

sizes = {}
counts = {}
current = None
block = 0
with open(log, errors="replace") as f:
    for line in f:
        if line.startswith("IN:"):
            current, block = None, 0
            continue
        if line.startswith("0x") and ":" in line[:20]:
            pc = int(line.split(":", 1)[0], 16)
            if current is None:
                current = pc
            block += 1
            continue
        if current is not None and not line.strip():
            sizes[current] = block
            current = None
            continue
        if line.startswith("Trace "):
            m = re.search(r"\[[0-9a-f]+/([0-9a-f]+)/", line)
            if m:
                pc = int(m.group(1), 16)
                counts[pc] = counts.get(pc, 0) + 1

total = 0
our_total = 0
functions = {}
for pc, n in counts.items():
    executed = n * sizes.get(pc, 0)
    total += executed
    name = function_of(pc)
    functions[name] = functions.get(name, 0) + executed
    if ours_pattern.search(name):
        our_total += executed
print(json.dumps({"all": total, "ours": our_total,
                  "functions": {k: v for k, v in functions.items() if v}}))
