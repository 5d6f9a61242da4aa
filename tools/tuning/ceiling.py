#!/usr/bin/env python3
"""How far the learning rate would carry "Clear Speech", and what it costs: the tuned preset
(found.json) with its learning rate raised step by step, each setting scored on the training
voices and the preset's carriers as the search scores it, and put through the search's long-
file guard (full-length training and guard voices, as they are and HOT_DB louder). Training
material only; the held-out voices stay unheard.
  tools/tuning/ceiling.py [--jobs 2] [--preset "Clear Speech"] > tools/tuning/ceiling.txt"""
import argparse
import json
import multiprocessing
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import vocoder  # noqa: E402
from presets import PRESETS  # noqa: E402
from search import (HOT_DB, RUNAWAY_MARGIN_DB, Evaluator, long_file_faults,  # noqa: E402
                    long_file_voices, long_files_bounded)

LEARNING_RATES = [0.35, 0.5, 0.7, 1.0]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--preset", default="Clear Speech")
    parser.add_argument("--found", default=os.path.join(os.path.dirname(__file__), "found.json"))
    args = parser.parse_args()
    started = time.time()
    with open(args.found) as f:
        tuned = json.load(f)[args.preset]["values"]
    tuned = {name: value for name, value in tuned.items() if name != "main Vol"}
    carriers = next(p for p in PRESETS if p["name"] == args.preset)["carriers"]
    voices = vocoder.voices("train", short=True)
    long_voices = long_file_voices()
    print(f"{args.preset} (found.json) on the training voices and {', '.join(carriers)}; "
          f"long-file guard on {len(long_voices)} voices, also {HOT_DB:+.0f} dB")
    with multiprocessing.Pool(args.jobs) as pool:
        evaluator = Evaluator(pool, voices, long_voices, args.jobs)
        for rate in [tuned["Pred-Learn"]] + LEARNING_RATES:
            setting = dict(tuned, **{"Pred-Learn": rate})
            results = evaluator.run(setting, carriers)
            scored = [r for r in results if r is not None]
            articulation = sum(r["articulation"] for r in scored) / len(scored)
            stoi = sum(r["stoi"] for r in scored) / len(scored)
            nominal, hot = evaluator.long_peaks(setting, carriers)
            short_top = max(r["peak"] for r in scored)
            passes = len(scored) == len(results) and long_files_bounded(short_top, nominal, hot)
            # The guard's two tests, counted, so the line says why a setting is refused.
            above, rising = long_file_faults(short_top, nominal, hot)
            print(f"Pred-Learn {rate:.4f}: articulation {articulation:.3f}, STOI {stoi:.3f}; "
                  f"long-file guard {'passes' if passes else 'refuses'}: {above} of "
                  f"{len(nominal)} long files more than {RUNAWAY_MARGIN_DB:.0f} dB above the "
                  f"short files' loudest, {rising} rising more than "
                  f"{HOT_DB + RUNAWAY_MARGIN_DB:.0f} dB with the voice {HOT_DB:.0f} dB louder",
                  flush=True)
    print(f"(took {time.time() - started:.0f} s)")


if __name__ == "__main__":
    main()
