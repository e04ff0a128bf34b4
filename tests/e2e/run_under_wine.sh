#!/usr/bin/env bash
# Runs the Windows build from its zip under Wine, as on a laptop: a private Wine prefix whose
# system32\netsh.exe and system32\wlanapi.dll are the stand-ins built for Windows, and a netsh.exe
# beside the program and a netsh.exe and a wlanapi.dll in the current folder, none of which may
# ever be used. Each netsh.exe journals its own path and raw command line. Meant as
# run_in_namespace.sh's PROGRAM; the exit code is the program's.
#
# usage: run_under_wine.sh WORK ZIP STANDIN_DIR [ARGUMENT...]
#   STANDIN_DIR holds netsh.exe, wlanapi.dll and the DLLs they need; the prefix is WORK/prefix,
#   the unpacked program WORK/app, the current folder WORK/cwd.
set -euo pipefail
work="$1" zip="$2" standin="$3"
shift 3
wine=/usr/lib/wine/wine64
# Wine names the prefix's user folder (C:\users\NAME) after the account.
export USER="$(id -un)"
# Wine runs its own built-in netsh and wlanapi for system files unless told to load the files.
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;netsh.exe,wlanapi=n"
"$wine" wineboot -i >"$work/wineboot.log" 2>&1
# The stand-ins replace Wine's own netsh.exe and wlanapi.dll, with the DLLs they need beside them.
cp "$standin"/* "$WINEPREFIX/drive_c/windows/system32/"

mkdir -p "$work/app" "$work/cwd"
(cd "$work/app" && cmake -E tar xf "$zip")
program=$(echo "$work"/app/*/zephyl-wifi-setup.exe)
cp "$standin/netsh.exe" "$(dirname "$program")/"
cp "$standin"/* "$work/cwd/"

# Windows reads these paths through Wine's Z: drive.
export ZEPHYL_NETSH_STATE="Z:$ZEPHYL_NETSH_STATE" ZEPHYL_NETSH_JOURNAL="Z:$ZEPHYL_NETSH_JOURNAL"
cd "$work/cwd"
status=0
"$wine" "$program" "$@" || status=$?
/usr/lib/wine/wineserver -k 2>/dev/null || true
exit "$status"
