"""The eight factory presets: what each is for, the carriers it is tuned on, the parameters it
fixes (its character) and the ranges the search explores for the rest. Values are the host's
normalised 0..1; a range (lo, hi) is searched from its start value, a number is fixed.
The master volume is never searched: it is set afterwards for the peak guard.

The learning rate is what makes the adaptive filter run away (on the full-length training
voices at the defaults' other values: 2 of 6 at 0.30, 5 of 6 at 0.60), and its step grows with
the voice's level: every range stops at 0.35 and every start lies at or below 0.2; the search's
long-file guard refuses what is still on the edge. The forgetting rate (the coefficients'
leak) holds it back: every start has it at START_FORGET, where the defaults' 0.1 ran away on
the guard voices."""

# Dry voice and dry carrier stay off in every preset: a vocoder preset that mixes the voice
# back in would score its intelligibility on the voice, not on the vocoder.
COMMON = {"Modulator-Vol": 0.0, "Carrier-Vol": 0.0}
# Where every search starts the coefficients' leak, unless a preset's start says otherwise.
START_FORGET = 0.6

PRESETS = [
    {"name": "Clear Speech", "purpose": "words easy to follow on any pad or synth",
     "carriers": ["saw-pad", "pulse-pad", "noise", "strings", "bass"],
     "start": {"Pred-Learn": 0.2, "Env-Att": 0.05, "Env-Rel": 0.05},
     "fixed": {"Error-Vol": 0.0, "w-Carrier-Vol": 0.0},
     "search": {"PreEmphasis": (0.2, 1.0), "Pred-Order": (0.05, 0.37), "Pred-Learn": (0.02, 0.35),
                "Pred-Forget": (0.0, 1.0), "Pred-Smooth": (0.0, 0.8), "Env-Att": (0.0, 0.5),
                "Env-Rel": (0.0, 0.5), "Env-Amt": (0.3, 1.0), "Whiten": (0.0, 1.0),
                "White-Order": (0.05, 0.25), "White-Learn": (0.05, 1.0),
                "White-Forget": (0.0, 1.0), "White-Smooth": (0.0, 0.9),
                "Filt-Amt": (0.7, 1.0)},
     "iterations": 60},
    {"name": "Robot", "purpose": "a few taps on a buzzing pad: a metallic, flat robot voice",
     "carriers": ["saw-pad"],
     "start": {"Pred-Learn": 0.2},
     "fixed": {"Pred-Order": 0.04, "Pred-Smooth": 0.8, "Whiten": 0.0, "Error-Vol": 0.0,
               "w-Carrier-Vol": 0.0},
     "search": {"Pred-Learn": (0.02, 0.35), "Pred-Forget": (0.0, 1.0), "Env-Att": (0.0, 0.3),
                "Env-Rel": (0.0, 0.3), "Env-Amt": (0.5, 1.0), "PreEmphasis": (0.3, 1.0),
                "Filt-Amt": (0.8, 1.0)},
     "iterations": 24},
    {"name": "Choir", "purpose": "a string pad that sings the words, smoothly",
     "carriers": ["strings"],
     "start": {"Pred-Learn": 0.2, "Pred-Smooth": 0.7, "Env-Rel": 0.3},
     "fixed": {"Whiten": 0.0, "Error-Vol": 0.0, "w-Carrier-Vol": 0.0},
     "search": {"Pred-Learn": (0.02, 0.35), "Pred-Forget": (0.0, 1.0), "Pred-Smooth": (0.5, 0.9),
                "Env-Att": (0.05, 0.6), "Env-Rel": (0.2, 0.6), "PreEmphasis": (0.3, 1.0),
                "Filt-Amt": (0.8, 1.0)},
     "iterations": 24},
    {"name": "Whisper", "purpose": "a noise carrier: the words whispered",
     "carriers": ["noise"],
     "start": {"Pred-Learn": 0.2},
     "fixed": {"Whiten": 0.0, "Error-Vol": 0.0, "w-Carrier-Vol": 0.0},
     "search": {"Pred-Learn": (0.02, 0.35), "Pred-Forget": (0.0, 1.0), "Pred-Smooth": (0.0, 0.8),
                "Env-Att": (0.0, 0.5), "Env-Rel": (0.0, 0.5), "PreEmphasis": (0.3, 1.0),
                "Pred-Order": (0.05, 0.3), "Filt-Amt": (0.8, 1.0)},
     "iterations": 24},
    {"name": "Bright", "purpose": "a whitened pulse pad with full pre-emphasis: crisp and forward",
     "carriers": ["pulse-pad"],
     "start": {"Pred-Learn": 0.2},
     "fixed": {"Whiten": 1.0, "PreEmphasis": 1.0, "Error-Vol": 0.0, "w-Carrier-Vol": 0.0},
     "search": {"Pred-Learn": (0.02, 0.35), "Pred-Forget": (0.0, 1.0), "Pred-Smooth": (0.0, 0.8),
                "Env-Att": (0.0, 0.5), "Env-Rel": (0.0, 0.5), "White-Learn": (0.05, 1.0),
                "White-Forget": (0.0, 1.0), "Filt-Amt": (0.8, 1.0)},
     "iterations": 24},
    {"name": "Soft", "purpose": "gentle: slow attack, less pre-emphasis, a softer filter",
     "carriers": ["saw-pad"],
     "start": {"Pred-Learn": 0.1, "Env-Att": 0.5, "PreEmphasis": 0.3, "Filt-Amt": 0.9},
     "fixed": {"Whiten": 0.0, "Error-Vol": 0.0, "w-Carrier-Vol": 0.0},
     "search": {"Pred-Learn": (0.02, 0.35), "Pred-Forget": (0.0, 1.0), "Env-Att": (0.4, 1.0),
                "Env-Rel": (0.2, 0.8), "PreEmphasis": (0.1, 0.4), "Filt-Amt": (0.8, 0.97)},
     "iterations": 24},
    # A bass carrier makes the fast-learning filter ring far beyond full scale: the learning
    # rate stays low.
    {"name": "Rhythm", "purpose": "a bass or drum carrier: a fast envelope that keeps the beat",
     "carriers": ["bass"],
     "start": {"Pred-Learn": 0.15, "Env-Att": 0.05, "Env-Rel": 0.05},
     "fixed": {"Whiten": 0.0, "Error-Vol": 0.0, "w-Carrier-Vol": 0.0},
     "search": {"Pred-Learn": (0.02, 0.35), "Pred-Forget": (0.0, 1.0), "Pred-Smooth": (0.0, 0.8),
                "Env-Att": (0.0, 0.1), "Env-Rel": (0.0, 0.1), "PreEmphasis": (0.3, 1.0),
                "Filt-Amt": (0.8, 1.0)},
     "iterations": 24},
    {"name": "Raw Error", "purpose": "the voice's prediction error alone: a hissing, whispered voice effect",
     "carriers": ["saw-pad"],
     "start": {"Pred-Learn": 0.15},
     "fixed": {"Voco-Vol": 0.0, "Whiten": 0.0, "w-Carrier-Vol": 0.0, "Error-Vol": 1.0},
     "search": {"Pred-Learn": (0.02, 0.35), "Pred-Forget": (0.0, 1.0), "Pred-Smooth": (0.0, 0.8),
                "PreEmphasis": (0.0, 1.0), "Pred-Order": (0.05, 0.37)},
     "iterations": 24},
]
