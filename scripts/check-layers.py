#!/usr/bin/env python3
"""Checks that every source file includes only what its layer may include.

    dsp  <-  core  <-  host (entry point)
     ^        ^
     |        editor  <-  controls  <-  platform/core  <-  platform/<backend>
    lib is usable by all; only platform backends include system windowing headers.

Run from anywhere: scripts/check-layers.py [SOURCE_DIR]. Prints each forbidden
include with its file and line and exits 1 when there is one.
"""
import pathlib
import re
import sys

# Platform code: the window backends, and lib/win32, the Windows twins of the
# system services in lib (registry, paths, files, shell).
BACKENDS = ("platform/x11", "platform/win32", "platform/headless", "lib/win32")

# What each folder may include of ours, by path prefix.
ALLOWED = {
    "lib": ["lib/"],
    "dsp": ["dsp/", "lib/uGlobals.h"],
    "platform/core": ["platform/core/", "lib/"],
    "platform/freetype": ["platform/freetype/", "platform/core/", "lib/"],
    "platform/x11": ["platform/x11/", "platform/freetype/", "platform/core/", "lib/"],
    "platform/headless": ["platform/headless/", "platform/freetype/", "platform/core/", "lib/"],
    "platform/win32": ["platform/win32/", "platform/core/", "lib/"],
    # The wave-shape display reads the oscillator's wavetable.
    "controls": ["controls/", "platform/core/", "lib/", "dsp/uOsc.h", "dsp/uDspClassesCommon.h"],
    "editor": ["editor/", "controls/", "platform/core/", "core/", "host/", "dsp/", "lib/"],
    # The plug-in object reaches the editor through its bridge and nothing else.
    "core": ["core/", "host/", "dsp/", "lib/", "platform/core/uMessageBox.h",
             "platform/core/uClipboard.h", "editor/uPluginEditor.h", "editor/uParamSlots.h"],
    "host": ["host/", "core/", "dsp/", "lib/"],
    # The LV2 wrapper: the host boundary's counterpart. It hosts the plug-in object
    # and opens the plug-in's own editor bridge for its UI.
    "lv2": ["lv2/", "host/", "core/", "dsp/", "lib/", "editor/uPluginEditor.h",
            "editor/uParamSlots.h", "editor/uEditor.h", "platform/core/uUiRuntime.h"],
}
# The entry point chooses the editor's backend and loads the shared skin images.
EXCEPTIONS = {
    "host/EntryPoint.cpp": ["controls/uBitmapEx.h", "platform/x11/uX11UiThread.h",
                            "platform/win32/uWin32UiRuntime.h"],
    "lv2/uLv2Entry.cpp": ["controls/uBitmapEx.h", "platform/x11/uX11UiThread.h"],
}
SYSTEM_WINDOWING = re.compile(r"#include\s*<(X11/|windows\.h|winuser\.h)", re.I)
OUR_INCLUDE = re.compile(r'#include\s*"([^"]+)"')


def layer_of(relative):
    for layer in sorted(ALLOWED, key=len, reverse=True):
        if relative == layer or relative.startswith(layer + "/"):
            return layer
    return None


def check(root):
    problems = []
    # Tools, tests, bench, fuzz and resources may use any layer: only the layers are read.
    files = {p for top in {l.split("/")[0] for l in ALLOWED} for p in (root / top).rglob("*")}
    for path in sorted(files):
        if path.suffix not in (".h", ".cpp"):
            continue
        relative = path.relative_to(root).as_posix()
        layer = layer_of(relative)
        if layer is None:
            continue
        allowed = ALLOWED[layer] + EXCEPTIONS.get(relative, [])
        for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
            match = OUR_INCLUDE.match(line.strip())
            if match:
                target = match.group(1)
                if "/" in target and not any(target.startswith(a) for a in allowed):
                    problems.append(f"{relative}:{number}: {layer} may not include {target}")
            elif SYSTEM_WINDOWING.match(line.strip()) and not relative.startswith(BACKENDS):
                problems.append(f"{relative}:{number}: only platform backends include {line.strip()}")
    return problems


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent)
    problems = check(root.resolve())
    for problem in problems:
        print(problem)
    print(f"layers: {len(problems)} forbidden include(s)")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
