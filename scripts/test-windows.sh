#!/usr/bin/env bash
# Builds kestrune.dll and kestrune.xll for 64-bit Windows with mingw-w64 and tests them under
# Wine, in a fresh prefix: registration with regsvr32, the automation interface and the shared
# call tables through a C++ client, a second decimal separator, the host integration against a
# stand-in for the running host, a VBScript smoke test, and unregistration; then the add-in
# kestrune.xll in a stand-in worksheet host (registrations, the same call tables, four threads,
# its heap). Ends with "N passed, M failed" and a non-zero status when anything failed.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
jobs="${KESTRUNE_JOBS:-2}"
export KESTRUNE_JOBS="$jobs"

packages=(g++-mingw-w64-x86-64 g++-mingw-w64-i686-win32 mingw-w64-i686-dev mingw-w64-tools libwine-dev
  wine64 wine dpkg-dev)

install_packages() {
  local missing=()
  for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return
  echo "Installing: ${missing[*]}"
  local sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq -o DPkg::Lock::Timeout=300
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq \
    -o DPkg::Lock::Timeout=300 --no-install-recommends "${missing[@]}"
}

build() {
  local start=$SECONDS
  bash scripts/build-pcre2.sh mingw-w64-x86_64
  cmake --preset windows >/dev/null
  cmake --build --preset windows -j "$jobs" \
    --target kestrune_dll com_client kestrune_xll_addin xll_host
  # The 32-bit add-in: nothing 32-bit runs here, so it is checked as a file only.
  bash scripts/build-pcre2.sh mingw-w64-i686
  cmake --preset windows-x86 >/dev/null
  cmake --build --preset windows-x86 -j "$jobs" --target kestrune_xll_addin
  echo "Build: $((SECONDS - start)) s"
}

scripts/install-dependencies.sh
install_packages
build

bin="$root/build/windows"
dll="$bin/src/com/kestrune.dll"
xll="$bin/src/xll/kestrune.xll"
xll_x86="$root/build/windows-x86/src/xll/kestrune.xll"

# --- Wine, headless, in a prefix of its own --------------------------------------------------
prefix="$(mktemp -d /tmp/kestrune-wine.XXXXXX)"
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
  timeout 60 wineserver -k >/dev/null 2>&1 || true
  rm -rf "$prefix"
}
trap cleanup EXIT

tests_start=$SECONDS
timeout 300 wineboot -i >/dev/null 2>&1
timeout 60 wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
timeout 120 wineserver -w

# The server where a user would keep it, the client and its data in a folder of their own.
addins="$prefix/drive_c/Tools/Addins"
work="$prefix/drive_c/kestrune-tests"
mkdir -p "$addins" "$work"
cp "$dll" "$xll" "$addins/"
cp "$bin/tests/windows/com_client.exe" "$bin/tests/windows/xll_host.exe" tests/windows/smoke.vbs \
  tests/data/member_calls.txt tests/data/member_calls_comma.txt "$work/"
registered='C:\Tools\Addins\kestrune.dll'

passed=0
failed=0
step_passed() { passed=$((passed + 1)); echo "ok: $1"; }
step_failed() { failed=$((failed + 1)); echo "FAILED: $1"; }
check() {  # check WHAT COMMAND...: one check, passed when the command succeeds
  local what="$1"
  shift
  if "$@"; then step_passed "$what"; else step_failed "$what"; fi
}

# Runs a program that reports "N passed, M failed" and adds its counts. A run without that line
# (a crash, a hang cut off by timeout) counts as one failure, and so does a run that reports no
# failure but does not end cleanly.
run_counted() {
  local what="$1"
  shift
  local output
  local status=0
  output="$(cd "$work" && timeout 120 "$@" 2>&1 | tr -d '\r')" || status=$?
  printf '%s\n' "$output" | grep -v ' passed, .* failed$' || true
  local summary
  summary="$(printf '%s\n' "$output" | grep -E '^[0-9]+ passed, [0-9]+ failed$' | tail -1)"
  if [ -z "$summary" ]; then
    step_failed "$what: no summary line (status $status)"
    return
  fi
  echo "$what: $summary"
  local run_passed run_failed
  run_passed="$(echo "$summary" | cut -d' ' -f1)"
  run_failed="$(echo "$summary" | cut -d' ' -f3)"
  passed=$((passed + run_passed))
  failed=$((failed + run_failed))
  if [ "$status" -ne 0 ] && [ "$run_failed" -eq 0 ]; then
    step_failed "$what: the program did not end cleanly (status $status)"
  fi
}

only_system_dlls() {  # only_system_dlls FILE
  local imports
  imports="$(x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')"
  ! printf '%s\n' "$imports" |
    grep -vqxE 'kernel32.dll|user32.dll|gdi32.dll|advapi32.dll|ole32.dll|oleaut32.dll|shell32.dll|msvcrt.dll'
}

exports() { x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*\[ *[0-9]*\] \([A-Za-z_@0-9]*\)$/\1/p'; }

# PE32, the same undecorated exports as the 64-bit add-in.
x86_addin() {
  local headers
  headers="$(x86_64-w64-mingw32-objdump -p "$xll_x86")"
  [[ "$headers" == *$'\nMagic'*'(PE32)'$'\n'* ]] &&
    [ -n "$(exports "$xll")" ] && [ "$(exports "$xll_x86")" = "$(exports "$xll")" ]
}

server_record() {
  timeout 60 wine reg query 'HKCR\CLSID\{2D935A7D-6081-4348-BEA1-CA0EA9759BB3}\InprocServer32' \
    /ve 2>/dev/null | tr -d '\r' | grep -qF "$registered"
}

server_record_gone() { ! server_record; }

check "kestrune.dll needs no DLL beyond the system's" only_system_dlls "$dll"
check "kestrune.xll needs no DLL beyond the system's" only_system_dlls "$xll"
check "the 32-bit kestrune.xll needs no DLL beyond the system's" only_system_dlls "$xll_x86"
check "the 32-bit kestrune.xll: PE32, exports as the 64-bit one's" x86_addin
check "regsvr32 registers kestrune.dll" timeout 120 wine regsvr32 /s "$registered"
check "the server record names the registered file" server_record

run_counted "automation interface" wine com_client.exe interface
run_counted "call tables" wine com_client.exe calls member_calls.txt
run_counted "call tables, comma locale" \
  env LC_ALL=de_DE.UTF-8 wine com_client.exe calls member_calls_comma.txt
run_counted "host integration" wine com_client.exe host 'C:\Tools\Addins'
run_counted "VBScript" wine cscript //nologo smoke.vbs

check "regsvr32 /u unregisters kestrune.dll" timeout 120 wine regsvr32 /u /s "$registered"
check "the server record is gone" server_record_gone
run_counted "after unregistering" wine com_client.exe unregistered
run_counted "after unregistering, VBScript" wine cscript //nologo smoke.vbs unregistered

# The add-in is opened from where the user keeps it; nothing is registered for it.
run_counted "worksheet add-in" wine xll_host.exe 'C:\Tools\Addins\kestrune.xll' member_calls.txt
run_counted "worksheet add-in, comma locale" \
  env LC_ALL=de_DE.UTF-8 wine xll_host.exe 'C:\Tools\Addins\kestrune.xll' member_calls_comma.txt

echo "Wine tests: $((SECONDS - tests_start)) s"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
