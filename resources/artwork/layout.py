"""Where everything sits on the 368 x 412 panel. Control rectangles are (left, top, right,
bottom) with right and bottom exclusive, as the editor creates them; boxes are outlines with
inclusive corners. The controls' places come from the parameter table the editor builds its
controls from; the rest is the artwork's own."""

import os
import re

PANEL_W, PANEL_H = 368, 412

TITLE_TEXT = "OSTRAQUELLE"
FOOTER_TEXT = "Valtrisk  \u00b7  linear prediction vocoder  \u00b7  version 1.0"

# Outer boxes first (they cast shadows), then the boxes inside them.
BOXES = [
    (4, 28, 263, 200),    # ANALYSIS
    (4, 203, 263, 391),   # SYNTHESIS
    (267, 28, 363, 391),  # MIXER
    (76, 120, 263, 200),  # ENV, in the corner of ANALYSIS
    (4, 223, 152, 391),   # WHITENING, in the corner of SYNTHESIS
]

# (text, x, top of ink, anchor)
BOX_TITLES = [
    ("ANALYSIS", 10, 32, "left"),
    ("SYNTHESIS", 10, 207, "left"),
    ("MIXER", 315, 32, "centre"),
    ("ENV", 82, 124, "left"),
    ("WHITENING", 128, 231, "right"),  # ends at the whitening switch
]

# (text, centre x, top of ink): each above its knob
LABELS = [
    ("PreEmph", 40, 51), ("Ord", 104, 51), ("Learn", 160, 51), ("Forget", 224, 51),
    ("smooth", 40, 131), ("Att", 160, 131), ("Rel", 224, 131),
    ("Ord", 36, 251), ("Learn", 108, 251), ("Forget", 36, 322), ("smooth", 108, 322),
    ("EnvAmt", 208, 231), ("FiltAmt", 208, 318),
    ("Voco", 292, 55), ("Err", 292, 111), ("Mod", 292, 171), ("Car", 292, 227),
    ("whCar", 292, 283), ("Vol", 292, 339),
]


def _controls():
    """The panel places of the parameter table (parameters/ParameterTable.cpp), in table order:
    the knobs, their displays and their defaults, and the switch."""
    source = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "parameters",
                          "ParameterTable.cpp")
    with open(source, encoding="utf-8") as f:
        text = f.read()
    box = r"\{\s*(\d+),\s*(\d+),\s*(\d+),\s*(\d+)\s*\}"
    row = re.compile(r"([-0-9.]+)f,\s*ControlKind::(\w+),\s*PanelText::\w+,\s*" + box +
                     r",\s*" + box)
    knobs, displays, defaults, switches = [], [], [], []
    for m in row.finditer(text):
        default, kind = float(m.group(1)), m.group(2)
        control = tuple(int(v) for v in m.group(3, 4, 5, 6))
        display = tuple(int(v) for v in m.group(7, 8, 9, 10))
        if kind == "knob":
            knobs.append(control)
            displays.append(display)
            defaults.append(default)
        elif kind == "onOffSwitch":
            switches.append(control)
        else:
            raise ValueError("unknown control kind %s in %s" % (kind, source))
    if not knobs or len(switches) != 1:
        raise ValueError("%s: found %d knobs and %d switches" % (source, len(knobs),
                                                                  len(switches)))
    return knobs, displays, defaults, switches[0]


KNOBS, DISPLAYS, KNOB_DEFAULTS, SWITCH = _controls()
