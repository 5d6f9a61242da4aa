#!/usr/bin/env bash
# scripts/setup.sh installs what the caller needs: the demo the native build and its own
# tools only, the tests everything; a package list without a roles line serves the tests.
#   setup_roles.sh <build dir> <source dir> <platform> <plug-in>
set -u
source=$2
source "$source/tests/scripts/lib/expect.sh"

demo=$(bash "$source/scripts/setup.sh" --print --for demo)
tests=$(bash "$source/scripts/setup.sh" --print)
has() { grep -qx "$2" <<<"$1" && echo yes || echo no; }

for name in g++ cmake libsndfile1-dev libsoxr-dev sox xvfb; do
  expect "the demo installs $name" "$(has "$demo" "$name")" yes
done
for name in ardour "lmms:i386 optional" clang zip wine32:i386 g++-mingw-w64-i686-posix \
            libbenchmark-dev xdotool; do
  expect "the demo does without $name" "$(has "$demo" "$name")" no
done
for name in "ardour optional" "lmms:i386 optional" clang zip wine32:i386 libsoxr-dev sox \
            googletest; do
  expect "the tests install $name" "$(has "$tests" "$name")" yes
done
expect "every demo package is a test package" \
  "$(comm -23 <(sort <<<"$demo") <(sort <<<"$tests") | tr '\n' ' ')" ""

# A list added without a roles line reaches the tests and not the demo.
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
cp -r "$source/scripts/setup.sh" "$source/scripts/packages" "$copy/"
printf '# a new tool\nnew-tool-package\n' >"$copy/packages/zz-new.list"
printf '# roles: demo\n# for the demo only\ndemo-only-package\n' >"$copy/packages/zz-demo.list"
expect "a new list serves the tests" "$(has "$(bash "$copy/setup.sh" --print)" new-tool-package)" yes
expect "a new list stays out of the demo" \
  "$(has "$(bash "$copy/setup.sh" --print --for demo)" new-tool-package)" no
expect "a list that says demo serves the demo" \
  "$(has "$(bash "$copy/setup.sh" --print --for demo)" demo-only-package)" yes
expect "... and not the tests" "$(has "$(bash "$copy/setup.sh" --print)" demo-only-package)" no
bash "$source/scripts/setup.sh" --for >/dev/null 2>&1
expect "a bad command line exits 2" "$?" 2
finish
