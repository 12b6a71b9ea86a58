#!/usr/bin/env python3
"""Fails when a source of the program includes a header of a layer above its own.

The layers, bottom to top: text, formats, core, system (the serial port and the program's
files, no widgets), platform (with the widget pieces in ui/), windows, programs. A file may include its own layer and the ones below. The layer of a file
is that of the first pattern in LAYERS that matches its path.
"""
import fnmatch
import pathlib
import re
import subprocess
import sys

ORDER = ["text", "formats", "core", "system", "platform", "windows", "programs"]

LAYERS = [
    ("text/*", "text"),
    ("formats/*", "formats"),
    ("scanner/*", "formats"),
    ("core/*", "core"),
    ("system/*", "system"),
    ("platform/*", "platform"),
    ("ui/*", "platform"),
    ("windows/*", "windows"),
    ("app/*", "programs"),
    ("cli/*", "programs"),
    ("tools/*", "programs"),
]

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def layer_of(path):
    for pattern, layer in LAYERS:
        if fnmatch.fnmatch(path, pattern):
            return layer
    return None


def main():
    root = pathlib.Path(__file__).resolve().parent.parent
    files = subprocess.run(["git", "ls-files", "*.cpp", "*.h"], cwd=root, check=True,
                           capture_output=True, text=True).stdout.split()
    known = set(files)
    problems = []
    for path in files:
        own = layer_of(path)
        if own is None:
            continue  # tests, fuzz targets and test support may use every layer
        text = (root / path).read_text(encoding="utf-8", errors="replace")
        for number, line in enumerate(text.splitlines(), 1):
            match = INCLUDE.match(line)
            if not match or match.group(1) not in known:
                continue
            theirs = layer_of(match.group(1))
            if theirs is not None and ORDER.index(theirs) > ORDER.index(own):
                problems.append(f"{path}:{number}: {own} includes {match.group(1)} ({theirs})")
    for problem in problems:
        print(problem)
    if problems:
        print(f"{len(problems)} includes go up a layer", file=sys.stderr)
        return 1
    print("every include goes to its own layer or below")
    return 0


if __name__ == "__main__":
    sys.exit(main())
