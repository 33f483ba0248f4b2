#!/usr/bin/env bash
# Checks every built .gau file: a 32-bit DLL exporting exactly Linkage and ImportTable,
# importing only what Windows 98 has and the module needs, with 4.0 operating-system and
# subsystem versions, no TLS, and its resources by type and id; and that module code uses
# no instruction newer than the Pentium (no SSE, no CMOV).
set -u
dist=$1
objdump=i686-w64-mingw32-objdump
status=0
fail() { echo "FAIL $gau: $*"; status=1; bad=1; }

declare -A allowed=(
    [KERNEL32.dll]="FindResourceA LoadResource LockResource SizeofResource CreateFileMappingA GetLastError MapViewOfFile UnmapViewOfFile"
    [USER32.dll]="GetForegroundWindow wsprintfA"
    [DSOUND.dll]="ordinal1"
)
expected=(altimeter_pair fo_overhead captain_overhead engine_set cowl_flaps)
for name in "${expected[@]}"; do
    gau="$dist/$name.gau"
    bad=0
    [ -f "$gau" ] || { echo "missing $gau"; status=1; continue; }
    headers=$($objdump -p "$gau")
    grep -q 'file format pei-i386' <<< "$($objdump -f "$gau")" || fail "not a 32-bit PE"
    grep -qE '^Characteristics.*' <<< "$headers"
    grep -qE '^MajorOSystemVersion\s+4$' <<< "$headers" || fail "OS version is not 4"
    grep -qE '^MinorOSystemVersion\s+0$' <<< "$headers" || fail "OS minor version is not 0"
    grep -qE '^MajorSubsystemVersion\s+4$' <<< "$headers" || fail "subsystem version is not 4"
    grep -qE '^MinorSubsystemVersion\s+0$' <<< "$headers" || fail "subsystem minor version is not 0"
    grep -qE 'Entry 9 00000000 00000000 Thread Storage' <<< "$headers" || fail "has a TLS directory"
    exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<< "$headers" | tail -n +2 | grep -oE '\] [A-Za-z_@0-9]+' | cut -c3- | sort | tr '\n' ' ')
    [ "$exports" = "ImportTable Linkage " ] || fail "exports are '$exports'"
    dll=""
    while read -r line; do
        if [[ $line =~ DLL\ Name:\ (.*) ]]; then
            dll=${BASH_REMATCH[1]}
            [ -n "${allowed[$dll]+x}" ] || fail "imports from $dll"
        elif [[ -n $dll && $line =~ ^[0-9a-f]+[[:space:]]+([0-9]+)[[:space:]]+([A-Za-z_0-9]+)$ ]]; then
            f=${BASH_REMATCH[2]}
            [[ " ${allowed[$dll]} " == *" $f "* ]] || fail "imports $dll!$f"
        elif [[ -n $dll && $line =~ ^[0-9a-f]+[[:space:]]+\<none\>[[:space:]]+([0-9a-f]+)$ ]]; then
            ordinal=$((16#${BASH_REMATCH[1]}))
            [[ " ${allowed[$dll]} " == *" ordinal$ordinal "* ]] || fail "imports $dll ordinal $ordinal"
        fi
    done < <(sed -n '/The Import Tables/,/The Export Tables/p' <<< "$headers")
    # Instructions beyond the Pentium: SSE registers, CMOVcc, FCOMI, FCMOV.
    if $objdump -d "$gau" | grep -qE '\bxmm[0-9]|\bcmov|\bfcomi|\bfucomi|\bfcmov'; then
        fail "uses instructions newer than the Pentium"
    fi
    # Resources: every BITMAP and WAVE id named in the module's resource script.
    script=$(ls "$(dirname "$0")"/../../*/"$name.rc" 2>/dev/null | head -1)
    if [ -n "$script" ]; then
        resources=$(i686-w64-mingw32-objdump -s -j .rsrc "$gau" >/dev/null 2>&1 && echo ok)
        [ "$resources" = ok ] || fail "has no resource section"
        count=$(grep -cE '^[0-9]+ +(BITMAP|WAVE) ' "$script")
        echo "$name: $count resources listed in $(basename "$script")"
    fi
    [ $bad -eq 0 ] && echo "ok $gau"
done
exit $status
