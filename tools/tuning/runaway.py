#!/usr/bin/env python3
"""Finds what makes a setting run away, on the training voices at full length (all 20
sentences; build/speech/train), never on the held-out ones:
  - the bank: every program on its carriers, the peak of each file;
  - one parameter at a time from the defaults, on one carrier: the loudest peak over the
    training voices for each probed value.
A peak more than DIVERGED_DB above full scale, or an output that cannot be measured (non-
finite samples), counts as a runaway.
  tools/tuning/runaway.py [--jobs 2] [--carrier saw-pad] [--skip-bank] > runaway.txt"""
import argparse
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import vocoder  # noqa: E402
from evaluate import DIVERGED_DB  # noqa: E402
from presets import PRESETS  # noqa: E402

PROBED = ["Pred-Learn", "Pred-Forget", "Pred-Order", "Pred-Smooth", "Env-Att", "Env-Rel",
          "PreEmphasis"]
VALUES = [0.0, 0.05, 0.3, 0.6, 0.9]


def describe(peaks):
    """'loudest peak, files above -1 dBFS, runaways' for a list of peaks (None: unmeasurable)."""
    finite = [p for p in peaks if p is not None]
    top = max(finite) if finite else float("nan")
    above = sum(1 for p in peaks if p is None or p > vocoder.PEAK_CEILING_DB)
    runaway = sum(1 for p in peaks if p is None or p > DIVERGED_DB)
    return f"peak {top:+7.1f} dBFS, {above} of {len(peaks)} above -1 dBFS, {runaway} runaway"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--carrier", default="saw-pad")
    parser.add_argument("--skip-bank", action="store_true")
    parser.add_argument("--bank", default=os.path.join(vocoder.ROOT, "presets",
                                                       "Ostraquelle-factory.fxb"))
    args = parser.parse_args()
    started = time.time()
    voices = vocoder.voices("train", short=False)
    names = [os.path.basename(v)[:-4] for v in voices]
    print(f"training voices, full length: {', '.join(names)}")
    # Only the peaks matter here: one batch render for each setting, no scoring.
    if not args.skip_bank:
        print("\nthe bank (each program on its carriers, peaks at master as stored):")
        for i, p in enumerate(PRESETS):
            arguments = ["--preset", args.bank, "--program", str(i)]
            pairs = [(v, c) for c in p["carriers"] for v in voices]
            peaks = vocoder.render_peaks(arguments, pairs, args.jobs)
            worst = [f"{os.path.basename(v)[:-4]}/{c} {pk if pk is None else round(pk, 1)}"
                     for (v, c), pk in zip(pairs, peaks)
                     if pk is None or pk > vocoder.PEAK_CEILING_DB]
            print(f"  {p['name']:12s} {describe(peaks)}  {'; '.join(worst)}")
    print(f"\none parameter at a time from the defaults, carrier {args.carrier}, "
          f"master 0.8 (0 dB):")
    pairs = [(v, args.carrier) for v in voices]
    reference = vocoder.render_peaks(vocoder.setting_arguments({}), pairs, args.jobs)
    print(f"  defaults: {describe(reference)}")
    for name in PROBED:
        for value in VALUES:
            peaks = vocoder.render_peaks(vocoder.setting_arguments({name: value}), pairs, args.jobs)
            print(f"  {name:12s} {value:4.2f}: {describe(peaks)}", flush=True)
    print(f"\n(took {time.time() - started:.0f} s)")


if __name__ == "__main__":
    main()
