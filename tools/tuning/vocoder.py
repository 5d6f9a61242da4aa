"""Rendering and scoring of Ostraquelle settings on the speech set, for the preset search and
the held-out table. Runs the built renderer and ostraquelle-articulation as a user does.

A setting is a dict {parameter name: normalised value} over the 20 parameters; missing
names keep their defaults. Scores are taken with the master volume at 0 dB: both measures
ignore the level, so the master volume a preset needs for its peak is computed afterwards
from the peaks (the output scales exactly with it).
"""
import os
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD = os.path.join(ROOT, "build", "linux")
SPEECH = os.path.join(ROOT, "build", "speech")

RENDERER = os.path.join(BUILD, "ostraquelle-render")


def parameter_table():
    """The 20 parameters in index order (19 is a hole) with their defaults, as the plug-in's
    own table gives them through the renderer's --list-params (columns: index, name in 17
    characters, display, label, normalised)."""
    if not os.path.exists(RENDERER):
        sys.exit(f"tuning: {RENDERER} is missing; build it first (cmake --build build/linux)")
    listing = subprocess.run([RENDERER, "--list-params"], check=True, capture_output=True,
                             text=True).stdout.splitlines()[2:]
    return [(line[7:24].strip(), float(line.split()[-1])) for line in listing
            if line[7:24].strip()]


PARAMETERS = parameter_table()
NAMES = [name for name, _ in PARAMETERS]
DEFAULTS = dict(PARAMETERS)
CARRIERS = ["saw-pad", "pulse-pad", "noise", "strings", "bass"]

# Guards: the output peak with voices at -3 dBFS and carriers at -6 dBFS, and the loudness
# window around the defaults' output brought to the same peak ceiling.
PEAK_CEILING_DB = -1.0
LOUDNESS_WINDOW_DB = 3.0


def full(setting):
    values = dict(DEFAULTS)
    values.update(setting)
    return values


def voices(which, short):
    """The voice files of a set ('train', 'guard' or 'heldout'), in a fixed order."""
    folder = os.path.join(SPEECH, which)
    names = sorted(f for f in os.listdir(folder) if f.endswith(".wav") and
                   f.endswith("-short.wav") == short)
    return [os.path.join(folder, f) for f in names]


def samples(path):
    out = subprocess.run(["soxi", "-s", path], check=True, capture_output=True, text=True)
    return int(out.stdout.strip())


def carrier_for(carrier, voice):
    """The carrier cut to the voice's length (cached), so the render is as long as the voice."""
    cut = os.path.join(SPEECH, "cut")
    os.makedirs(cut, exist_ok=True)
    base = os.path.basename(voice)[:-4]
    path = os.path.join(cut, f"{carrier}--{base}.wav")
    if not os.path.exists(path):
        partial = path + ".part.wav"
        subprocess.run(["sox", "-V1", os.path.join(SPEECH, "carriers", carrier + ".wav"),
                        partial, "trim", "0", f"{samples(voice)}s"], check=True)
        os.replace(partial, path)
    return path


def setting_arguments(setting, master=0.8):
    """--set arguments for all 20 parameters of a setting, with this master volume."""
    values = full(setting)
    values["main Vol"] = master
    arguments = []
    for name in NAMES:
        arguments += ["--set", f"{name}={values[name]:.6f}"]
    return arguments


def render_and_score(arguments, voice, carrier):
    """Renders one voice through one carrier with these renderer arguments (--set ... or
    --preset ... --program N); answers a dict with the two scores, the output's peak and RMS
    level in dBFS and the render's real-time factor, or None when the output cannot be
    measured (non-finite samples, silence)."""
    with tempfile.TemporaryDirectory(prefix="ostraquelle-tuning-") as tmp:
        out = os.path.join(tmp, "out.wav")
        command = [RENDERER, "--carrier",
                   carrier_for(carrier, voice), "--modulator", voice, "-o", out] + arguments
        run = subprocess.run(command, capture_output=True, text=True)
        if run.returncode != 0:
            return None
        score = subprocess.run([os.path.join(BUILD, "ostraquelle-articulation"), "--scores",
                                voice, out], capture_output=True, text=True)
        if score.returncode != 0:
            return None
        fields = score.stdout.split()
        result = {fields[i]: float(fields[i + 1]) for i in range(0, len(fields), 2)}
        summary = run.stdout + run.stderr
        marker = "real-time factor "
        if marker in summary:
            result["rtf"] = float(summary.split(marker)[1].split()[0])
        return result


def hot_voice(voice, gain_db):
    """A copy of a voice file gain_db louder (cached; float, so nothing clips)."""
    hot = os.path.join(SPEECH, "hot")
    os.makedirs(hot, exist_ok=True)
    path = os.path.join(hot, f"{os.path.basename(voice)[:-4]}{gain_db:+.0f}dB.wav")
    if not os.path.exists(path):
        partial = path + ".part.wav"
        subprocess.run(["sox", "-V1", voice, "-b", "32", "-e", "float", partial, "gain",
                        f"{gain_db}"], check=True)
        os.replace(partial, path)
    return path


def peak_of_summary(line):
    """The output peak in dBFS of one renderer summary line, or None for a non-finite output."""
    if "NaN/infinite" in line or "peak " not in line:
        return None
    text = line.split("peak ")[1].split(" dBFS")[0]
    return float("-inf") if text == "-inf" else float(text)


def render_peaks(arguments, pairs, jobs=2):
    """Renders every (voice, carrier) pair with these arguments in one batch and answers their
    output peaks in dBFS, in order (None where an output is not finite or failed)."""
    with tempfile.TemporaryDirectory(prefix="ostraquelle-guard-") as tmp:
        outputs = [os.path.join(tmp, f"{i}.wav") for i in range(len(pairs))]
        listing = os.path.join(tmp, "pairs")
        with open(listing, "w") as f:
            for (voice, carrier), out in zip(pairs, outputs):
                f.write(f"{carrier_for(carrier, voice)}\t{voice}\t{out}\n")
        run = subprocess.run([RENDERER, "--pairs", listing,
                              "--jobs", str(jobs)] + arguments, capture_output=True, text=True)
        peaks = {}
        for line in (run.stdout + run.stderr).splitlines():
            head = line.split(": ")[0]
            if head in outputs:
                peaks[head] = peak_of_summary(line)
        return [peaks.get(out) for out in outputs]


def master_for_peak(peak_db_at_0db, target_db):
    """The normalised master volume that puts a peak measured at master 0 dB at target_db."""
    return 0.8 + (target_db - peak_db_at_0db) / 120.0
