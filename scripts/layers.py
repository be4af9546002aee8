#!/usr/bin/env python3
"""The layers of the source tree and the check that keeps to them.

Every top-level folder is a layer. LAYERS says, for each, which other layers its files may
include; nothing else is allowed. The table is the architecture: read from the bottom up,
each layer uses only what is listed under it. A few files may cross a line that the rest of
their folder may not: FILE_EXCEPTIONS names them and says why.

    scripts/layers.py [SOURCE_ROOT]

reads every #include of every source file under SOURCE_ROOT (default: the checkout this
script is in) and prints each include that crosses a forbidden line, as file:line. The exit
status is 1 when there is any, 2 when the table itself is wrong.
"""
import os
import re
import sys

QT = "Qt"  # Qt's headers: <QWidget>, <QtCore/...>
OUTSIDE = "*"  # may include any layer: programs that drive the product from outside

# layer: (what it is, the layers its files may include)
LAYERS = {
    "bytes": ("little-endian integers in byte buffers, for both file formats", []),
    "fs": ("the file system: listings, names, attributes, text", []),
    "mapi": ("MAPI property tags, types, values and sets, shared by both formats", ["bytes"]),
    "pst": ("the .pst format: ndb/, ltp/, messaging/, check/", ["mapi", "bytes"]),
    "msg": ("compound files and the .msg format", ["mapi", "bytes"]),
    "seams": ("what a run is made of and talks through: the store service, status board, prompts, "
              "clock and yielder seams, the run's settings, state and report", ["fs"]),
    "engine": ("the conversion: folders and messages into the store service", ["seams", "fs"]),
    "run": ("the run driver and discovery", ["engine", "seams", "fs"]),
    "store": ("the store service on our own .pst writer and .msg reader", ["seams", "pst", "msg", "mapi", "fs"]),
    "cli": ("the command line", ["run", "engine", "seams", "store", "fs"]),
    "ui": ("the Qt wizard", [QT, "run", "engine", "seams", "fs"]),
    "winui": ("the Win32 wizard", ["run", "engine", "seams", "fs"]),
    "app": ("the program: the wizard or the command line", ["cli", "ui", "winui", "run", "store"]),
    "tests": ("tests", [OUTSIDE]),
    "bench": ("benchmarks", [OUTSIDE]),
    "fuzz": ("fuzzing targets of the two readers", ["pst", "msg", "bytes", "fs"]),
    "docs": ("the manual page and the program that renders the screenshots", [OUTSIDE]),
}

# file (from the source root): (the further layers it may include, why)
FILE_EXCEPTIONS = {
    # The command line converts only through the store service; the commands about a file
    # of one format read or write that format themselves.
    "cli/cmd_check.cpp": (["pst"], "`check` runs the .pst checker"),
    "cli/cmd_inspect.cpp": (["pst"], "`inspect` reads a .pst"),
    "cli/cmd_sample.cpp": (["msg"], "`sample` writes .msg files"),
}

SOURCE_SUFFIXES = (".cpp", ".hpp", ".h", ".cc", ".cxx", ".inl")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
QT_HEADER = re.compile(r"^Q[A-Za-z]*(/|$)")


def table_errors(layers=LAYERS, exceptions=FILE_EXCEPTIONS):
    """What is wrong with the table itself: unknown names and cycles."""
    errors = []
    for name, (_, allowed) in layers.items():
        for target in allowed:
            if target not in layers and target not in (QT, OUTSIDE):
                errors.append(f"layer '{name}' lists unknown layer '{target}'")
    for path, (allowed, _) in exceptions.items():
        for target in allowed:
            if target not in layers and target != QT:
                errors.append(f"{path} lists unknown layer '{target}'")
    # Layers that may include anything sit on top; the rest must form no cycle.
    graph = {n: [t for t in a if t in layers and OUTSIDE not in layers[t][1]]
             for n, (_, a) in layers.items() if OUTSIDE not in a}
    state = {}

    def visit(node, trail):
        state[node] = "open"
        for target in graph.get(node, []):
            if state.get(target) == "open":
                cycle = trail[trail.index(target):] + [target] if target in trail else [node, target]
                errors.append("the layers form a cycle: " + " -> ".join(cycle))
            elif target not in state:
                visit(target, trail + [target])
        state[node] = "done"

    for node in graph:
        if node not in state:
            visit(node, [node])
    return errors


def source_files(root):
    for folder, dirs, files in os.walk(root):
        # Build folders hold generated code; hidden folders are not the project's sources.
        dirs[:] = sorted(d for d in dirs if not d.startswith(".")
                         and not os.path.exists(os.path.join(folder, d, "CMakeCache.txt")))
        for name in sorted(files):
            if name.endswith(SOURCE_SUFFIXES):
                yield os.path.join(folder, name)


def layer_of(relative):
    return relative.split("/", 1)[0]


def included_layer(root, including, spelled, bracket, layers=LAYERS):
    """The layer an include names, or None for a header from outside the project."""
    if bracket == "<":
        return QT if QT_HEADER.match(spelled) else None
    # As the compiler looks: beside the including file, from the source root, from tests/ (the
    # test support's include folder).
    for base in (os.path.dirname(including), root, os.path.join(root, "tests")):
        candidate = os.path.normpath(os.path.join(base, spelled))
        if os.path.isfile(candidate):
            relative = os.path.relpath(candidate, root).replace(os.sep, "/")
            return None if relative.startswith("..") else layer_of(relative)
    first = spelled.split("/", 1)[0]
    return first if "/" in spelled and first in layers else None


def violations(root, layers=LAYERS, exceptions=FILE_EXCEPTIONS):
    """(file, line, text) for each include that crosses a forbidden line."""
    found = []
    for path in source_files(root):
        relative = os.path.relpath(path, root).replace(os.sep, "/")
        if "/" not in relative:
            continue  # loose files at the top are no layer's
        layer = layer_of(relative)
        if layer not in layers:
            found.append((relative, 0, f"folder '{layer}' is in no layer: add it to the table in scripts/layers.py"))
            continue
        allowed = set(layers[layer][1]) | set(exceptions.get(relative, ([], ""))[0]) | {layer}
        if OUTSIDE in allowed:
            continue
        with open(path, encoding="utf-8", errors="replace") as source:
            for number, line in enumerate(source, 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                bracket, spelled = match.groups()
                target = included_layer(root, path, spelled, bracket, layers)
                if target is None or target in allowed:
                    continue
                found.append((relative, number, f"'{layer}' may not include {spelled} (layer '{target}')"))
    return found


def main(argv):
    root = os.path.abspath(argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(__file__), ".."))
    errors = table_errors()
    for error in errors:
        print(f"scripts/layers.py: {error}")
    if errors:
        return 2
    found = violations(root)
    for relative, number, text in found:
        print(f"{relative}:{number}: {text}")
    if found:
        print(f"{len(found)} include(s) cross a layer line; the layers are in scripts/layers.py")
        return 1
    print(f"layers kept: {sum(1 for _ in source_files(root))} files")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
