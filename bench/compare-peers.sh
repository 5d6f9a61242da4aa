#!/usr/bin/env bash
# Whole-process time of ostraquelle-render at default settings against Debian's lv2file running
# the mda TalkBox and mda Vocoder LV2 plug-ins (package mda-lv2) on the same 60 s stereo file
# (left carrier, right modulator), and of lv2file running our own LV2 bundle's Stereo plug-in
# (BUILD_DIR/Ostraquelle.lv2), the same host as the peers. Runs alternate between them; each
# figure is the median of RUNS runs; the script prints each peer's time divided by ours (above
# 1: we are faster), beside the renderer and beside our LV2 in lv2file.
# Installs lv2file and mda-lv2 with apt-get when they are missing. Not part of CI.
#   compare-peers.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=$(cd "${1:-build/linux}" && pwd)
runs=${2:-5}
here=$(cd "$(dirname "$0")" && pwd)

missing=()
command -v lv2file >/dev/null || missing+=(lv2file)
[ -d /usr/lib/lv2/mda.lv2 ] || missing+=(mda-lv2)
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing ${missing[*]}" >&2
  sudo=
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get install -y -o DPkg::Lock::Timeout=600 "${missing[@]}" >&2
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$here/make-test-file.sh" "$tmp/stereo.wav" >/dev/null

# lv2file names plug-ins by URI; mda-lv2 ships them as http://drobilla.net/plugins/mda/<Name>.
talkbox=http://drobilla.net/plugins/mda/TalkBox
vocoder=http://drobilla.net/plugins/mda/Vocoder
# Each runs at its defaults with the file's channels on its left and right inputs, as lv2file
# connects them by default. Our bundle is found beside the system's plug-ins.
ours_lv2=urn:valtrisk:ostraquelle:stereo
[ -f "$build/Ostraquelle.lv2/manifest.ttl" ] ||
  { echo "no $build/Ostraquelle.lv2 (cmake --build $build --target ostraquelle_lv2_bundle)" >&2; exit 1; }
mkdir -p "$tmp/lv2"
ln -s "$build/Ostraquelle.lv2" "$tmp/lv2/Ostraquelle.lv2"
export LV2_PATH=$tmp/lv2:/usr/lib/lv2

now() { date +%s.%N; }
run_ours() {
  "$build/ostraquelle-render" --input "$tmp/stereo.wav" -o "$tmp/ours.wav" --quiet
}
run_ours_lv2() {
  lv2file -i "$tmp/stereo.wav" -o "$tmp/ours-lv2.wav" "$ours_lv2" >/dev/null 2>&1
}
run_talkbox() {
  lv2file -i "$tmp/stereo.wav" -o "$tmp/talkbox.wav" "$talkbox" >/dev/null 2>&1
}
run_vocoder() {
  lv2file -i "$tmp/stereo.wav" -o "$tmp/vocoder.wav" "$vocoder" >/dev/null 2>&1
}
timed() {
  local start end
  start=$(now)
  "$@"
  end=$(now)
  awk -v a="$start" -v b="$end" 'BEGIN {print b - a}'
}
median() { sort -g | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }

# One untimed run each: page cache, plug-in discovery.
run_ours; run_ours_lv2; run_talkbox; run_vocoder
: > "$tmp/t_ours"; : > "$tmp/t_ours_lv2"; : > "$tmp/t_talkbox"; : > "$tmp/t_vocoder"
for ((r = 0; r < runs; r++)); do
  timed run_ours >> "$tmp/t_ours"
  timed run_ours_lv2 >> "$tmp/t_ours_lv2"
  timed run_talkbox >> "$tmp/t_talkbox"
  timed run_vocoder >> "$tmp/t_vocoder"
done
ours=$(median < "$tmp/t_ours")
lv2=$(median < "$tmp/t_ours_lv2")
tb=$(median < "$tmp/t_talkbox")
vc=$(median < "$tmp/t_vocoder")
printf 'ostraquelle-render (defaults)   %.3f s\n' "$ours"
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {print a / b}'; }
printf 'lv2file + Ostraquelle Stereo    %.3f s\n' "$lv2"
printf 'lv2file + mda TalkBox           %.3f s   TalkBox / ours %.3f, / our LV2 %.3f\n' "$tb" "$(ratio "$tb" "$ours")" "$(ratio "$tb" "$lv2")"
printf 'lv2file + mda Vocoder           %.3f s   Vocoder / ours %.3f, / our LV2 %.3f\n' "$vc" "$(ratio "$vc" "$ours")" "$(ratio "$vc" "$lv2")"
