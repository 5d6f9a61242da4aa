#!/usr/bin/env python3
"""Compares a host's rendering with ostraquelle-render's.

usage: compare-wav.py [--host-renders-on] HOST.wav REFERENCE.wav [DRY.wav]

Every channel of HOST must match the mono REFERENCE: the same number of frames and every sample
within 1e-6 of the reference's peak (so no offset either). With --host-renders-on, for hosts
that only stop at the end of a bar or buffer, HOST may be longer: its first frames must match
the whole reference, and the frames after them are not compared. With DRY (the stereo input), the
reference must also differ clearly from both dry inputs, so dry output can never pass.
Prints one line of figures; exit status 0 when equal, 1 when not."""
import array, struct, sys

TOLERANCE = 1e-6


def read_wav(path):
    """Channels of a 32-bit float or 16/24/32-bit integer WAV file as lists of floats."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] not in (b"RIFF", b"RF64") or data[8:12] != b"WAVE":
        raise ValueError(f"{path}: not a WAV file")
    pos, fmt, samples = 12, None, None
    while pos + 8 <= len(data):
        tag, size = data[pos:pos + 4], struct.unpack_from("<I", data, pos + 4)[0]
        body = data[pos + 8:pos + 8 + size]
        if tag == b"fmt ":
            code, channels, rate = struct.unpack_from("<HHI", body, 0)
            bits = struct.unpack_from("<H", body, 14)[0]
            if code == 0xFFFE:
                code = struct.unpack_from("<H", body, 24)[0]
            fmt = (code, channels, rate, bits)
        elif tag == b"data":
            samples = body
        pos += 8 + size + (size & 1)
    if fmt is None or samples is None:
        raise ValueError(f"{path}: no fmt or data chunk")
    code, channels, rate, bits = fmt
    if code == 3 and bits == 32:
        values = array.array("f")
        values.frombytes(samples[:len(samples) // 4 * 4])
    elif code == 1 and bits in (16, 32):
        values = array.array("h" if bits == 16 else "i")
        values.frombytes(samples[:len(samples) // (bits // 8) * (bits // 8)])
        scale = float(1 << (bits - 1))
        values = [v / scale for v in values]
    else:
        raise ValueError(f"{path}: unsupported sample format {code}/{bits} bits")
    if sys.byteorder != "little" and isinstance(values, array.array):
        values.byteswap()
    return rate, [list(values[c::channels]) for c in range(channels)]


def main():
    args = sys.argv[1:]
    renders_on = bool(args) and args[0] == "--host-renders-on"
    if renders_on:
        args = args[1:]
    if len(args) not in (2, 3):
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    try:
        host_rate, host = read_wav(args[0])
        ref_rate, ref = read_wav(args[1])
    except (OSError, ValueError, struct.error) as error:
        print(f"FAIL: {error}")
        return 1
    reference = ref[0]
    peak = max(abs(v) for v in reference)
    failures = []
    if host_rate != ref_rate:
        failures.append(f"rate {host_rate} Hz, reference {ref_rate} Hz")
    if peak == 0.0:
        failures.append("the reference is silent")
    worst = 0.0
    for c, channel in enumerate(host):
        if renders_on and len(channel) > len(reference):
            channel = channel[:len(reference)]
        if len(channel) != len(reference):
            failures.append(f"channel {c}: {len(channel)} frames, reference {len(reference)}")
            continue
        diff = max(abs(a - b) for a, b in zip(channel, reference))
        worst = max(worst, diff)
        if diff > TOLERANCE * peak:
            first = next(i for i, (a, b) in enumerate(zip(channel, reference))
                         if abs(a - b) > TOLERANCE * peak)
            failures.append(f"channel {c}: differs by {diff:.3g} (first at frame {first})")
    if len(args) == 3:
        _, dry = read_wav(args[2])
        for c, channel in enumerate(dry):
            n = min(len(channel), len(reference))
            distance = max(abs(a - b) for a, b in zip(channel[:n], reference[:n]))
            if distance <= 1e-3 * peak:
                failures.append(f"the reference equals dry input {c}: nothing to tell them apart")
    print(f"{len(host)} channels x {len(host[0]) if host else 0} frames, reference "
          f"{len(reference)} frames, peak {peak:.6g}, max difference {worst:.3g} "
          f"({worst / peak if peak else 0:.3g} of peak)")
    for failure in failures:
        print("FAIL: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
