#!/usr/bin/env bash
# No gauge module has static constructors: every record is initialised at build time. Checks
# the native modules' symbols, the Windows build's object files, and the .gau files' sections
# (a .gau links no C runtime, so a constructor there would silently never run).
#   no_static_constructors.sh NATIVE_BIN_DIR WINDOWS_BUILD_DIR DIST_DIR MODULE...
set -u
bin=$1 win=$2 dist=$3
shift 3
status=0
fail() { echo "FAIL $*"; status=1; }
for m in "$@"; do
    so=$bin/$m.so
    if [ ! -f "$so" ]; then fail "$so missing"; continue; fi
    found=$(nm -C "$so" | grep -E '_GLOBAL__sub_I|__static_initialization_and_destruction')
    [ -z "$found" ] || fail "$so has static constructors:"$'\n'"$found"

    objects=$(find "$win" -path "*/$m.dir/*" -name '*.obj' 2>/dev/null)
    if [ -z "$objects" ]; then
        fail "no Windows objects of $m under $win (build the Windows tree first)"
    else
        for o in $objects; do
            found=$(i686-w64-mingw32-nm "$o" | grep -E '_GLOBAL__sub_I|__static_initialization_and_destruction')
            [ -z "$found" ] || fail "$o has static constructors:"$'\n'"$found"
        done
    fi

    gau=$dist/$m.gau
    if [ ! -f "$gau" ]; then fail "$gau missing"; continue; fi
    sections=$(i686-w64-mingw32-objdump -h "$gau" | awk '$2 ~ /^\.(ctors|dtors|init_array|CRT)/ && $3 !~ /^0+$/ {print $2, $3}')
    # Without a C runtime nothing heads a constructor list, so any such section is a
    # constructor the module would never run.
    while read -r name size; do
        [ -n "$name" ] && fail "$gau has a $name section of 0x$size bytes"
    done <<< "$sections"
    [ $status -eq 0 ] && echo "ok $m"
done
exit $status
