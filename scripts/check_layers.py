#!/usr/bin/env python3
"""Holds the layering of src/: reads every `#include "folder/file"` under src/ and fails on
an include that goes up a layer or across to a folder it may not use, on any circle between
folders, and on a system header in pure/ other than the C++ library's own.

    scripts/check_layers.py [--graph] [src-folder]

--graph prints the folder -> folder edges with how many includes make each, and checks
nothing.

The layers, lowest first:
    pure/      decisions over text and bytes, also built natively for the sanitizers and the
               fuzzers: no other folder, no Windows header (only <cxxx> headers)
    core/      the shared record and small utilities: pure/ only
    platform/  the platform seam: core/ and pure/
    skype/, handset/, audio/: core/, platform/ and pure/; skype/ may also use handset/ (call
               tracking drives the ringer, the indicator and the display, in an order woven
               with its own commands to Skype)
    app/       composes everything; nothing outside app/ includes it
    res/       resource ids, included by anyone
"""
import os
import re
import sys

ALLOWED = {
    "pure": set(),
    "core": {"pure", "res"},
    "platform": {"core", "pure", "res"},
    "audio": {"core", "platform", "pure", "res"},
    "handset": {"core", "platform", "pure", "res"},
    "skype": {"core", "platform", "handset", "pure", "res"},
    "app": {"core", "platform", "audio", "handset", "skype", "pure", "res"},
    "res": set(),
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/[^"]+"')
# A header of the system or of a library (<windows.h>, <stdint.h>), not of the C++ library.
SYSTEM_HEADER = re.compile(r'^\s*#\s*include\s+<[^>]*\.h>')
PURE = "pure"


def impure_includes(src):
    """(where, line) for every header of pure/ that is not a C++ library header."""
    found = []
    root = os.path.join(src, PURE)
    for dirpath, _, files in sorted(os.walk(root)):
        for name in sorted(files):
            path = os.path.join(dirpath, name)
            with open(path, encoding="utf-8", errors="replace") as f:
                for number, line in enumerate(f, 1):
                    if SYSTEM_HEADER.match(line):
                        where = "%s:%d" % (os.path.relpath(path, os.path.dirname(src)), number)
                        found.append((where, line.strip()))
    return found


def read_includes(src):
    """(from folder, to folder, where, line) for every include of another folder's file."""
    found = []
    for folder in sorted(os.listdir(src)):
        root = os.path.join(src, folder)
        if not os.path.isdir(root):
            continue
        for dirpath, _, files in sorted(os.walk(root)):
            for name in sorted(files):
                if not name.endswith((".h", ".cpp", ".rc")):
                    continue
                path = os.path.join(dirpath, name)
                with open(path, encoding="utf-8", errors="replace") as f:
                    for number, line in enumerate(f, 1):
                        match = INCLUDE.match(line)
                        if match and match.group(1) != folder:
                            where = "%s:%d" % (os.path.relpath(path, os.path.dirname(src)), number)
                            found.append((folder, match.group(1), where, line.strip()))
    return found


def find_circle(edges):
    """One circle of folders as a list (first folder repeated at the end), or None."""
    graph = {}
    for a, b in edges:
        graph.setdefault(a, set()).add(b)
    state = {}

    def visit(node, path):
        state[node] = "open"
        path.append(node)
        for nxt in sorted(graph.get(node, ())):
            if state.get(nxt) == "open":
                return path[path.index(nxt):] + [nxt]
            if nxt not in state:
                circle = visit(nxt, path)
                if circle:
                    return circle
        path.pop()
        state[node] = "done"
        return None

    for node in sorted(graph):
        if node not in state:
            circle = visit(node, [])
            if circle:
                return circle
    return None


def main(argv):
    graph_only = "--graph" in argv
    rest = [a for a in argv if a != "--graph"]
    src = os.path.abspath(rest[0] if rest else os.path.join(os.path.dirname(__file__), "..", "src"))
    includes = read_includes(src)

    if graph_only:
        counts = {}
        for a, b, _, _ in includes:
            counts[(a, b)] = counts.get((a, b), 0) + 1
        for (a, b), n in sorted(counts.items()):
            print("%-9s -> %-9s %3d" % (a, b, n))
        return 0

    failures = 0
    for a, b, where, line in includes:
        if a not in ALLOWED:
            print("%s: %s: folder %s/ has no place in the layers" % (where, line, a))
            failures += 1
        elif b not in ALLOWED[a]:
            print("%s: %s: %s/ may not include %s/" % (where, line, a, b))
            failures += 1
    for where, line in impure_includes(src):
        print("%s: %s: %s/ takes only C++ library headers" % (where, line, PURE))
        failures += 1
    circle = find_circle({(a, b) for a, b, _, _ in includes})
    if circle:
        print("circle between folders: " + " -> ".join(circle))
        for a, b, where, line in includes:
            if (a, b) in zip(circle, circle[1:]):
                print("  %s: %s" % (where, line))
        failures += 1
    if failures:
        print("layers: %d violation(s)" % failures)
        return 1
    print("layers: %d includes between folders, none upward, no circle" % len(includes))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
