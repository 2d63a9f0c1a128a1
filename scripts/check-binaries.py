#!/usr/bin/env python3
"""check-binaries.py DIR MACHINE: checks the four built programs in DIR the
way Windows and their peers will see them. MACHINE is i386 (the shipped
build) or x86-64 (the build tested under Wine).

- machine type, GUI subsystem, program or library as each must be;
- no link or resource time stamps (two builds of one commit are identical);
- the installer's resources by name: the three carried programs (byte for
  byte the built files), DIALOG_PRELIM, icon groups 2 to 4, string table
  entries 1 to 3 (entry 3 a saver file name, ending in ".scr");
- the saver's extension ".scr";
- the programs' manifests: the installer and the uninstall support ask to run
  as administrator (they write the Windows directory and HKEY_LOCAL_MACHINE),
  the saver runs as its caller; all three are aware of the system's DPI, so
  that later Windows does not stretch them under display scaling;
- quadrix.dll exports exactly its entry points, by undecorated name;
- the libraries imported are system libraries that Windows 95 and NT 4 ship
  (the function list is scripts/check-imports.sh's), and none imports
  opengl32.dll: the saver loads its OpenGL driver by name at run time.
Prints one line per failure and exits 1 if there was any.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pe import MACHINES, SUBSYSTEMS, Pe, PeError  # noqa: E402

# The libraries every Windows 95 and NT 4 system has. MSVCRT.DLL comes with
# NT 4 and Windows 98, and with early Windows 95 once any program brought it.
SYSTEM_LIBRARIES = {"KERNEL32.DLL", "USER32.DLL", "GDI32.DLL", "ADVAPI32.DLL", "SHELL32.DLL",
                    "OLE32.DLL", "OLEAUT32.DLL", "COMCTL32.DLL", "COMDLG32.DLL", "VERSION.DLL",
                    "WINMM.DLL", "MSVCRT.DLL"}

# quadrix.dll's entry points: seven in the rundll32 shape, the two the saver
# calls and the two COM ones.
QUADRIX_EXPORTS = {"RunService", "TerminateService", "RunDialog", "RunInstallDialog",
                   "InstallSilently", "UninstallSilently", "RunAboutDialog",
                   "System_Agent_Detect", "Screen_Saver_Changed",
                   "DllGetClassObject", "DllCanUnloadNow"}

RUN_LEVELS = {"orbelle.scr": "asInvoker", "unglimex.exe": "requireAdministrator",
              "orbelle-setup.exe": "requireAdministrator",
              "orbelle-setup-x64.exe": "requireAdministrator"}

PAYLOADS = {"RESOURCE_SAVER": "orbelle.scr", "RESOURCE_QUADRIX": "quadrix.dll",
            "RESOURCE_UNGLIMEX": "unglimex.exe"}


class Checker:
    def __init__(self, folder, machine):
        self.folder, self.machine, self.failures = folder, machine, []

    def fail(self, program, text):
        self.failures.append(f"check-binaries: {program}: {text}")

    def check_header(self, name, pe, dll):
        machine = MACHINES.get(pe.machine, hex(pe.machine))
        if machine != self.machine:
            self.fail(name, f"machine {machine}, not {self.machine}")
        if SUBSYSTEMS.get(pe.subsystem) != "GUI":
            self.fail(name, f"subsystem {SUBSYSTEMS.get(pe.subsystem, pe.subsystem)}, not GUI")
        if pe.is_dll != dll:
            self.fail(name, "is a library" if pe.is_dll else "is not a library")
        if pe.timestamp:
            self.fail(name, f"link time stamp {pe.timestamp:#x} in the header")
        _, stamps = pe.resources()
        if any(stamps):
            self.fail(name, "time stamp in the resource directory")

    def check_manifest(self, name, pe):
        table, _ = pe.resources()
        manifest = table.get("MANIFEST", {}).get(1)
        if not manifest:
            self.fail(name, "has no manifest")
            return
        text = manifest[0].decode("utf-8", "replace")
        if f'requestedExecutionLevel level="{RUN_LEVELS[name]}"' not in text:
            self.fail(name, f"manifest does not ask for {RUN_LEVELS[name]}")
        if ('<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true'
                '</dpiAware>') not in text:
            self.fail(name, "manifest does not declare the system's DPI awareness")

    def check_imports(self, name, pe):
        for dll in pe.imports():
            if dll == "OPENGL32.DLL":
                self.fail(name, "imports opengl32.dll (the driver is loaded by name at run time)")
            elif dll not in SYSTEM_LIBRARIES:
                self.fail(name, f"imports {dll}, which Windows 95 and NT 4 do not ship")

    def check_installer(self, name, pe):
        table, _ = pe.resources()
        rcdata = table.get("RCDATA", {})
        for resource, program in PAYLOADS.items():
            if resource not in rcdata:
                self.fail(name, f"RCDATA {resource} is missing")
                continue
            path = os.path.join(self.folder, program)
            if os.path.exists(path) and rcdata[resource][0] != open(path, "rb").read():
                self.fail(name, f"RCDATA {resource} is not the built {program}")
        if "DIALOG_PRELIM" not in table.get("DIALOG", {}):
            self.fail(name, "DIALOG DIALOG_PRELIM is missing")
        for icon in (2, 3, 4):
            if icon not in table.get("GROUP_ICON", {}):
                self.fail(name, f"icon {icon} is missing")
        strings = pe.strings()
        for entry in (1, 2, 3):
            if not strings.get(entry):
                self.fail(name, f"string table entry {entry} is missing or empty")
        if not strings.get(3, "").lower().endswith(".scr"):
            self.fail(name, f"string 3 \"{strings.get(3, '')}\" is no saver file name (.scr)")

    def check_module(self, name, pe):
        exports, stamp = pe.exports()
        names = set(exports)
        for missing in sorted(QUADRIX_EXPORTS - names):
            self.fail(name, f"does not export {missing}")
        for extra in sorted(names - QUADRIX_EXPORTS):
            self.fail(name, f"exports {extra}, which is no entry point of the module")
        if stamp:
            self.fail(name, f"time stamp {stamp:#x} in the export directory")

    def run(self):
        installer = "orbelle-setup.exe" if self.machine == "i386" else "orbelle-setup-x64.exe"
        programs = [(installer, False, self.check_installer), ("orbelle.scr", False, None),
                    ("quadrix.dll", True, self.check_module), ("unglimex.exe", False, None)]
        if not any(name.lower().endswith(".scr") for name in os.listdir(self.folder)):
            self.fail("orbelle.scr", "no saver with the extension .scr was built")
        for name, dll, special in programs:
            path = os.path.join(self.folder, name)
            try:
                pe = Pe(path)
            except (OSError, PeError) as error:
                self.fail(name, str(error))
                continue
            self.check_header(name, pe, dll)
            self.check_imports(name, pe)
            if name in RUN_LEVELS:
                self.check_manifest(name, pe)
            if special:
                special(name, pe)
        return self.failures


def main():
    if len(sys.argv) != 3 or sys.argv[2] not in MACHINES.values():
        sys.exit("usage: check-binaries.py DIR i386|x86-64")
    failures = Checker(sys.argv[1], sys.argv[2]).run()
    for line in failures:
        print(line)
    print(f"check-binaries: {sys.argv[1]}: {len(failures)} failures")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
