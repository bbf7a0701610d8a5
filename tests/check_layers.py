#!/usr/bin/env python3
"""The program's folders are layers: each one may include the headers of its
own folder and of the folders below it, never of one above. The data-access
layer, the platform layer and the session use QtCore only.

Usage: check_layers.py SOURCE_DIR. Prints every include that breaks a rule and
exits with 1 when there is one."""
import os
import re
import sys

# From the bottom up, as the top-level CMakeLists.txt builds them.
LAYERS = ["framework/data", "rtf", "report", "schema", "platform", "framework/ui", "forms",
          "import", "registry", "documents", "meetings", "calendar", "shell"]
# Files that must not reach beyond QtCore, wherever they are.
CORE_ONLY = ["framework/data/", "platform/", "forms/UDMMain."]
QT_ALLOWED = {"QtCore"}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)


def qt_module_of(header, qt_dirs):
    name = header.split("/")[-1]
    for module, names in qt_dirs.items():
        if name in names:
            return module
    return None


def main(root):
    owner = {}
    for layer in LAYERS:
        folder = os.path.join(root, layer)
        if not os.path.isdir(folder):
            continue
        for name in os.listdir(folder):
            if name.endswith(".h"):
                owner.setdefault(name, layer)
    qt_base = "/usr/include/x86_64-linux-gnu/qt6"
    qt_dirs = {}
    if os.path.isdir(qt_base):
        for module in os.listdir(qt_base):
            path = os.path.join(qt_base, module)
            if os.path.isdir(path):
                qt_dirs[module] = set(os.listdir(path))
    faults = []
    for index, layer in enumerate(LAYERS):
        folder = os.path.join(root, layer)
        if not os.path.isdir(folder):
            continue
        for name in sorted(os.listdir(folder)):
            if not name.endswith((".h", ".cpp")):
                continue
            relative = f"{layer}/{name}"
            text = open(os.path.join(folder, name), encoding="utf-8").read()
            for kind, header in INCLUDE.findall(text):
                if kind == '"':
                    target = owner.get(os.path.basename(header))
                    if target and LAYERS.index(target) > index:
                        faults.append(f"{relative}: includes {header} of {target}, a layer above {layer}")
                elif any(relative.startswith(p) for p in CORE_ONLY) and header.startswith("Q"):
                    module = qt_module_of(header, qt_dirs)
                    if module and module not in QT_ALLOWED:
                        faults.append(f"{relative}: includes <{header}> of {module}; this layer uses QtCore only")
    for fault in faults:
        print(fault)
    if faults:
        print(f"{len(faults)} include(s) break the layers")
        return 1
    print(f"layers: {len(LAYERS)} folders, every include points down")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))
