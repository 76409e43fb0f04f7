#!/usr/bin/env python3
"""Keeps the layers of the design: reads every #include of the source folders and fails on an arrow
against them, and on a port header (Cairo, POSIX sockets) outside the platform's .cpp files.

Usage: check-layers.py <source root>. Prints one line per bad include and exits 1 when there is one."""

import os
import re
import sys

PLATFORM = ["platform/core", "platform/gdi", "platform/ui", "platform/net"]
GRID = ["grid/engine", "grid/controls"]
EDITOR = ["editor", "editor/text", "editor/core", "editor/view", "editor/toolkit"]
# The kernel's subsystems call each other freely.
KERNEL = ["kernel", "comm", "motion", "plot", "monitor", "views", "res",
          # the kernel's text documents and views, which sit on the editor
          "editor/documents"]
# The stand-ins of the suite's other components; they call each other as the real ones do.
SUITE = ["suite"]

# What each folder may include besides itself; a folder names its subfolders' rule unless they have their own.
USES = {
    "platform/core": [],
    "platform/gdi": ["platform/core"],
    "platform/ui": ["platform/core", "platform/gdi"],
    "platform/net": ["platform/core", "platform/gdi", "platform/ui"],
    "grid/engine": PLATFORM,
    "grid/controls": PLATFORM + ["grid/engine"],
    "editor": PLATFORM,
    "editor/text": PLATFORM + ["editor"],
    "editor/core": PLATFORM + ["editor", "editor/text"],
    "editor/view": PLATFORM + ["editor", "editor/text", "editor/core"],
    "editor/toolkit": PLATFORM + ["editor"],
    **{k: PLATFORM + GRID + EDITOR + KERNEL for k in KERNEL},
    "suite": PLATFORM + KERNEL + SUITE,
    "examples": PLATFORM + GRID + EDITOR + KERNEL + SUITE,
    "bench": PLATFORM + GRID + EDITOR + KERNEL + SUITE,
    "tests": PLATFORM + GRID + EDITOR + KERNEL + SUITE + ["tests", "examples"],
}

# The arrows the design asks for beyond the rules above: (including file or folder, included file or folder).
ALLOWED = [
    # The grid engine's cell factory makes the cells.
    ("grid/engine/GXLibrary.cpp", "grid/controls"),
    # The interfaces of the outside libraries the kernel loads: the communication, CAN adapter and zip libraries.
    ("comm", "suite/zurcomm/zurcomm.h"),
    ("comm", "suite/can/CanAdapters.h"),
    ("kernel", "suite/zip/ZipLibraries.h"),
]

# Port headers and where they may be included: how the platform does its work stays in its .cpp files.
PORT_HEADERS = [
    (re.compile(r"cairo"), ["platform/*.cpp", "platform/gdi/GdiInternal.h"]),
    (re.compile(r"sys/socket\.h|netinet/|arpa/inet\.h|netdb\.h"), ["platform/net/*.cpp"]),
]
PORT_FREE = ["tests", "bench"]  # tests and benchmarks may look behind the platform

SKIP_DIRS = {".git", ".ci", "cmake", "scripts", "fixtures"}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^">]+)[">]')


def under(path, folder):
    return path == folder or path.startswith(folder + "/")


def layer_of(path):
    """The most specific folder of USES that holds the path."""
    best = None
    for folder in USES:
        if under(path, folder) and (best is None or len(folder) > len(best)):
            best = folder
    return best


def allowed_port(rel, places):
    for place in places:
        if place.endswith("/*.cpp"):
            if under(rel, place[:-6]) and rel.endswith((".cpp", ".c")):
                return True
        elif rel == place:
            return True
    return False


def check(root):
    bad = []
    for dirpath, dirnames, filenames in os.walk(root):
        rel_dir = os.path.relpath(dirpath, root).replace(os.sep, "/")
        dirnames[:] = sorted(d for d in dirnames
                             if d not in SKIP_DIRS and not d.startswith("build") and not d.startswith("."))
        for name in sorted(filenames):
            if not name.endswith((".h", ".hpp", ".c", ".cpp", ".inc")):
                continue
            rel = name if rel_dir == "." else rel_dir + "/" + name
            layer = layer_of(rel)
            if layer is None:
                bad.append(f"{rel}: folder belongs to no layer (give it one in {os.path.basename(__file__)})")
                continue
            with open(os.path.join(root, rel), encoding="utf-8", errors="replace") as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    kind, target = m.groups()
                    if kind == "<":
                        for pattern, places in PORT_HEADERS:
                            if pattern.search(target) and not any(under(rel, p) for p in PORT_FREE) \
                                    and not allowed_port(rel, places):
                                bad.append(f"{rel}:{number}: port header <{target}> outside the platform's .cpp files")
                        continue
                    if "/" not in target:
                        continue  # beside the including file
                    to = layer_of(target)
                    if to is not None and (to == layer or to in USES[layer]):
                        continue
                    if any(under(rel, src) and under(target, dst) for src, dst in ALLOWED):
                        continue
                    bad.append(f"{rel}:{number}: {layer} -> {to or os.path.dirname(target)} ({target})")
    return bad


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    bad = check(os.path.abspath(root))
    for line in bad:
        print(line)
    if bad:
        print(f"{len(bad)} include(s) against the layers (see the arrows in {os.path.basename(__file__)})")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
