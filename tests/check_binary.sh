#!/usr/bin/env bash
# Checks what ships in quendle.exe: format, subsystem, stripping, size, the
# DLLs and names it imports, and its resources (dialog, manifest, version).
# Usage: check_binary.sh <quendle.exe> <pei-i386|pei-x86-64> <objdump> <windres>
set -u
exe=$1 format=$2 objdump=$3 windres=$4
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

headers=$("$objdump" -p "$exe")
grep -q "file format $format" <<<"$headers" || fail "not $format"
grep -q '^Subsystem.*(Windows GUI)' <<<"$headers" || fail "not a GUI program"
"$objdump" -h "$exe" | grep -q '\.debug' && fail "debug sections left in"
"$objdump" -t "$exe" | grep -q 'no symbols' || fail "symbol table not stripped"
size=$(stat -c %s "$exe")
[ "$size" -le 65536 ] || fail "size $size bytes is over 64 KiB"

dlls=$(sed -n 's/^\tDLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
[ "$dlls" = "kernel32.dll msvcrt.dll quarnpubif.dll user32.dll winmm.dll " ] || fail "imports $dlls"
quarn=$(sed -n '/DLL Name: QuarnPubIf.dll/,/^$/p' <<<"$headers" | awk 'NR > 2 && NF >= 3 {print $3}' |
        sort | tr '\n' ' ')
[ "$quarn" = "QuarnAcquireCadrelLock QuarnGetCadrelResponse QuarnGetCadrelResponseStatus QuarnGetScreenInfo QuarnReleaseCadrelLock QuarnSendCadrelCommand " ] ||
  fail "QuarnPubIf.dll names: $quarn"

resources=$("$windres" -i "$exe" -O rc 2>&1)
expected_dialog='"MYDIALOG" DIALOG 0, 0, 110, 120
STYLE 0x90c800c0
CAPTION "quendle"
FONT 16, "MS Shell Dlg"
BEGIN
  CONTROL "", 2001, "EDIT", 0x50810000, 55, 35, 45, 10
  CONTROL "now", 1001, "STATIC", 0x50020000, 10, 10, 80, 10
  CONTROL "Time to close", 1002, "STATIC", 0x50020000, 10, 20, 45, 10
  CONTROL "", 2002, "EDIT", 0x50810000, 55, 20, 20, 10
  CONTROL "S/N to write", 1003, "STATIC", 0x50020000, 10, 35, 40, 10
  CONTROL "Read S/N", 1004, "STATIC", 0x50020000, 10, 50, 80, 10
  CONTROL "Write", 2003, "BUTTON", 0x50020009, 20, 70, 30, 10
  CONTROL "Read", 2004, "BUTTON", 0x50000009, 60, 70, 30, 10
  CONTROL "Write or Read", 2005, "BUTTON", 0x50000007, 10, 60, 90, 25
  CONTROL "Read", 1, "BUTTON", 0x50010000, 10, 95, 90, 20
END'
dialog=$(sed -n '/^"MYDIALOG" DIALOG/,/^END/p' <<<"$resources")
[ "$dialog" = "$expected_dialog" ] || fail "dialog template differs: $dialog"
[ "$(grep -c '^"MYDIALOG" DIALOG' <<<"$resources")" -eq 1 ] || fail "MYDIALOG is not exactly one DIALOG"
grep -q 'requestedExecutionLevel level=""asInvoker"" uiAccess=""false""' <<<"$resources" ||
  fail "manifest does not request asInvoker without UI access"
grep -qi 'dependentAssembly\|Common-Controls' <<<"$resources" && fail "manifest asks for common controls"
[ "$(grep -c 'RT_MANIFEST' <<<"$resources")" -eq 1 ] || fail "not exactly one manifest"
grep -q '^ FILEVERSION 0, 0, 13, 0$' <<<"$resources" || fail "file version"
grep -q '^ PRODUCTVERSION 0, 0, 13, 0$' <<<"$resources" || fail "product version"
grep -q 'VALUE "OriginalFilename", "quendle.EXE"' <<<"$resources" || fail "original file name"
grep -q 'VALUE "FileVersion", "0.0.13.0"' <<<"$resources" || fail "file version text"

echo "$exe: $format, $size bytes, imports: $dlls"
[ "$failures" -eq 0 ]
