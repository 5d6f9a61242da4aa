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
# A mirror whose i386 security index stays broken: apt's first install gives up, and the
# set-up installs again with that suite pinned below the others (a fake apt on PATH).
fake=$(mktemp -d)
trap 'rm -rf "$copy" "$fake"' EXIT
mkdir -p "$fake/bin" "$fake/packages"
printf '# roles: tests\nsome-lib:i386\n' >"$fake/packages/only.list"
cp "$source/scripts/setup.sh" "$fake/"
cat >"$fake/bin/apt-get" <<'FAKE'
#!/usr/bin/env bash
echo "apt-get $*" >>"$FAKE_LOG"
case " $* " in
  *" update "*)
    echo "E: Failed to fetch http://deb.example/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (1 != 2). Mirror sync in progress?" >&2
    exit 100 ;;
  *Dir::Etc::Preferences=*)
    all="$*"; prefs=${all##*Dir::Etc::Preferences=}; prefs=${prefs%% *}
    cp "$prefs" "$FAKE_LOG.prefs"
    # Going back to the release's version of a library is a downgrade apt refuses unasked.
    case " $* " in *" --allow-downgrades "*) exit 0 ;; esac
    echo "E: Packages were downgraded and -y was used without --allow-downgrades." >&2
    exit 100 ;;
  *) echo "E: Unable to correct problems, you have held broken packages." >&2; exit 100 ;;
esac
FAKE
printf '#!/bin/sh\nexit 1\n' >"$fake/bin/dpkg-query"
printf '#!/bin/sh\necho i386\n' >"$fake/bin/dpkg"
printf '#!/bin/sh\nexec "$@"\n' >"$fake/bin/sudo"
chmod +x "$fake/bin/"*
FAKE_LOG=$fake/log PATH="$fake/bin:$PATH" OSTRAQUELLE_APT_RETRY_SECONDS=0 \
  bash "$fake/setup.sh" >"$fake/out" 2>&1
expect "a broken index: the set-up succeeds by the fallback" "$?" 0
expect "... after asking for the lists 4 times" "$(grep -c ' update' "$fake/log")" 4
expect "... and installing twice" "$(grep -c ' install .*some-lib:i386' "$fake/log")" 2
expect "... the failed suite pinned below, first" \
  "$(sed -n 2,3p "$fake/log.prefs" 2>/dev/null | tr '\n' ' ')" \
  "Pin: release n=bookworm-security Pin-Priority: 100 "
expect "... the rest above what is installed" \
  "$(grep -A1 'o=Debian' "$fake/log.prefs" 2>/dev/null | tail -n1)" "Pin-Priority: 1001"
expect "... and it says so" "$(grep -c 'pinned below' "$fake/out")" 1
bash "$source/scripts/setup.sh" --for >/dev/null 2>&1
expect "a bad command line exits 2" "$?" 2
finish
