#!/usr/bin/env python3
"""Reads what the checks and the figures need from a Windows program (PE)
file: machine, subsystem, time stamps, sections, exports, imports and the
resource directory. Standard library only; every offset is bounds-checked,
so a damaged file raises PeError instead of reading past its end.

    scripts/pe.py FILE...      prints each file's summary
"""
import struct
import sys

MACHINES = {0x14C: "i386", 0x8664: "x86-64"}
SUBSYSTEMS = {2: "GUI", 3: "console"}
RESOURCE_TYPES = {1: "CURSOR", 2: "BITMAP", 3: "ICON", 4: "MENU", 5: "DIALOG", 6: "STRING",
                  10: "RCDATA", 12: "GROUP_CURSOR", 14: "GROUP_ICON", 16: "VERSION",
                  24: "MANIFEST"}
IMAGE_FILE_DLL = 0x2000


class PeError(Exception):
    pass


class Pe:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        self.path = path
        if self._bytes(0, 2) != b"MZ":
            raise PeError(f"{path}: no MZ header")
        pe = self._u32(0x3C)
        if self._bytes(pe, 4) != b"PE\0\0":
            raise PeError(f"{path}: no PE header")
        (self.machine, sections, self.timestamp, _, _, optional_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", self._bytes(pe + 4, 20))
        opt = pe + 24
        magic = self._u16(opt)
        if magic not in (0x10B, 0x20B):
            raise PeError(f"{path}: unknown optional header {magic:#x}")
        self.checksum = self._u32(opt + 64)
        self.subsystem = self._u16(opt + 68)
        directories = opt + (96 if magic == 0x10B else 112)
        count = self._u32(directories - 4)
        self.directories = [struct.unpack_from("<II", self._bytes(directories + 8 * i, 8))
                            for i in range(min(count, 16))]
        self.sections = []
        table = opt + optional_size
        for i in range(sections):
            name, vsize, rva, raw_size, raw_at = struct.unpack_from(
                "<8sIIII", self._bytes(table + 40 * i, 24))
            self.sections.append((name.rstrip(b"\0").decode("latin-1"), vsize, rva, raw_size, raw_at))

    # Bounded reads of the file.
    def _bytes(self, at, size):
        if at < 0 or size < 0 or at + size > len(self.data):
            raise PeError(f"{self.path}: reads past the end of the file")
        return self.data[at:at + size]

    def _u16(self, at):
        return struct.unpack_from("<H", self._bytes(at, 2))[0]

    def _u32(self, at):
        return struct.unpack_from("<I", self._bytes(at, 4))[0]

    def offset(self, rva):
        for _, vsize, start, raw_size, raw_at in self.sections:
            if start <= rva < start + max(vsize, raw_size):
                if rva - start >= raw_size:
                    raise PeError(f"{self.path}: address {rva:#x} has no file data")
                return raw_at + rva - start
        raise PeError(f"{self.path}: address {rva:#x} is in no section")

    def text(self, rva, limit=512):
        at = self.offset(rva)
        end = self.data.find(b"\0", at, at + limit)
        if end < 0:
            raise PeError(f"{self.path}: unterminated name at {rva:#x}")
        return self.data[at:end].decode("latin-1")

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    @property
    def is_dll(self):
        return bool(self.characteristics & IMAGE_FILE_DLL)

    def exports(self):
        rva, size = self.directory(0)
        if not size:
            return [], 0
        at = self.offset(rva)
        timestamp = self._u32(at + 4)
        names, table = self._u32(at + 24), self._u32(at + 32)
        if names > 65536:
            raise PeError(f"{self.path}: {names} export names")
        return [self.text(self._u32(self.offset(table) + 4 * i)) for i in range(names)], timestamp

    def imports(self):
        """Names of the imported libraries, upper case."""
        rva, size = self.directory(1)
        dlls = []
        at = self.offset(rva) if size else None
        while at is not None:
            name = self._u32(at + 12)
            if not name:
                break
            dlls.append(self.text(name).upper())
            at += 20
            if len(dlls) > 256:
                raise PeError(f"{self.path}: import table does not end")
        return dlls

    def resources(self):
        """{type: {name: [data bytes per language]}} and the directories'
        time stamps. Types and names are ints or strings."""
        rva, size = self.directory(2)
        found, stamps = {}, []
        if not size:
            return found, stamps
        base = self.offset(rva)

        def entries(at, depth):
            if depth > 3:
                raise PeError(f"{self.path}: resource directory nests too deep")
            stamps.append(self._u32(at + 4))
            count = self._u16(at + 12) + self._u16(at + 14)
            for i in range(count):
                name, target = struct.unpack_from("<II", self._bytes(at + 16 + 8 * i, 8))
                if name & 0x80000000:
                    where = base + (name & 0x7FFFFFFF)
                    length = self._u16(where)
                    name = self._bytes(where + 2, 2 * length).decode("utf-16-le")
                yield name, target

        for kind, at in entries(base, 1):
            kind = RESOURCE_TYPES.get(kind, kind)
            found[kind] = {}
            for name, at2 in entries(base + (at & 0x7FFFFFFF), 2):
                found[kind][name] = []
                for _, leaf in entries(base + (at2 & 0x7FFFFFFF), 3):
                    data_rva, data_size = struct.unpack_from("<II", self._bytes(base + leaf, 8))
                    found[kind][name].append(self._bytes(self.offset(data_rva), data_size))
        return found, stamps

    def strings(self):
        """The string table as {id: text}."""
        table, _ = self.resources()
        result = {}
        for block, datas in table.get("STRING", {}).items():
            if not isinstance(block, int):
                continue
            data, at = datas[0], 0
            for i in range(16):
                if at + 2 > len(data):
                    break
                length = struct.unpack_from("<H", data, at)[0]
                if length:
                    result[(block - 1) * 16 + i] = data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
                at += 2 + 2 * length
        return result


def main(paths):
    for path in paths:
        pe = Pe(path)
        print(f"{path}: {MACHINES.get(pe.machine, hex(pe.machine))}, "
              f"{SUBSYSTEMS.get(pe.subsystem, pe.subsystem)}, {'DLL' if pe.is_dll else 'program'}, "
              f"time stamp {pe.timestamp:#x}")
        for name, vsize, _, raw_size, _ in pe.sections:
            print(f"  section {name:8} {raw_size:8} bytes in the file, {vsize:8} in memory")
        print("  imports: " + " ".join(pe.imports()))
        exports, _ = pe.exports()
        if exports:
            print("  exports: " + " ".join(exports))
        table, _ = pe.resources()
        for kind, names in table.items():
            print(f"  {kind}: " + " ".join(str(n) for n in names))


if __name__ == "__main__":
    main(sys.argv[1:])
