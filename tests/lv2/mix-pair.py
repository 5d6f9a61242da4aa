#!/usr/bin/env python3
"""Writes the first two channels (the mix pair) of a 32-bit float WAV as a stereo float WAV,
sample for sample (sox would take the samples through its integer path and clip them).

usage: mix-pair.py IN.wav OUT.wav"""
import array, importlib.util, os, struct, sys

# The WAV reader of the host tests' comparison.
reader_module = importlib.util.spec_from_file_location(
    "compare_wav", os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "hosts",
                                "compare-wav.py"))
compare_wav = importlib.util.module_from_spec(reader_module)
reader_module.loader.exec_module(compare_wav)


def main():
    if len(sys.argv) != 3:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    rate, channels = compare_wav.read_wav(sys.argv[1])
    if len(channels) < 2:
        print(f"mix-pair: {sys.argv[1]} has {len(channels)} channels", file=sys.stderr)
        return 1
    frames = array.array("f", [v for pair in zip(channels[0], channels[1]) for v in pair])
    if sys.byteorder != "little":
        frames.byteswap()
    data = frames.tobytes()
    fmt = struct.pack("<HHIIHH", 3, 2, rate, rate * 8, 8, 32)
    with open(sys.argv[2], "wb") as out:
        out.write(b"RIFF" + struct.pack("<I", 4 + 8 + len(fmt) + 8 + len(data)) + b"WAVE")
        out.write(b"fmt " + struct.pack("<I", len(fmt)) + fmt)
        out.write(b"data" + struct.pack("<I", len(data)) + data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
