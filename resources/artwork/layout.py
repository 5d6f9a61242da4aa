"""Where everything sits on the 368 x 412 panel. Control rectangles are (left, top, right,
bottom) with right and bottom exclusive, as the editor creates them; boxes are outlines with
inclusive corners."""

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

KNOBS = [
    (276, 68, 308, 100), (276, 124, 308, 156), (276, 184, 308, 216), (276, 240, 308, 272),
    (276, 296, 308, 328), (276, 352, 308, 384), (24, 64, 56, 96), (88, 64, 120, 96),
    (144, 64, 176, 96), (208, 64, 240, 96), (24, 144, 56, 176), (144, 144, 176, 176),
    (208, 144, 240, 176), (192, 244, 224, 276), (20, 264, 52, 296), (92, 264, 124, 296),
    (20, 336, 52, 368), (92, 336, 124, 368), (192, 332, 224, 364),
]

DISPLAYS = [
    (311, 76, 359, 92), (311, 132, 359, 148), (311, 191, 359, 207), (311, 247, 359, 263),
    (311, 303, 359, 319), (311, 359, 359, 375), (16, 100, 64, 116), (80, 100, 128, 116),
    (136, 100, 184, 116), (200, 100, 248, 116), (16, 180, 64, 196), (136, 180, 184, 196),
    (200, 180, 248, 196), (184, 279, 232, 295), (12, 299, 60, 315), (84, 299, 132, 315),
    (12, 371, 60, 387), (84, 371, 132, 387), (184, 367, 232, 383),
]

SWITCH = (132, 227, 148, 243)
