#!/usr/bin/env python3
"""Writes an LMMS 1.2 project: one sample track playing a stereo file from the start, with
Ostraquelle (a Windows VST DLL) as the only effect, fully wet, and a given program and
parameter values.

usage: lmms-project.py OUT.mmp INPUT.wav FRAMES RATE PLUGIN.dll [p=N] [INDEX=VALUE ...]"""
import math
import sys
from xml.sax.saxutils import quoteattr

# The plug-in's own defaults (normalised), index 0 to 20; LMMS sets every parameter it lists,
# so the project lists them all. Index 19 carries nothing.
DEFAULTS = [0.8, 0, 0, 0, 0, 0.8, 1, 0.25, 0.1, 0.1, 0.5, 0.1, 0.1, 1, 0, 0.25, 0.1, 0.1, 0.5,
            0, 1]
TICKS_PER_BAR = 192  # LMMS: 48 ticks a beat, 4 beats a bar
BPM = 120


def main():
    if len(sys.argv) < 6:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    out, wav, dll = sys.argv[1], sys.argv[2], sys.argv[5]
    frames, rate = int(sys.argv[3]), int(sys.argv[4])
    values = list(DEFAULTS)
    program = None
    for action in sys.argv[6:]:
        key, _, value = action.partition("=")
        if key == "p":
            program = int(value)
        elif key.isdigit() and 0 <= int(key) < len(values):
            values[int(key)] = float(value)
        else:
            print(f"bad action {action}", file=sys.stderr)
            return 1
    frames_per_bar = rate * 60 * 4 / BPM
    length = math.ceil(frames / frames_per_bar) * TICKS_PER_BAR
    params = " ".join(f'param{i}="{i}::{v!r}"' for i, v in enumerate(values))
    program_attr = f' program="{program}"' if program is not None else ""
    with open(out, "w") as f:
        f.write(f"""<?xml version="1.0"?>
<!DOCTYPE lmms-project>
<lmms-project version="1.0" creator="LMMS" creatorversion="1.2.2" type="song">
  <head timesig_numerator="4" mastervol="100" timesig_denominator="4" bpm="{BPM}" masterpitch="0"/>
  <song>
    <trackcontainer type="song" width="600" height="300" x="5" y="5" visible="1" minimized="0" maximized="0">
      <track type="2" name="vocoder" muted="0" solo="0">
        <sampletrack vol="100" pan="0">
          <fxchain numofeffects="1" enabled="1">
            <effect name="vsteffect" on="1" wet="1" gate="0" autoquit="0" autoquit_numerator="4" autoquit_denominator="4">
              <vsteffectcontrols numparams="{len(values)}"{program_attr} {params}/>
              <key>
                <attribute name="file" value={quoteattr(dll)}/>
              </key>
            </effect>
          </fxchain>
        </sampletrack>
        <sampletco muted="0" pos="0" len="{length}" src={quoteattr(wav)}/>
      </track>
    </trackcontainer>
    <fxmixer>
      <fxchannel num="0" name="Master" volume="1" muted="0" soloed="0">
        <fxchain numofeffects="0" enabled="0"/>
      </fxchannel>
    </fxmixer>
  </song>
</lmms-project>
""")
    return 0


if __name__ == "__main__":
    sys.exit(main())
