#!/usr/bin/env bash
# Packs the integrator's kit (the package target of the Windows build) and
# checks the zip: one folder named after the version, holding exactly the
# files listed below, the module, the two programs and the header the same
# files as in the tree's dist folder (dist/ for win32, dist/x64 for win64)
# and include/, and a SHA256SUMS that lists and verifies every other file.
# Then it compiles what the kit holds as source: the header, without
# a warning, in every C and C++ standard for MinGW and for the MSVC target;
# the sample host, as C89; and the language bindings in bindings/: C# with
# Mono's compiler and both Pascal units with Free Pascal in each of its
# modes, each against a test file of the C signatures, the run-time Pascal
# unit's loading run against a stand-in Windows unit, the Python module
# compiled and run against a stand-in for ctypes.WinDLL, and the VBA
# module's 64-bit declarations read.
#
# Usage: check_kit.sh WINDOWS-BUILD-FOLDER DIST-FOLDER win32|win64
set -euo pipefail
build=$1
dist=$2
platform=$3
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# The version the tests expect, not the build's: a wrong one is caught.
version=$(sed -n 's/^#define EXPECTED_VERSION "\(.*\)"$/\1/p' "$root/tests/e2e/display_bytes.h")
kit=KESMARD-$version-$platform
# The compilers and C# platform of the kit's machine.
case $platform in
    win32) mingw=i686-w64-mingw32 msvc_target=i686-pc-windows-msvc cs_platform=x86 ;;
    win64) mingw=x86_64-w64-mingw32 msvc_target=x86_64-pc-windows-msvc cs_platform=x64 ;;
    *) echo "unknown platform $platform"; exit 2 ;;
esac
zip=$dist/$kit.zip
export LC_ALL=C

# The kit's folders and files, one a line, in byte order.
contents=(
    CHANGELOG.md
    KESMARD.def
    KESMARD.dll
    KESMARD.h
    KESMARD.lib
    LICENSE
    README.md
    SHA256SUMS
    bindings/
    bindings/Kesmard.bas
    bindings/KesmardDisplay.cs
    bindings/KesmardDisplay.pas
    bindings/KesmardDisplayDynamic.pas
    bindings/KesmardVBA.bas
    bindings/kesmard.py
    doc/
    doc/DEBUG_LOG.md
    doc/FAILURES.md
    doc/LANGUAGES.md
    doc/TROUBLESHOOTING.md
    doc/VIRTUAL_DISPLAY.txt
    examples/
    examples/BUILD.txt
    examples/sample_host.c
    host_console.exe
    libKESMARD.dll.a
    virtual_display.exe
)

# A zip left from an earlier build must not stand in for the one packed now.
rm -f "$zip"
cmake --build "$build" --target package >/dev/null
[ -f "$zip" ] || { echo "FAILED: no $kit.zip packed"; exit 1; }
failed=0
fail() {
    echo "FAILED: $*"
    failed=1
}
# One version a release: its dated CHANGELOG entry, and the npm package's
# MAJOR.MINOR.PATCH of a MAJOR.MINOR.PATCH.0 release.
[ "$(sed -n 's/^## \([0-9.]*\) ([0-9]\{4\}-[0-9]\{2\}-[0-9]\{2\})$/\1/p' "$root/CHANGELOG.md" | head -1)" = "$version" ] ||
    fail "CHANGELOG.md's latest entry is not $version with its date"
[ "$(sed -n 's/^  "version": "\([0-9]*\.[0-9]*\.[0-9]*\)",$/\1.0/p' "$root/node/package.json")" = "$version" ] ||
    fail "node/package.json's version is not the semver of $version"
expected=$(printf "$kit/%s\n" "" "${contents[@]}" | sort)
listed=$(cmake -E tar tf "$zip" | sort)
if [ "$listed" != "$expected" ]; then
    printf 'FAILED: kit contents\n  expected:\n%s\n  got:\n%s\n' "$expected" "$listed"
    failed=1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && cmake -E tar xf "$zip")
unpacked=$work/$kit
for file in KESMARD.dll host_console.exe virtual_display.exe; do
    cmp -s "$dist/$file" "$unpacked/$file" || fail "$file differs from $dist"
done
# The text files have CR LF line ends throughout; SHA256SUMS keeps
# sha256sum's LF.
for file in $(cd "$unpacked" && find . -type f \( -name '*.txt' -o -name '*.md' -o -name '*.h' \
                  -o -name '*.c' -o -name '*.def' -o -name LICENSE -o -name '*.cs' -o -name '*.pas' \
                  -o -name '*.bas' -o -name '*.py' \) | sed 's|^\./||' | sort); do
    lines=$(wc -l <"$unpacked/$file")
    [ "$lines" -gt 0 ] && [ "$(grep -c $'\r$' "$unpacked/$file")" = "$lines" ] ||
        fail "$file has not CR LF line ends throughout"
done
! grep -q $'\r' "$unpacked/SHA256SUMS" || fail "SHA256SUMS has CR LF line ends"
tr -d '\r' <"$unpacked/KESMARD.h" | cmp -s "$root/include/KESMARD.h" - || fail "header differs"

# SHA256SUMS names every other file, and each of them verifies.
summed=$(sed 's/^[0-9a-f]\{64\}  //' "$unpacked/SHA256SUMS" | sort)
present=$(cd "$unpacked" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | sort)
if [ "$summed" != "$present" ]; then
    printf 'FAILED: SHA256SUMS names\n%s\n  for the files\n%s\n' "$summed" "$present"
    failed=1
fi
(cd "$unpacked" && sha256sum --quiet --strict -c SHA256SUMS) || fail "SHA256SUMS does not verify"

# The sample lives in examples/ and README points to it; the kit's README
# speaks of nothing the kit lacks, such as building from source.
grep -q 'sample_host\.c' "$root/README.md" || fail "README does not point to the sample host"
! grep -qE 'BUILDING\.md|make (demo|test)' "$unpacked/README.md" || fail "the kit's README tells how to build"

# Warnings are errors: a header that warns anywhere fails.
strict=(-Wall -Wextra -pedantic -Werror -fsyntax-only)
msvc=(clang --target=$msvc_target)
for std in c89 c99 c11 c17; do
    for compiler in $mingw-gcc "${msvc[*]}"; do
        $compiler -x c -std="$std" "${strict[@]}" "$unpacked/KESMARD.h" ||
            fail "the header as $std with $compiler"
    done
done
for std in c++98 c++11 c++14 c++17 c++20; do
    for compiler in $mingw-g++ "${msvc[*]}"; do
        $compiler -x c++ -std="$std" "${strict[@]}" "$unpacked/KESMARD.h" ||
            fail "the header as $std with $compiler"
    done
done
# The Windows tree builds and runs the sample with MinGW; here it is
# compiled as C89, which the oldest MSVC takes, for both targets.
$mingw-gcc -std=c89 "${strict[@]}" -I "$unpacked" "$unpacked/examples/sample_host.c" ||
    fail "the sample as C89 with MinGW"
"${msvc[@]}" -std=c89 "${strict[@]}" -nostdlibinc -isystem "$root/tests/e2e/msvc/include" \
    -I "$unpacked" "$unpacked/examples/sample_host.c" || fail "the sample as C89 for the MSVC target"

bindings=$unpacked/bindings
# Every binding carries the nine entry points and the four Status answers.
for file in "$bindings"/*; do
    for name in Init Done Write SetPosition PowerResume Usage DefaultParameters DriverName Status \
                STATUS_NOT_SET_UP STATUS_READY STATUS_BACKED_UP STATUS_LOST; do
        grep -q "DISPLAYDLL_$name\b" "$file" || fail "${file##*/} lacks DISPLAYDLL_$name"
    done
done
mcs -target:library -platform:$cs_platform -warnaserror -out:"$work/KesmardDisplay.dll" \
    "$bindings/KesmardDisplay.cs" "$root/tests/declarations/KesmardSignatures.cs" >"$work/mcs.log" ||
    { cat "$work/mcs.log"; fail "the C# binding"; }
# Both Pascal units in each of Free Pascal's modes, warnings failing: the
# static one against the C signatures, and the run-time one's LoadKesmard
# run against the stand-in Windows unit of tests/bindings/.
for mode in fpc objfpc delphi delphiunicode; do
    rm -rf "$work/$mode" && mkdir "$work/$mode"
    cp "$bindings"/*.pas "$root/tests/declarations/kesmardsignatures.pas" "$root/tests/bindings/"*.pas "$work/$mode/"
    (cd "$work/$mode" && fpc -M"$mode" -Sew -vw kesmardsignatures.pas && fpc -M"$mode" -Sew -vw kesmard_dynamic_test.pas &&
        ./kesmard_dynamic_test) >"$work/fpc.log" || { cat "$work/fpc.log"; fail "the Pascal units in $mode mode"; }
done
# The Python module, imported with a stand-in for ctypes.WinDLL, which only
# Windows has: it records the calls the module makes.
python3 -m py_compile "$bindings/kesmard.py" || fail "the Python binding's syntax"
PYTHONPATH=$bindings python3 - <<'EOF' || fail "the Python binding"
import ctypes
calls = []
class Library:
    def __init__(self, path):
        self.path = path
    def __getattr__(self, name):
        entry = lambda *args: calls.append((name,) + args) or (1 if name == "DISPLAYDLL_Status" else None)
        setattr(self, name, entry)
        return entry
ctypes.WinDLL = Library
import kesmard
for call, args in ((kesmard.set_position, (300, 1)), (kesmard.set_position, (1, -1)),
                   (kesmard.init, (256, 2, "COM3,9600,8,N,1")), (kesmard.write, (b"A\0B",))):
    try:
        call(*args)
        raise SystemExit("no ValueError from %s%r" % (call.__name__, args))
    except ValueError:
        pass
kesmard.write("Café £", "cp1252")
kesmard.write(b"\x80\xd5")
kesmard.set_position(20, 2)
assert calls == [("DISPLAYDLL_Write", b"Caf\xe9 \xa3"), ("DISPLAYDLL_Write", b"\x80\xd5"),
                 ("DISPLAYDLL_SetPosition", 20, 2)], calls
import struct
assert kesmard.status() == 1
assert kesmard.load().path.endswith({8: "/x64/KESMARD.dll", 4: "/x86/KESMARD.dll"}[struct.calcsize("P")])
EOF
# No VBA compiler runs here. For 64-bit Office every Declare of the VBA7
# branches is PtrSafe, and each pointer-sized parameter a LongPtr.
vba7=$(tr -d '\r' <"$bindings/KesmardVBA.bas" | sed -n '/^#If VBA7 Then$/,/^#Else$/p')
! grep 'Declare ' <<<"$vba7" | grep -v 'Declare PtrSafe ' || fail "a VBA7 Declare without PtrSafe"
for entry in LoadLibraryW:1 lstrlenA:1 RtlMoveMemory:2 WideCharToMultiByte:3; do
    [ "$(grep -E " ${entry%:*} | Alias \"${entry%:*}\"" <<<"$vba7" | grep -o 'As LongPtr[,)]' | wc -l)" = "${entry#*:}" ] ||
        fail "VBA7's ${entry%:*} has not ${entry#*:} pointer parameters as LongPtr"
done

[ "$failed" = 0 ] && echo "kit $kit.zip holds what it should, and its sources compile"
exit "$failed"
