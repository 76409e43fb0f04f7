#!/usr/bin/env python3
"""Compiles every public header together, syntax only, in two units: the system's socket headers first and
the public headers in order, then the public headers in reverse order and the socket headers last. A host
includes them in any order, so no header may take a name the system or another header declares.

Usage: check-headers.py <source root> <unit folder> --dirs D... [--files F...] -- <compiler> <flags>...
The public headers are every .h under the folders plus the files, as the install step picks them."""

import argparse
import os
import subprocess
import sys

SYSTEM = ["sys/socket.h", "netinet/in.h", "arpa/inet.h", "netdb.h", "unistd.h"]


def public_headers(root, dirs, files):
    found = list(files)
    for d in dirs:
        for dirpath, dirnames, filenames in os.walk(os.path.join(root, d)):
            dirnames.sort()
            rel = os.path.relpath(dirpath, root).replace(os.sep, "/")
            found += [rel + "/" + n for n in sorted(filenames) if n.endswith(".h")]
    return sorted(found)


def unit(first, then):
    return "".join(f"#include {h}\n" for h in first + then)


def main():
    argv = sys.argv[1:]
    if "--" not in argv or argv.index("--") == len(argv) - 1:
        print(__doc__)
        return 2
    split = argv.index("--")
    compiler = argv[split + 1:]
    parser = argparse.ArgumentParser()
    parser.add_argument("root")
    parser.add_argument("out")
    parser.add_argument("--dirs", nargs="+", required=True)
    parser.add_argument("--files", nargs="*", default=[])
    args = parser.parse_args(argv[:split])
    headers = public_headers(args.root, args.dirs, args.files)
    if not headers:
        print("no public headers found")
        return 1
    ours = [f'"{h}"' for h in headers]
    system = [f"<{h}>" for h in SYSTEM]
    units = {"system_first.cpp": unit(system, ours), "system_last.cpp": unit(ours[::-1], system)}

    os.makedirs(args.out, exist_ok=True)
    runs = []
    for name, text in units.items():
        path = os.path.join(args.out, name)
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
        runs.append((path, subprocess.Popen(compiler + ["-fsyntax-only", "-I", args.root, path],
                                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)))
    failed = 0
    for path, run in runs:
        output = run.communicate()[0]
        if run.returncode != 0 or output.strip():
            failed += 1
            print(f"{path}: the public headers do not compile together cleanly")
            print(output)
    if not failed:
        print(f"{len(headers)} public headers compile together, before and after the system's socket headers")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
