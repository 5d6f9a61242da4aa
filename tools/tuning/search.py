#!/usr/bin/env python3
"""Tunes the eight factory presets on the training voices (build/speech/train, the short
files), never on the held-out ones. For each preset a seeded local search perturbs one to
three of its searched parameters at a time and keeps a candidate when it raises the mean of
both intelligibility measures over the training voices and the preset's carriers, and passes
the guards:
  - every output finite and measurable;
  - peak: the master volume is set so that the loudest training output, short or full
    length, peaks at TRAIN_PEAK_DB (a margin under the -1 dBFS ceiling for voices the search
    never heard), or lower where that would make the preset louder than the defaults; a
    preset that would need more than +24 dB is refused;
  - long files: the full-length training and guard voices, also 3 dB louder, stay in bounds
    (see HOT_DB below);
  - loudness: the mean RMS level within 3 dB of the defaults' with the defaults' master
    volume set the same way (their loudest output at -1 dBFS);
  - CPU: a preset that raises an order above the defaults' 51 taps must stay within 1.5 times
    the defaults' work per sample (six passes over the modulator order, five more over the
    carrier order with whitening); the held-out evaluation measures the real ratio.
Renders run on two processes; the seed and the fixed number of iterations make the result
the same on every run.
  tools/tuning/search.py [--seed N] [--jobs 2] [--only NAME] > tools/tuning/search.log
Writes tools/tuning/found.json."""
import argparse
import json
import math
import multiprocessing
import os
import random
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import vocoder  # noqa: E402
from presets import COMMON, PRESETS, START_FORGET  # noqa: E402

TRAIN_PEAK_DB = -3.0
DEFAULT_TAPS = 51
# The long-file guard. The short files miss what a minute of speech does to the adaptive
# filter, and its step grows with the voice's level (it is normalised by the history's norm,
# not its energy): every full-length training voice is also rendered HOT_DB louder, and a
# setting whose output then rises by more than the level (plus RUNAWAY_MARGIN_DB) is on the
# edge of running away on voices the search never heard. Whether it runs away depends on the
# voice as much as on its level, so the guard also renders the guard voices, which the search
# never scores: twice as many voices to fail on.
HOT_DB = 3.0
RUNAWAY_MARGIN_DB = 6.0


def taps(x):
    return int(math.floor(200.0 * x)) + 1


def work_per_sample(values):
    cost = 6 * taps(values["Pred-Order"])
    if values["Whiten"] >= 0.5:
        cost += 5 * taps(values["White-Order"])
    return cost


def long_file_voices():
    """The full-length voices the long-file guard renders: the training voices and the guard
    voices, never a held-out one."""
    return vocoder.voices("train", short=False) + vocoder.voices("guard", short=False)


def cpu_guard(values):
    raised = taps(values["Pred-Order"]) > DEFAULT_TAPS or (
        values["Whiten"] >= 0.5 and taps(values["White-Order"]) > DEFAULT_TAPS)
    return not raised or work_per_sample(values) <= 1.5 * work_per_sample(vocoder.DEFAULTS)


def long_file_faults(short_top, nominal, hot):
    """The long-file guard's two tests on peaks in dBFS at the same master volume, counted:
    (full-length outputs far above the short files' loudest, outputs rising with the louder
    voice by more than its level and the margin). An output that cannot be measured fails
    both."""
    above = sum(1 for n in nominal if n is None or n > short_top + RUNAWAY_MARGIN_DB)
    rising = sum(1 for n, h in zip(nominal, hot)
                 if n is None or h is None or h > n + HOT_DB + RUNAWAY_MARGIN_DB)
    return above, rising


def long_files_bounded(short_top, nominal, hot):
    """The long-file guard: every full-length output finite and neither of its tests failed."""
    if short_top is None or any(p is None for p in nominal + hot):
        return False
    return long_file_faults(short_top, nominal, hot) == (0, 0)


def job(args):
    setting, voice, carrier = args
    return vocoder.render_and_score(vocoder.setting_arguments(setting), voice, carrier)


class Evaluator:
    def __init__(self, pool, voices, long_voices, jobs):
        self.pool = pool
        self.voices = voices
        self.long_voices = long_voices
        self.jobs = jobs
        self.reference = {}

    def run(self, setting, carriers):
        jobs = [(setting, v, c) for c in carriers for v in self.voices]
        return self.pool.map(job, jobs)

    def reference_loudness(self, carriers):
        key = tuple(carriers)
        if key not in self.reference:
            results = self.run({}, carriers)
            top = max(r["peak"] for r in results)
            self.reference[key] = sum(r["rms"] for r in results) / len(results) + (-1.0 - top)
        return self.reference[key]

    def long_peaks(self, setting, carriers):
        """The full-length training outputs' peaks at master 0 dB: as they are and with the
        voices HOT_DB louder."""
        pairs = [(v, c) for c in carriers for v in self.long_voices]
        hot = [(vocoder.hot_voice(v, HOT_DB), c) for v, c in pairs]
        peaks = vocoder.render_peaks(vocoder.setting_arguments(setting), pairs + hot, self.jobs)
        return peaks[:len(pairs)], peaks[len(pairs):]

    def evaluate(self, setting, carriers, bar=None):
        """(objective or None, summary dict). The long-file guard runs only for a setting
        whose objective beats bar (it costs as much as the scoring)."""
        values = vocoder.full(setting)
        if not cpu_guard(values):
            return None, {"refused": "cpu"}
        results = self.run(setting, carriers)
        if any(r is None for r in results):
            return None, {"refused": "unmeasurable output"}
        articulation = sum(r["articulation"] for r in results) / len(results)
        stoi = sum(r["stoi"] for r in results) / len(results)
        objective = 0.5 * (articulation + stoi)
        summary = {"articulation": articulation, "stoi": stoi}
        if bar is not None and objective <= bar:
            return objective, dict(summary, refused="not better", loudness_vs_defaults=0.0)
        short_top = max(r["peak"] for r in results)
        nominal, hot = self.long_peaks(setting, carriers)
        if not long_files_bounded(short_top, nominal, hot):
            worst = max((h - n for n, h in zip(nominal, hot) if n is not None and h is not None),
                        default=float("nan"))
            return None, dict(summary, refused=f"long files (short {short_top:+.1f}, long "
                              f"{max((n for n in nominal if n is not None), default=float('nan')):+.1f} dBFS, "
                              f"hot rise up to {worst:+.1f} dB)")
        top = max([short_top] + nominal)
        # As loud as the defaults where the peak allows (a preset louder than they are is
        # turned down to them: switching presets should not jump in level), else quieter.
        level_at_0db = sum(r["rms"] for r in results) / len(results)
        master = min(vocoder.master_for_peak(top, TRAIN_PEAK_DB),
                     vocoder.master_for_peak(level_at_0db, self.reference_loudness(carriers)))
        summary["master"] = master
        summary["long_peak"] = max(nominal) + 120.0 * (master - 0.8)
        if not 0.0 <= master <= 1.0:
            return None, dict(summary, refused="master volume out of range")
        loudness = level_at_0db + 120.0 * (master - 0.8)
        summary["loudness_vs_defaults"] = loudness - self.reference_loudness(carriers)
        if abs(summary["loudness_vs_defaults"]) > vocoder.LOUDNESS_WINDOW_DB:
            return None, dict(summary, refused=f"loudness "
                              f"{summary['loudness_vs_defaults']:+.1f} dB")
        return objective, summary


def audible(values):
    """The parameters that change the output: the carrier predictor's only with whitening on."""
    return {n: v for n, v in values.items()
            if values.get("Whiten", 0.0) >= 0.5 or not n.startswith("White-")}


def propose(rng, current, ranges, progress):
    candidate = dict(current)
    names = sorted(ranges)
    spread = 0.25 * (1.0 - progress) + 0.05
    for name in rng.sample(names, min(len(names), rng.choice([1, 2, 3]))):
        lo, hi = ranges[name]
        if name == "Whiten":
            candidate[name] = 1.0 if current[name] < 0.5 else 0.0
            continue
        value = current[name] + rng.gauss(0.0, spread * (hi - lo))
        candidate[name] = round(min(hi, max(lo, value)), 4)
    return candidate


def tune(evaluator, preset, index, seed, log):
    rng = random.Random(seed * 1000 + index)
    ranges = preset["search"]
    current = dict(COMMON)
    current.update(preset["fixed"])
    starts = dict({"Pred-Forget": START_FORGET}, **preset["start"])
    for name, (lo, hi) in ranges.items():
        current[name] = min(hi, max(lo, starts.get(name, vocoder.DEFAULTS[name])))
    carriers = preset["carriers"]
    best, summary = evaluator.evaluate(current, carriers)
    if best is None:
        log(f"{preset['name']}: the start is refused ({summary.get('refused')}); searching for "
            f"a setting that passes")
    log(f"{preset['name']}: start {describe(best, summary)}")
    for it in range(preset["iterations"]):
        # A proposal that changes nothing audible is drawn again (same seed, same sequence).
        candidate = propose(rng, current, ranges, it / preset["iterations"])
        while audible(candidate) == audible(current):
            candidate = propose(rng, current, ranges, it / preset["iterations"])
        score, details = evaluator.evaluate(candidate, carriers, bar=best)
        kept = score is not None and "refused" not in details and (best is None or score > best)
        changed = ", ".join(f"{n}={candidate[n]:.3f}" for n in sorted(candidate)
                            if candidate[n] != current[n])
        log(f"{preset['name']} {it + 1:2d}: {describe(score, details)} "
            f"{'kept' if kept else 'dropped'} ({changed})")
        if kept:
            best, current, summary = score, candidate, details
    return current, best, summary


def describe(score, details):
    if score is None:
        return f"refused ({details.get('refused')})"
    if details.get("refused") == "not better":
        return (f"score {score:.4f} (articulation {details['articulation']:.4f}, stoi "
                f"{details['stoi']:.4f}), not better")
    return (f"score {score:.4f} (articulation {details['articulation']:.4f}, stoi "
            f"{details['stoi']:.4f}, loudness {details['loudness_vs_defaults']:+.1f} dB)")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--seed", type=int, default=24)
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--only", default=None, help="comma-separated preset names")
    parser.add_argument("--iterations", type=int, default=None, help="override, for a trial run")
    parser.add_argument("--out", default=os.path.join(os.path.dirname(__file__), "found.json"))
    args = parser.parse_args()
    start = time.time()

    def log(text):
        print(f"[{time.time() - start:6.0f} s] {text}", flush=True)

    voices = vocoder.voices("train", short=True)
    long_voices = long_file_voices()
    log(f"training voices: {', '.join(os.path.basename(v) for v in voices)} (long-file guard: "
        f"{', '.join(os.path.basename(v) for v in long_voices)}, also {HOT_DB:+.0f} dB); "
        f"seed {args.seed}")
    found = {}
    if os.path.exists(args.out):
        with open(args.out) as f:
            found = json.load(f)
    with multiprocessing.Pool(args.jobs) as pool:
        evaluator = Evaluator(pool, voices, long_voices, args.jobs)
        for index, preset in enumerate(PRESETS):
            if args.only and preset["name"] not in args.only.split(","):
                continue
            if args.iterations is not None:
                preset = dict(preset, iterations=args.iterations)
            setting, score, summary = tune(evaluator, preset, index, args.seed, log)
            if score is None:
                log(f"{preset['name']}: no setting passed the guards; nothing written for it")
                continue
            values = vocoder.full(setting)
            values["main Vol"] = round(summary["master"], 4)
            found[preset["name"]] = {"values": values, "training": summary}
            log(f"{preset['name']}: best {describe(score, summary)}, main Vol {values['main Vol']}")
            with open(args.out, "w") as f:
                json.dump(found, f, indent=1, sort_keys=True)
    log("done")


if __name__ == "__main__":
    main()
