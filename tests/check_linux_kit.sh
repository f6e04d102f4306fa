#!/usr/bin/env bash
# Packs the Linux kit (the native tree's linux_kit target) and checks the
# tarball: one folder named after the version holding exactly the files
# listed below in name order, every entry owned by 0:0 and of one time; the
# library and the two programs the same files as in dist/linux-x86_64, the
# other files the same as in the source tree (README.md less its section on
# building from source), and a SHA256SUMS that lists and verifies every
# other file; the kit's host console finds the library beside it.
# Given WORK, it instead copies the sources to WORK/src, builds and packs
# the kit there with CONFIGURE-OPTIONS, and compares the tarball byte for
# byte with the first (the caller passes the first build's SOURCE_DATE_EPOCH).
#
# Usage: check_linux_kit.sh NATIVE-BUILD-FOLDER [WORK CONFIGURE-OPTIONS...]
source "$(dirname "${BASH_SOURCE[0]}")/check_lib.sh"
build=$1
# The version the tests expect, not the build's: a wrong one is caught.
version=$(sed -n 's/^#define EXPECTED_VERSION "\(.*\)"$/\1/p' "$root/tests/e2e/display_bytes.h")
kit=KESMARD-$version-linux-x86_64
tarball=$root/dist/$kit.tar.gz
export LC_ALL=C

if [ $# -gt 1 ]; then
    work=$2
    shift 2
    rm -rf "$work"
    mkdir -p "$work/src"
    tar -C "$root" --exclude=./build --exclude=./dist --exclude=./.git -cf - . | tar -C "$work/src" -xf -
    if ! { cmake -S "$work/src" -B "$work/build" "$@" &&
           cmake --build "$work/build" --target linux_kit -j 2; } >"$work/build.log" 2>&1; then
        cat "$work/build.log"
        echo "FAILED: the second build"
        exit 1
    fi
    cmp "$tarball" "$work/src/dist/$kit.tar.gz" || { echo "FAILED: $kit.tar.gz differs"; exit 1; }
    echo "a second build in another folder packed the same bytes"
    exit 0
fi

# The kit's folders and files, one a line, in byte order; the source of
# each file that is copied as it stands.
contents=(
    CHANGELOG.md:CHANGELOG.md
    KESMARD.h:include/KESMARD.h
    LICENSE:LICENSE
    README.md
    SHA256SUMS
    bindings/
    bindings/Kesmard.bas:bindings/Kesmard.bas
    bindings/KesmardDisplay.cs:bindings/KesmardDisplay.cs
    bindings/KesmardDisplay.pas:bindings/KesmardDisplay.pas
    bindings/KesmardDisplayDynamic.pas:bindings/KesmardDisplayDynamic.pas
    bindings/KesmardVBA.bas:bindings/KesmardVBA.bas
    bindings/kesmard.py:bindings/kesmard.py
    doc/
    doc/DEBUG_LOG.md:doc/DEBUG_LOG.md
    doc/FAILURES.md:doc/FAILURES.md
    doc/LANGUAGES.md:doc/LANGUAGES.md
    doc/TROUBLESHOOTING.md:doc/TROUBLESHOOTING.md
    doc/VIRTUAL_DISPLAY.txt:doc/VIRTUAL_DISPLAY.txt
    host_console:dist/linux-x86_64/host_console
    libKESMARD.so:dist/linux-x86_64/libKESMARD.so
    virtual_display:dist/linux-x86_64/virtual_display
)

rm -f "$tarball"
cmake --build "$build" --target linux_kit >/dev/null
[ -f "$tarball" ] || { echo "FAILED: no $kit.tar.gz packed"; exit 1; }
expected=$(printf "$kit/%s\n" "" "${contents[@]%%:*}")
listed=$(tar tzf "$tarball")
[ "$listed" = "$expected" ] || fail $'kit contents\n  expected:\n'"$expected"$'\n  got:\n'"$listed"
stamps=$(tar tvzf "$tarball" --numeric-owner | awk '{print $2, $4, $5}' | sort -u)
[ "$(wc -l <<<"$stamps")" = 1 ] && [ "${stamps%% *}" = 0/0 ] ||
    fail "entries not all of owner 0/0 and one time: $(xargs <<<"$stamps")"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tar -C "$work" -xzf "$tarball"
unpacked=$work/$kit
for entry in "${contents[@]}"; do
    [[ $entry == *:* ]] || continue
    cmp -s "$root/${entry#*:}" "$unpacked/${entry%%:*}" || fail "${entry%%:*} differs from ${entry#*:}"
done
sed '/^## Building from source$/,$d' "$root/README.md" | cmp -s - "$unpacked/README.md" ||
    fail "README.md is not the source's less its section on building from source"

# SHA256SUMS names every other file, and each of them verifies.
summed=$(sed 's/^[0-9a-f]\{64\}  //' "$unpacked/SHA256SUMS" | sort)
present=$(cd "$unpacked" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | sort)
[ "$summed" = "$present" ] || fail "SHA256SUMS names $(xargs <<<"$summed") for the files $(xargs <<<"$present")"
(cd "$unpacked" && sha256sum --quiet --strict -c SHA256SUMS) || fail "SHA256SUMS does not verify"

# Started from elsewhere, the console loads the library beside it.
answer=$(cd "$work" && "$unpacked/host_console" name) || fail "host_console name: exit status $?"
[ "$answer" = $'> name\n  "KESMARD v'"$version"'"' ] || fail "host_console name printed: $answer"

finish "kit $kit.tar.gz holds what it should"
