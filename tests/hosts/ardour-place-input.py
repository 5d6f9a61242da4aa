#!/usr/bin/env python3
"""Places a stereo file on the track of a saved Ardour 7 session, from position 0, and makes
the session range cover it exactly.

usage: ardour-place-input.py SESSION_DIR NAME STEREO.wav FRAMES RATE

Ardour's Lua API cannot import audio without its GUI, so the region goes straight into the
session file: the file's two channels become two mono float sources in the session's audio
folder, and one region reads them with no fades, gain or envelope, so the track plays the
samples unchanged. Run it between creating the session and loading it again."""
import os
import subprocess
import sys
import xml.etree.ElementTree as ET

SUPERCLOCK_RATE = 282240000  # Ardour 7 writes audio time in these ticks per second


def main():
    if len(sys.argv) != 6:
        print(__doc__.strip().splitlines()[3], file=sys.stderr)
        return 2
    session_dir, name, stereo = sys.argv[1:4]
    frames, rate = int(sys.argv[4]), int(sys.argv[5])
    if (frames * SUPERCLOCK_RATE) % rate:
        print(f"{rate} Hz does not divide Ardour's time unit", file=sys.stderr)
        return 1
    end = f"a{frames * SUPERCLOCK_RATE // rate}"
    duration = end + "@a0"  # a length counted from position 0
    path = os.path.join(session_dir, name + ".ardour")
    tree = ET.parse(path)
    root = tree.getroot()
    next_id = int(root.get("id-counter")) + 10

    def new_id():
        nonlocal next_id
        next_id += 1
        return str(next_id - 1)

    audio = os.path.join(session_dir, "interchange", name, "audiofiles")
    os.makedirs(audio, exist_ok=True)
    sources = root.find("Sources")
    region = {"name": "input.1", "muted": "0", "opaque": "1", "locked": "0",
              "video-locked": "0", "automatic": "0", "whole-file": "0", "import": "0",
              "external": "0", "sync-marked": "0", "left-of-split": "0", "right-of-split": "0",
              "hidden": "0", "position-locked": "0", "valid-transients": "0", "start": "a0",
              "length": duration, "position": "a0", "sync-position": "a0",
              "ancestral-start": "a0", "ancestral-length": duration, "stretch": "1",
              "shift": "1", "layering-index": "0", "tags": "", "envelope-active": "0",
              "default-fade-in": "0", "default-fade-out": "0", "fade-in-active": "0",
              "fade-out-active": "0", "scale-amplitude": "1", "type": "audio",
              "first-edit": "nothing", "channels": "2"}
    for channel in (0, 1):
        file = f"input-{channel}.wav"
        subprocess.run(["sox", "-V1", stereo, "-e", "floating-point", "-b", "32",
                        os.path.join(audio, file), "remix", str(channel + 1)], check=True)
        source_id = new_id()
        ET.SubElement(sources, "Source", {"name": file, "type": "audio", "flags": "",
                                          "id": source_id, "captured-for": "", "take-id": "",
                                          "channel": "0", "origin": "", "gain": "1"})
        region[f"source-{channel}"] = source_id
        region[f"master-source-{channel}"] = source_id
    region["id"] = new_id()
    playlists = root.find("Playlists").findall("Playlist")
    if len(playlists) != 1:
        print(f"{path}: expected one playlist, found {len(playlists)}", file=sys.stderr)
        return 1
    ET.SubElement(playlists[0], "Region", region)
    ET.SubElement(root.find("Locations"), "Location",
                  {"id": new_id(), "name": "session", "start": "a0", "end": end,
                   "flags": "IsSessionRange", "locked": "0", "timestamp": "0", "cue": "0"})
    root.set("id-counter", str(next_id))
    tree.write(path, encoding="UTF-8", xml_declaration=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
