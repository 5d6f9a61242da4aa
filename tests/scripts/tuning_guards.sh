#!/usr/bin/env bash
# The preset search's guards and the bank writer's records (tools/tuning): the order a
# normalised value gives, the work-per-sample limit for presets that raise an order, the
# master volume that puts a measured peak at a target, and the bytes of one program record.
#   tuning_guards.sh <build dir> <source dir> <platform> <plug-in>
set -uo pipefail
source_dir=$2 platform=$3
[ "$platform" = native ] || { echo "checked by the native build"; exit 77; }
command -v python3 >/dev/null || { echo "python3 is missing"; exit 77; }
cd "$source_dir/tools/tuning" || exit 1
python3 - <<'PY'
import os
import struct
import sys
import tempfile
import search
import vocoder
import write_bank

failures = []
checks = []
def check(what, ok):
    checks.append(what)
    print(("ok: " if ok else "FAIL: ") + what)
    if not ok:
        failures.append(what)

check("0.25 gives the defaults' 51 taps, 1.0 gives 201", search.taps(0.25) == 51 and search.taps(1.0) == 201)
d = vocoder.full({})
check("the defaults pass the CPU guard", search.cpu_guard(d))
check("75 taps without whitening is within 1.5 times the defaults' work",
      search.cpu_guard(vocoder.full({"Pred-Order": 0.37})))
check("77 taps is not", not search.cpu_guard(vocoder.full({"Pred-Order": 0.38})))
check("a raised modulator order with whitening on is not",
      not search.cpu_guard(vocoder.full({"Pred-Order": 0.3, "Whiten": 1.0})))
check("whitening at the defaults' orders raises nothing and passes",
      search.cpu_guard(vocoder.full({"Whiten": 1.0})))
check("a raised carrier order counts only with whitening on",
      search.cpu_guard(vocoder.full({"White-Order": 0.5})) and
      not search.cpu_guard(vocoder.full({"White-Order": 0.5, "Whiten": 1.0})))
# The long-file guard: peaks in dBFS at one master volume (short files' loudest, then each
# full-length file as it is and 3 dB louder).
check("steady long files that rise with the louder voice by a few dB pass",
      search.long_files_bounded(20.0, [19.0, 22.0], [24.0, 27.5]))
check("a long file far above the short files' loudest is refused",
      not search.long_files_bounded(20.0, [19.0, 40.0], [24.0, 45.0]))
check("a file that runs away only with the louder voice is refused",
      not search.long_files_bounded(20.0, [19.0, 22.0], [24.0, 60.0]))
check("a non-finite long output is refused",
      not search.long_files_bounded(20.0, [19.0, None], [24.0, 25.0]))
line = ("/tmp/x.wav: mono 32-bit float WAV, 90.00 s at 44100 Hz, real-time factor 0.003 "
        "(341.4x real time), peak 770.6 dBFS, 253013 samples above full scale (float, not clipped)")
check("a summary line's peak is read, a runaway's too", vocoder.peak_of_summary(line) == 770.6)
check("an output with NaN or infinite samples has no peak",
      vocoder.peak_of_summary(line + ", 12 NaN/infinite samples") is None)
check("a silent output peaks at -inf",
      vocoder.peak_of_summary(line.replace("770.6 dBFS", "-inf dBFS")) == float("-inf"))
m = vocoder.master_for_peak(20.0, -3.0)
check("the master volume moves the peak by 120 dB per unit", abs((m - 0.8) * 120.0 + 23.0) < 1e-9)

values = vocoder.full({"Filt-Amt": 0.5, "White-Smooth": 0.25})
record = write_bank.program_record(0x6C51734F, 1, "Clear Speech", values)
check("a program record is 8 + 132 bytes", len(record) == 140)
size, = struct.unpack(">i", record[4:8])
check("its size counts the bytes after itself", size == len(record) - 8)
floats = struct.unpack(">21f", record[56:])
check("index 19 is stored as 0, index 20 is Filt-Amt, 18 White-Smooth",
      floats[19] == 0.0 and floats[20] == 0.5 and floats[18] == 0.25)
check("the name is zero-padded to 28 bytes", record[28:56] == b"Clear Speech".ljust(28, b"\0"))
try:
    write_bank.program_record(1, 1, "A name far longer than the host keeps", values)
    check("a name over 23 characters is refused", False)
except ValueError:
    check("a name over 23 characters is refused", True)

# The speech set: a voice heard by the search (scored or guard) is never a held-out one.
sets = {}
with open("voices.txt") as f:
    for line in f:
        fields = line.split()
        if fields and not fields[0].startswith("#"):
            sets.setdefault((fields[1], fields[2]), set()).add(fields[0])
check("every voice of the speech set belongs to one set only",
      all(len(s) == 1 for s in sets.values()))
check("there are training, guard and held-out voices",
      {next(iter(s)) for s in sets.values()} == {"train", "guard", "heldout"})

# The long-file guard renders every full-length training and guard voice, and nothing the
# search must not hear: no held-out voice, no short file.
with tempfile.TemporaryDirectory() as speech:
    for folder, name in [("train", "a"), ("guard", "b"), ("heldout", "c")]:
        os.makedirs(os.path.join(speech, folder))
        for suffix in (".wav", "-short.wav"):
            open(os.path.join(speech, folder, name + suffix), "w").close()
    vocoder.SPEECH = speech
    rendered = sorted(os.path.relpath(v, speech) for v in search.long_file_voices())
    check("the long-file guard renders the full-length training and guard voices only",
          rendered == ["guard/b.wav", "train/a.wav"])
print(f"{len(checks) - len(failures)} passed, {len(failures)} failed")
sys.exit(1 if failures else 0)
PY
