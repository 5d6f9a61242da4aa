# The panel's value displays, whose text comes from another rasteriser than the Windows
# panel's (docs/editor.png): screenshot comparisons mask them. Sourced by editor_x11.sh and
# tests/lv2/jalv-ui-test.sh.
# The 19 value displays, outline included (left, top; 49 x 17 pixels each).
panel_displays="311,76 311,132 311,191 311,247 311,303 311,359 16,100 80,100 136,100 200,100
16,180 136,180 200,180 184,279 12,299 84,299 12,371 84,371 184,367"
panel_display_pixels=$((19 * 49 * 17))

# mask_displays IN OUT: the image with every value display painted magenta.
mask_displays() {
  local draw= d l t
  for d in $panel_displays; do
    l=${d%,*} t=${d#*,}
    draw="$draw rectangle $l,$t $((l + 48)),$((t + 16))"
  done
  convert "$1" -fill magenta -draw "$draw" "$2"
}
