# shellcheck shell=bash
# wine_arch <file.exe|file.dll>: the wine architecture a Windows program or DLL needs, from the
# machine field of its PE header: win64 for x86-64, win32 otherwise. Sourced.
wine_arch() {
  local pe
  pe=$(od -An -t u4 -j 60 -N 4 "$1" | tr -d ' ')
  if [ "$(od -An -t x2 -j $((pe + 4)) -N 2 "$1" | tr -d ' ')" = 8664 ]; then
    echo win64
  else
    echo win32
  fi
}
