#!/usr/bin/env python3
"""Writes the factory bank presets/Ostraquelle-factory.fxb from the search's found.json, in the
order of presets.py, as a standard VST 2 bank (format version 2, current program 0, every
field big-endian). The plug-in's id and version are read from a bank the renderer saves, so
this file holds no copy of them; the renderer then loads the new bank back and saves it
again, and the two must be byte for byte the same.
  tools/tuning/write_bank.py [found.json] [out.fxb]"""
import json
import os
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import vocoder  # noqa: E402
from presets import PRESETS  # noqa: E402

NAME_BYTES = 28
PARAMETER_SLOTS = 21  # index 19 is a hole, stored as 0


def program_record(plugin_id, plugin_version, name, values):
    encoded = name.encode("ascii")
    if len(encoded) > 23:
        raise ValueError(f"program name '{name}' is longer than 23 characters")
    floats = []
    for index in range(PARAMETER_SLOTS):
        if index == 19:
            floats.append(0.0)
        else:
            floats.append(values[vocoder.NAMES[index if index < 19 else 19]])
    body = (b"FxCk" + struct.pack(">iiii", 1, plugin_id, plugin_version, PARAMETER_SLOTS) +
            encoded.ljust(NAME_BYTES, b"\0") + struct.pack(">" + "f" * PARAMETER_SLOTS, *floats))
    return b"CcnK" + struct.pack(">i", len(body)) + body


def bank(plugin_id, plugin_version, programs):
    body = (b"FxBk" + struct.pack(">iiii", 2, plugin_id, plugin_version, len(programs)) +
            struct.pack(">i", 0) + bytes(124) + b"".join(programs))
    return b"CcnK" + struct.pack(">i", len(body)) + body


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    found_path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "found.json")
    out = sys.argv[2] if len(sys.argv) > 2 else os.path.join(vocoder.ROOT, "presets",
                                                             "Ostraquelle-factory.fxb")
    renderer = vocoder.RENDERER
    with open(found_path) as f:
        found = json.load(f)
    with tempfile.TemporaryDirectory() as tmp:
        template = os.path.join(tmp, "defaults.fxb")
        subprocess.run([renderer, "--save-bank", template], check=True, capture_output=True)
        with open(template, "rb") as f:
            header = f.read(24)
        plugin_id, plugin_version = struct.unpack(">ii", header[16:24])
        programs = [program_record(plugin_id, plugin_version, p["name"],
                                   found[p["name"]]["values"]) for p in PRESETS]
        data = bank(plugin_id, plugin_version, programs)
        os.makedirs(os.path.dirname(out), exist_ok=True)
        with open(out, "wb") as f:
            f.write(data)
        copy = os.path.join(tmp, "copy.fxb")
        subprocess.run([renderer, "--preset", out, "--save-bank", copy], check=True,
                       capture_output=True)
        with open(copy, "rb") as f:
            if f.read() != data:
                sys.exit(f"write_bank: the renderer does not read {out} back unchanged")
    print(f"{out}: {len(PRESETS)} programs, loads back through the renderer unchanged")


if __name__ == "__main__":
    main()
