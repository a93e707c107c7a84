#!/usr/bin/env bash
# The release as a Windows user gets it: the zip's contents, then the installer run silently,
# the installed program started, and the silent uninstaller, under the test run's Wine prefix.
# The prefix is 64-bit Windows: the installer must install the 64-bit program there.
#   installer_roundtrip.sh BUILD_DIR ARTIFACT_DIR EXE64
set -uo pipefail
build=$1
art=$2
exe64=$3
mkdir -p "$art"
fail=0
check() {  # check DESCRIPTION COMMAND...
    if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; fail=1; fi
}
zip="$build/Morvane-1.52-win32.zip"
setup="$build/Morvane-1.52-win32.exe"

# ---- the zip ----
check "zip built" [ -f "$zip" ]
listing=$(python3 -c 'import sys, zipfile
print("\n".join(sorted(n for n in zipfile.ZipFile(sys.argv[1]).namelist() if not n.endswith("/"))))' "$zip" 2>/dev/null)
check "zip holds both programs, the read-me and the licence" \
    [ "$listing" = $'License.txt\nMorvane.exe\nReadMe.txt\nx64/Morvane.exe' ]
# machine EXE: the PE header's machine field (14c: x86, 8664: x86-64).
machine() {
    python3 -c 'import struct, sys
d = open(sys.argv[1], "rb").read(4096)
print("%x" % struct.unpack_from("<H", d, struct.unpack_from("<I", d, 0x3c)[0] + 4)[0])' "$1" 2>/dev/null
}
unzipped="$art/unzipped"
rm -rf "$unzipped"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$unzipped" 2>/dev/null
check "the zip's Morvane.exe is the 32-bit program" [ "$(machine "$unzipped/Morvane.exe")" = 14c ]
check "the zip's x64\\Morvane.exe is the 64-bit program" [ "$(machine "$unzipped/x64/Morvane.exe")" = 8664 ]

# ---- the installer ----
check "installer built" [ -f "$setup" ]
pf=$(wine cmd /c 'echo %ProgramFiles%' 2>/dev/null | tr -d '\r')
dir=$(winepath -u "$pf\\Morvane" 2>/dev/null)
menu=$(winepath -u "$(wine cmd /c 'echo %ProgramData%' 2>/dev/null | tr -d '\r')\\Microsoft\\Windows\\Start Menu\\Programs\\Morvane" 2>/dev/null)
ukey='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Morvane'
settings='HKCU\Software\Morvane of ZENTARO\Morvane\Settings'
wine reg add "$settings" /v KeptByUninstall /t REG_DWORD /d 7 /f >/dev/null 2>&1

wine "$setup" /S
rc=$?
check "silent install ends well ($rc)" [ "$rc" -eq 0 ]
check "program installed in $pf\\Morvane" [ -f "$dir/Morvane.exe" ]
check "read-me and licence installed" [ -f "$dir/ReadMe.txt" ] && [ -f "$dir/License.txt" ]
check "installed program is the 64-bit one built" cmp -s "$dir/Morvane.exe" "$exe64"
check "nothing else of the 64-bit program left in the folder" [ ! -e "$dir/x64" ]
check "uninstaller installed" [ -f "$dir/Uninstall.exe" ]
check "start-menu shortcut" [ -f "$menu/Morvane.lnk" ]
check "uninstall entry registered" bash -c "wine reg query '$ukey' /reg:32 2>/dev/null | grep -q UninstallString"

# The installed program starts and shows its frame.
wine "$dir/Morvane.exe" >/dev/null 2>&1 &
pid=$!
win=""
for _ in $(seq 1 600); do
    win=$(xdotool search --name '^Morvane 1.52$' 2>/dev/null | head -n 1)
    [ -n "$win" ] && break
    sleep 0.1
done
check "installed program shows its frame" [ -n "$win" ]
if [ -n "$win" ]; then
    sleep 1
    import -window root "$art/installed_start.png"
    xdotool windowactivate --sync "$win" key alt+F4 2>/dev/null || true
fi
for _ in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill $pid 2>/dev/null
wait $pid 2>/dev/null

# ---- the uninstaller: it copies itself away and returns at once, so wait for its work ----
wine "$dir/Uninstall.exe" /S
for _ in $(seq 1 600); do
    [ -e "$dir/Morvane.exe" ] || [ -e "$menu/Morvane.lnk" ] || break
    sleep 0.1
done
sleep 1
check "program removed" [ ! -e "$dir/Morvane.exe" ]
check "start-menu shortcut removed" [ ! -e "$menu/Morvane.lnk" ]
check "uninstall entry removed" bash -c "! wine reg query '$ukey' /reg:32 >/dev/null 2>&1"
check "the user's settings are left alone" bash -c "wine reg query '$settings' /v KeptByUninstall 2>/dev/null | grep -q 0x7"
wine reg delete "$settings" /v KeptByUninstall /f >/dev/null 2>&1

[ $fail -eq 0 ] && echo "installer_roundtrip: all checks passed"
exit $fail
