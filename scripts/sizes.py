#!/usr/bin/env python3
"""sizes.py [DIR]: the sizes of the four programs in DIR (default build/i686),
whole and per section, beside the sizes of the payloads the original package
shipped. Prints a Markdown table (docs/bench.md carries one)."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pe import Pe  # noqa: E402

# The carried programs of the original package, in bytes.
SHIPPED = {"orbelle.scr": 1185792, "quadrix.dll": 97792, "unglimex.exe": 113152}
PROGRAMS = ["orbelle-setup.exe", "orbelle.scr", "quadrix.dll", "unglimex.exe"]
# The whole package may be at most this (30 % of the shipped payloads).
BUDGET = 420 * 1024


def row(name, size, shipped, sections):
    listed = ", ".join(f"{s} {n:,}" for s, n in sections)
    return f"| {name} | {size:,} | {shipped} | {listed} |"


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "build", "i686")
    print("| Program | Bytes | Shipped payload | Sections (bytes in the file) |")
    print("|---|---:|---:|---|")
    for name in PROGRAMS:
        path = os.path.join(folder, name)
        if not os.path.exists(path):
            print(f"| {name} | missing | | |")
            continue
        pe = Pe(path)
        sections = [(s[0], s[3]) for s in pe.sections if s[3]]
        shipped = f"{SHIPPED[name]:,}" if name in SHIPPED else ""
        print(row(name, os.path.getsize(path), shipped, sections))
    payloads = sum(SHIPPED.values())
    package = os.path.getsize(os.path.join(folder, PROGRAMS[0])) if os.path.exists(
        os.path.join(folder, PROGRAMS[0])) else 0
    print(f"| the package | {package:,} | {payloads:,} | "
          f"{100.0 * package / payloads:.1f} % of the shipped payloads; aim at most {BUDGET:,} |")


if __name__ == "__main__":
    main()
