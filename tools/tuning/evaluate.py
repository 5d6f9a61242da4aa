#!/usr/bin/env python3
"""Judges the factory bank on the held-out voices only (build/speech/heldout, all 20
sentences each), rendering every program through presets/Ostraquelle-factory.fxb as a user
would (--preset ... --program N) beside the defaults on the same files:
  - each preset on the carriers it is for, and "Clear Speech" on all five carriers, with both
    measures against the defaults';
  - the guards: the loudest output peak (voices at -3 dBFS, carriers at -6 dBFS), the mean
    loudness against the defaults' with their master volume set so that their loudest output
    peaks at -1 dBFS, non-finite or unmeasurable outputs, and the real-time factor against
    the defaults' for presets that raise an order (best of three alternating renders);
  - "Clear Speech" against the defaults on every held-out voice and carrier.
Prints the tables as Markdown (the README's "Presets" table comes from here).
  tools/tuning/evaluate.py [--jobs 2] [bank.fxb] > tools/tuning/heldout.md"""
import argparse
import hashlib
import json
import multiprocessing
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import vocoder  # noqa: E402
from presets import PRESETS  # noqa: E402
from search import DEFAULT_TAPS  # noqa: E402


CACHE = os.path.join(vocoder.SPEECH, "evaluated")
# An output peak this far above full scale means the synthesis has run away.
DIVERGED_DB = 40.0


def job(args):
    """One render and its scores, kept on disk by what determines them (the bank's bytes,
    the arguments, voice and carrier), so that an interrupted evaluation resumes."""
    arguments, voice, carrier = args
    key = hashlib.sha256(repr((arguments, voice, carrier)).encode())
    if "--preset" in arguments:
        with open(arguments[arguments.index("--preset") + 1], "rb") as f:
            key.update(f.read())
    path = os.path.join(CACHE, key.hexdigest() + ".json")
    if os.path.exists(path):
        with open(path) as f:
            return json.load(f)
    result = vocoder.render_and_score(arguments, voice, carrier)
    os.makedirs(CACHE, exist_ok=True)
    with open(path + ".part", "w") as f:
        json.dump(result, f)
    os.replace(path + ".part", path)
    return result


def mean(values):
    return sum(values) / len(values)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("bank", nargs="?",
                        default=os.path.join(vocoder.ROOT, "presets", "Ostraquelle-factory.fxb"))
    args = parser.parse_args()
    started = time.time()
    voices = vocoder.voices("heldout", short=False)
    names = [os.path.basename(v)[:-4] for v in voices]
    programs = {p["name"]: ["--preset", args.bank, "--program", str(i)]
                for i, p in enumerate(PRESETS)}
    carriers_of = {p["name"]: (vocoder.CARRIERS if p["name"] == "Clear Speech"
                               else p["carriers"]) for p in PRESETS}

    jobs = [("defaults", c, v) for c in vocoder.CARRIERS for v in voices]
    for p in PRESETS:
        jobs += [(p["name"], c, v) for c in carriers_of[p["name"]] for v in voices]
    with multiprocessing.Pool(args.jobs) as pool:
        results = pool.map(job, [([] if n == "defaults" else programs[n], v, c)
                                 for n, c, v in jobs])
    table = {(n, c, v): r for (n, c, v), r in zip(jobs, results)}

    print("# Factory presets on the held-out voices\n")
    print(f"Held-out voices: {', '.join(names)} (20 sentences each). Bank: "
          f"`{os.path.relpath(args.bank, vocoder.ROOT)}`.\n")
    print("| preset | carriers | articulation (defaults) | STOI (defaults) | peak dBFS | "
          f"files above -1 dBFS | diverged (defaults) | loudness vs defaults | unmeasurable |")
    print("|---|---|---|---|---|---|---|---|---|")
    for p in PRESETS:
        name = p["name"]
        keys = [(c, v) for c in carriers_of[name] for v in voices]
        mine = [table[(name, c, v)] for c, v in keys]
        base = [table[("defaults", c, v)] for c, v in keys]
        bad = sum(r is None for r in mine)
        good = [(m, b) for m, b in zip(mine, base) if m is not None and b is not None]
        # Loudness only where neither output diverged (the filter ringing far beyond full
        # scale), against the defaults with their loudest such output at -1 dBFS.
        steady = [(m, b) for m, b in good if m["peak"] < DIVERGED_DB and b["peak"] < DIVERGED_DB]
        top_default = max(b["peak"] for _, b in steady)
        loudness = (mean([m["rms"] for m, _ in steady]) -
                    (mean([b["rms"] for _, b in steady]) + (-1.0 - top_default)))
        over = sum(m is not None and m["peak"] > vocoder.PEAK_CEILING_DB for m in mine)
        diverged = sum(m is not None and m["peak"] >= DIVERGED_DB for m in mine)
        diverged_defaults = sum(b is not None and b["peak"] >= DIVERGED_DB for b in base)
        print(f"| {name} | {', '.join(carriers_of[name])} | "
              f"{mean([m['articulation'] for m, _ in good]):.3f} "
              f"({mean([b['articulation'] for _, b in good]):.3f}) | "
              f"{mean([m['stoi'] for m, _ in good]):.3f} ({mean([b['stoi'] for _, b in good]):.3f}) | "
              f"{max(m['peak'] for m, _ in good):+.1f} | {over} of {len(mine)} | {diverged} "
              f"({diverged_defaults}) | {loudness:+.1f} dB | {bad} |")
    top = max(table[("defaults", c, v)]["peak"] for c in vocoder.CARRIERS for v in voices)
    print(f"\nThe defaults as they are peak at {top:+.1f} dBFS on these files.\n")

    print("## Clear Speech against the defaults, every held-out voice and carrier\n")
    print("| voice | " + " | ".join(vocoder.CARRIERS) + " |")
    print("|---|" + "---|" * len(vocoder.CARRIERS))
    below = 0
    for v, n in zip(voices, names):
        cells = []
        for c in vocoder.CARRIERS:
            m = table[("Clear Speech", c, v)]
            b = table[("defaults", c, v)]
            if m is None or b is None:
                cells.append("unmeasurable")
                below += 1
                continue
            worse = m["articulation"] <= b["articulation"] or m["stoi"] <= b["stoi"]
            below += worse
            cells.append(f"{m['articulation']:.3f}/{m['stoi']:.3f} vs {b['articulation']:.3f}/"
                         f"{b['stoi']:.3f}{' (not above)' if worse else ''}")
        print(f"| {n} | " + " | ".join(cells) + " |")
    print(f"\nEach cell: articulation/STOI of Clear Speech vs the defaults'. Cells where Clear "
          f"Speech is not above the defaults on both measures: {below} of "
          f"{len(voices) * len(vocoder.CARRIERS)}.\n")

    # Real-time factor for presets that raise an order, best of three alternating renders.
    print("## Processing time of presets that raise an order\n")
    found = False
    longest = max(voices, key=vocoder.samples)
    for i, p in enumerate(PRESETS):
        raised = None
        # The stored program, read back through the renderer's parameter list.
        listing = subprocess.run([vocoder.RENDERER, "--preset",
                                  args.bank, "--program", str(i), "--list-params"],
                                 capture_output=True, text=True, check=True).stdout
        shown = {}
        for line in listing.splitlines()[2:]:
            parts = line.split()
            if len(parts) >= 3 and parts[0].isdigit():
                shown[parts[1]] = parts[2]
        mod_taps = int(float(shown.get("Pred-Order", DEFAULT_TAPS)))
        white = float(shown.get("Whiten", 0)) >= 0.5
        white_taps = int(float(shown.get("White-Order", DEFAULT_TAPS)))
        if mod_taps > DEFAULT_TAPS or (white and white_taps > DEFAULT_TAPS):
            raised = (mod_taps, white_taps if white else None)
        if raised is None:
            continue
        found = True
        times = {"defaults": [], p["name"]: []}
        for _ in range(3):
            for n, a in (("defaults", []), (p["name"], programs[p["name"]])):
                r = vocoder.render_and_score(a, longest, "saw-pad")
                times[n].append(r["rtf"])
        ratio = min(times[p["name"]]) / min(times["defaults"])
        print(f"- {p['name']}: {raised[0]} taps (whitening {raised[1] or 'off'}): real-time "
              f"factor {min(times[p['name']]):.4f} vs defaults {min(times['defaults']):.4f}, "
              f"ratio {ratio:.2f} (limit 1.5)")
    if not found:
        print("- none of the presets raises an order above the defaults' 51 taps")
    print(f"\n(evaluation took {time.time() - started:.0f} s)")


if __name__ == "__main__":
    main()
