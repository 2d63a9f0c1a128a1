#!/usr/bin/env python3
"""payloads.py PACKAGE OUTDIR: writes the three programs that the package
carries in its resources to OUTDIR under their installed names, so that the
checks read the very bytes the installer writes.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pe import Pe, PeError  # noqa: E402

PAYLOADS = {"RESOURCE_SAVER": "orbelle.scr", "RESOURCE_QUADRIX": "quadrix.dll",
            "RESOURCE_UNGLIMEX": "unglimex.exe"}


def payloads(package):
    """{installed name: bytes} of the carried programs."""
    table, _ = Pe(package).resources()
    carried = {}
    for resource, name in PAYLOADS.items():
        datas = table.get("RCDATA", {}).get(resource)
        if not datas:
            raise PeError(f"{package}: no {resource}")
        carried[name] = datas[0]
    return carried


def main(package, out):
    os.makedirs(out, exist_ok=True)
    for name, data in payloads(package).items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: payloads.py PACKAGE OUTDIR")
    try:
        sys.exit(main(sys.argv[1], sys.argv[2]))
    except (OSError, PeError) as error:
        sys.exit(f"payloads: {error}")
