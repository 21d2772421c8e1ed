#!/usr/bin/env python3
"""Fails when a source file includes a folder above its own layer.

The layers, lowest first, and the few upward includes the design makes are
those of README.md's "Layers and threads"; keep the two in step.
"""
import re
import sys
from pathlib import Path

# Folders on one line share a layer and may include each other.
LAYERS = [
    ("resources", "pocketpc", "wince", "wininet", "ssh"),
    ("framework",),
    ("settings",),
    ("ftp",),
    ("transfer_ui",),
    ("browsers",),
    ("dialogs",),
    ("frame",),
    ("app",),
]
LEVEL = {folder: level for level, folders in enumerate(LAYERS) for folder in folders}

# (including folder, or "*" for any; included file) -> why it is allowed.
ALLOWED_UPWARD = {
    ("*", "app/FtpClientApp.h"): "every layer reaches the application object through GetApp",
    ("browsers", "frame/FrameWnd.h"): "a view asks its frame for the local path and closes through it",
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def upward_includes(root):
    for path in sorted(root.glob("*/*")):
        folder = path.parent.name
        if folder not in LEVEL or path.suffix not in (".h", ".cpp"):
            continue
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            included = match.group(1)
            target = included.split("/")[0]
            if target not in LEVEL or LEVEL[target] <= LEVEL[folder]:
                continue
            if ("*", included) in ALLOWED_UPWARD or (folder, included) in ALLOWED_UPWARD:
                continue
            yield f"{path.relative_to(root)}:{number}: {folder}/ includes {included}, a layer above it"


def main():
    root = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent)
    found = list(upward_includes(root))
    for line in found:
        print(line, file=sys.stderr)
    if found:
        print(f"{len(found)} include(s) against the layer order (see README.md, Layers and threads)",
              file=sys.stderr)
        return 1
    print("includes follow the layer order")
    return 0


if __name__ == "__main__":
    sys.exit(main())
