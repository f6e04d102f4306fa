#!/usr/bin/env bash
# Packs the integrator's kit (the package target of the Windows build) and
# checks the zip: one folder named after the version holding exactly the
# files listed below, the binaries and header as in the tree's dist folder
# and include/, CR LF text files, and a SHA256SUMS over every other file.
# Then it compiles what the kit ships as source: the header in every C and
# C++ standard for MinGW and the MSVC target, the sample as C89, C# and
# both Pascal units (each Free Pascal mode) against test files of the C
# signatures, the run-time Pascal unit's loading and the Python module
# against stand-ins of the system, and the VBA module's 64-bit declarations.
#
# Usage: check_kit.sh WINDOWS-BUILD-FOLDER DIST-FOLDER win32|win64
source "$(dirname "${BASH_SOURCE[0]}")/check_lib.sh"
build=$1 dist=$2 platform=$3
# The version the tests expect, not the build's: a wrong one is caught.
version=$(sed -n 's/^#define EXPECTED_VERSION "\(.*\)"$/\1/p' "$root/tests/e2e/display_bytes.h")
kit=KESMARD-$version-$platform
case $platform in
    win32) mingw=i686-w64-mingw32 msvc_target=i686-pc-windows-msvc cs_platform=x86 ;;
    win64) mingw=x86_64-w64-mingw32 msvc_target=x86_64-pc-windows-msvc cs_platform=x64 ;;
esac
contents="CHANGELOG.md KESMARD.def KESMARD.dll KESMARD.h KESMARD.lib LICENSE README.md SHA256SUMS
    bindings/ bindings/Kesmard.bas bindings/KesmardDisplay.cs bindings/KesmardDisplay.pas
    bindings/KesmardDisplayDynamic.pas bindings/KesmardVBA.bas bindings/kesmard.py doc/ doc/DEBUG_LOG.md
    doc/FAILURES.md doc/LANGUAGES.md doc/TROUBLESHOOTING.md doc/VIRTUAL_DISPLAY.txt examples/
    examples/BUILD.txt examples/sample_host.c host_console.exe libKESMARD.dll.a virtual_display.exe"

# A zip left from an earlier build must not stand in for the one packed now.
zip=$dist/$kit.zip
rm -f "$zip"
cmake --build "$build" --target package >/dev/null
[ -f "$zip" ] || { echo "FAILED: no $kit.zip packed"; exit 1; }
# One version a release: CHANGELOG's dated entry, and the npm package's
# MAJOR.MINOR.PATCH of a MAJOR.MINOR.PATCH.0 release.
expect "CHANGELOG.md's latest entry with its date" "$version" \
    "$(sed -n 's/^## \([0-9.]*\) ([0-9]\{4\}-[0-9]\{2\}-[0-9]\{2\})$/\1/p' "$root/CHANGELOG.md" | head -1)"
expect "node/package.json's version" "$version" \
    "$(sed -n 's/^  "version": "\([0-9]*\.[0-9]*\.[0-9]*\)",$/\1.0/p' "$root/node/package.json")"
expect_set "kit contents" "$(printf "$kit/%s\n" "" $contents)" "$(cmake -E tar tf "$zip")"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && cmake -E tar xf "$zip")
unpacked=$work/$kit
for file in KESMARD.dll host_console.exe virtual_display.exe; do
    cmp -s "$dist/$file" "$unpacked/$file" || fail "$file differs from $dist"
done
tr -d '\r' <"$unpacked/KESMARD.h" | cmp -s "$root/include/KESMARD.h" - || fail "header differs"
# Text files end every line in CR LF; SHA256SUMS keeps sha256sum's LF.
for file in $(cd "$unpacked" && find . -type f ! -name '*.dll' ! -name '*.exe' ! -name '*.lib' ! -name '*.a' \
                  ! -name SHA256SUMS); do
    lines=$(wc -l <"$unpacked/$file")
    [ "$lines" -gt 0 ] && [ "$(grep -c $'\r$' "$unpacked/$file")" = "$lines" ] || fail "$file has not CR LF line ends"
done
expect_set "the files SHA256SUMS names" "$(cd "$unpacked" && find . -type f ! -name SHA256SUMS | cut -c3-)" \
    "$(sed 's/^[0-9a-f]\{64\}  //' "$unpacked/SHA256SUMS")"
(cd "$unpacked" && sha256sum --quiet --strict -c SHA256SUMS) || fail "SHA256SUMS does not verify"
# README points to the sample; the kit's README speaks of nothing the kit
# lacks, such as building from source.
grep -q 'sample_host\.c' "$root/README.md" || fail "README does not point to the sample host"
! grep -qE 'BUILDING\.md|make (demo|test)' "$unpacked/README.md" || fail "the kit's README tells how to build"

# The header compiles without a warning anywhere; the sample as C89, which
# the oldest MSVC takes (the Windows tree builds and runs it with MinGW).
strict=(-Wall -Wextra -pedantic -Werror -fsyntax-only)
msvc="clang --target=$msvc_target"
for std in c89 c99 c11 c17 c++98 c++11 c++14 c++17 c++20; do
    for compiler in $mingw-gcc "$msvc"; do
        $compiler -x "${std//[0-9]/}" -std=$std "${strict[@]}" "$unpacked/KESMARD.h" ||
            fail "the header as $std with $compiler"
    done
done
$mingw-gcc -std=c89 "${strict[@]}" -I "$unpacked" "$unpacked/examples/sample_host.c" || fail "the sample with MinGW"
$msvc -std=c89 "${strict[@]}" -nostdlibinc -isystem "$root/tests/e2e/msvc/include" -I "$unpacked" \
    "$unpacked/examples/sample_host.c" || fail "the sample for the MSVC target"

bindings=$unpacked/bindings
for file in "$bindings"/*; do
    for name in Init Done Write SetPosition PowerResume Usage DefaultParameters DriverName Status \
                STATUS_NOT_SET_UP STATUS_READY STATUS_BACKED_UP STATUS_LOST; do
        grep -q "DISPLAYDLL_$name\b" "$file" || fail "${file##*/} lacks DISPLAYDLL_$name"
    done
done
mcs -target:library -platform:$cs_platform -warnaserror -out:"$work/KesmardDisplay.dll" \
    "$bindings/KesmardDisplay.cs" "$root/tests/declarations/KesmardSignatures.cs" >"$work/mcs.log" ||
    { cat "$work/mcs.log"; fail "the C# binding"; }
cp "$bindings"/*.pas "$root"/tests/declarations/*.pas "$root"/tests/bindings/*.pas "$work/"
for mode in fpc objfpc delphi delphiunicode; do
    (cd "$work" && fpc -B -M$mode -Sew -vw kesmardsignatures.pas && fpc -B -M$mode -Sew -vw kesmard_dynamic_test.pas &&
        ./kesmard_dynamic_test) >"$work/fpc.log" || { cat "$work/fpc.log"; fail "the Pascal units in $mode mode"; }
done
# The Python module with a stand-in for ctypes.WinDLL, which only Windows
# has, that records the calls made.
python3 -m py_compile "$bindings/kesmard.py" || fail "the Python binding's syntax"
PYTHONPATH=$bindings python3 - <<'EOF' || fail "the Python binding"
import ctypes, struct
calls = []
class Library:
    def __init__(self, path):
        self.path = path
    def __getattr__(self, name):
        return lambda *args: calls.append((name,) + args) or (1 if name == "DISPLAYDLL_Status" else None)
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
finish "kit $kit.zip holds what it should, and its sources compile"
