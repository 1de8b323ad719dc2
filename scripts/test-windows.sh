#!/usr/bin/env bash
# Builds kestrune.dll and kestrune.xll for 64-bit Windows with mingw-w64 and tests them under
# Wine, in a fresh prefix: registration with regsvr32, the automation interface with the
# generated add-in module against the member table, the shared call tables and the function
# reference's examples through a C++ client (also under a second decimal separator), the host
# integration against a stand-in for the spreadsheet program running, a VBScript smoke test,
# unregistration, the records of a registration for the current user alone, install.vbs and
# uninstall.vbs against the same stand-in, and kestrune.xll in a stand-in worksheet host
# (registrations, the same call tables, four threads, its heap). Builds the 32-bit DLL and
# add-in too, which cannot run here, and checks them as files. Ends with "N passed, M
# failed" and a non-zero status when anything failed.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
jobs="${KESTRUNE_JOBS:-2}"
export KESTRUNE_JOBS="$jobs"

packages=(wine64 wine)

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
    --target kestrune_dll com_client excel_stand_in_dll kestrune_xll_addin xll_host
  # The 32-bit DLL and add-in: nothing 32-bit runs here, so they are checked as files only.
  bash scripts/build-pcre2.sh mingw-w64-i686
  cmake --preset windows-x86 >/dev/null
  cmake --build --preset windows-x86 -j "$jobs" --target kestrune_dll kestrune_xll_addin
  # kestrune.bas is generated from the member table on the build machine.
  bash scripts/build-pcre2.sh linux
  cmake --preset release >/dev/null
  cmake --build --preset release -j "$jobs" --target addin_module_file
  echo "Build: $((SECONDS - start)) s"
}

scripts/install-dependencies.sh --windows
install_packages
build

bin="$root/build/windows"
dll="$bin/src/com/kestrune.dll"
dll_x86="$root/build/windows-x86/src/com/kestrune.dll"
module="$root/build/release/windows/kestrune.bas"
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
  tests/data/member_calls.txt tests/data/member_calls_comma.txt "$module" "$work/"
mkdir -p "$work/docs"
cp docs/functions/*.md "$work/docs/"
pages=()  # the function reference's examples, as the client finds them in $work
for page in docs/functions/*.md; do pages+=("docs/$(basename "$page")"); done
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

# The 32-bit DLL, which nothing here can run (the kernel runs no 32-bit code): its headers,
# exports and imports, and its type library.
is_pe32() { x86_64-w64-mingw32-objdump -f "$dll_x86" | grep -q 'file format pei-i386'; }

exports_the_server_entries() {
  local table
  table="$(x86_64-w64-mingw32-objdump -p "$dll_x86" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p')"
  local name
  for name in DllCanUnloadNow DllGetClassObject DllInstall DllRegisterServer DllUnregisterServer; do
    printf '%s\n' "$table" | grep -qE "\] $name\$" || return 1
  done
}

# The type library widl compiled for it is marked for 32-bit Windows (the syskind in the low
# bits of the header's flags: 1) and is the one embedded in the DLL.
has_win32_type_library() {
  python3 - "$root/build/windows-x86/src/com/generated/kestrune.tlb" "$dll_x86" <<'PYTHON'
import struct, sys
library = open(sys.argv[1], "rb").read()
dll = open(sys.argv[2], "rb").read()
magic, _, _, _, _, flags = struct.unpack_from("<4sIIIII", library)
sys.exit(0 if magic == b"MSFT" and flags & 0xF == 1 and library in dll else 1)
PYTHON
}

exports() { x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*\[ *[0-9]*\] \([A-Za-z_@0-9]*\)$/\1/p'; }

# PE32, the same undecorated exports as the 64-bit add-in.
x86_addin() {
  local headers
  headers="$(x86_64-w64-mingw32-objdump -p "$xll_x86")"
  [[ "$headers" == *$'\nMagic'*'(PE32)'$'\n'* ]] &&
    [ -n "$(exports "$xll")" ] && [ "$(exports "$xll_x86")" = "$(exports "$xll")" ]
}

check "kestrune.dll needs no DLL beyond the system's" only_system_dlls "$dll"
check "the 32-bit kestrune.dll is a PE32 file" is_pe32
check "the 32-bit kestrune.dll exports the five server entries" exports_the_server_entries
check "the 32-bit kestrune.dll needs no DLL beyond the system's" only_system_dlls "$dll_x86"
check "the 32-bit kestrune.dll carries a type library for 32-bit Windows" has_win32_type_library
check "kestrune.xll needs no DLL beyond the system's" only_system_dlls "$xll"
check "the 32-bit kestrune.xll needs no DLL beyond the system's" only_system_dlls "$xll_x86"
check "the 32-bit kestrune.xll: PE32, exports as the 64-bit one's" x86_addin
check "regsvr32 registers kestrune.dll" timeout 120 wine regsvr32 /s "$registered"

run_counted "automation interface" wine com_client.exe interface kestrune.bas
run_counted "call tables" wine com_client.exe calls member_calls.txt "${pages[@]}"
run_counted "call tables, comma locale" \
  env LC_ALL=de_DE.UTF-8 wine com_client.exe calls member_calls_comma.txt "${pages[@]}"
# The stand-in for the spreadsheet program: the host the integration finds running, and the
# program install.vbs and uninstall.vbs drive below.
cp "$bin/tests/windows/excel_stand_in.dll" "$work/"
check "the stand-in registers as Excel.Application" \
  timeout 120 wine regsvr32 /s 'C:\kestrune-tests\excel_stand_in.dll'
run_counted "host integration" wine com_client.exe host 'C:\Tools\Addins'
run_counted "VBScript" wine cscript //nologo smoke.vbs

check "regsvr32 /u unregisters kestrune.dll" timeout 120 wine regsvr32 /u /s "$registered"
run_counted "after unregistering" wine com_client.exe unregistered "$registered"

# For the current user alone. Wine's COM does not create a class registered only there, so the
# records are checked, not the object.
check "regsvr32 /n /i:user registers kestrune.dll for the user" \
  timeout 120 wine regsvr32 /s /n /i:user "$registered"
run_counted "the user's records" wine com_client.exe user-registered "$registered"
check "regsvr32 /u /n /i:user unregisters it" timeout 120 wine regsvr32 /u /s /n /i:user "$registered"
run_counted "the user's records, removed" wine com_client.exe user-unregistered "$registered"

# --- install.vbs and uninstall.vbs, from a folder laid out as the archive, against a stand-in
# for the spreadsheet program that logs every call made on it --------------------------------
archive='C:\kestrune-archive'
mkdir -p "$prefix/drive_c/kestrune-archive/x64"
cp "$dll" "$prefix/drive_c/kestrune-archive/x64/"
cp "$module" "$prefix/drive_c/kestrune-archive/"
for script in install.vbs uninstall.vbs; do  # with Windows' line ends, as the archive has them
  sed 's/\r*$/\r/' "packaging/windows/$script" >"$prefix/drive_c/kestrune-archive/$script"
done
windows_folder() { timeout 60 wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }
unix_path() { printf '%s/drive_c/%s' "$prefix" "$(printf '%s' "${1#C:\\}" | tr '\\' '/')"; }
appdata="$(windows_folder APPDATA)"
installed="$(windows_folder LOCALAPPDATA)\kestrune\x64\kestrune.dll"
add_in="$(unix_path "$appdata")/Microsoft/AddIns/kestrune.xla"
install_folder="$(unix_path "$(windows_folder LOCALAPPDATA)")/kestrune"
export KESTRUNE_HOST_LOG='C:\kestrune-tests\host.log'
host_log="$work/host.log"

# Runs a script of the archive for a platform (x64 unless told: the one this Wine runs), the
# stand-in's log emptied first; its output goes to $work/script.out.
run_script() {
  rm -f "$host_log"
  (cd "$work" && timeout 120 wine cscript //nologo "$archive\\$1" "${2:-x64}" 2>/dev/null |
    tr -d '\r' >script.out) || true
}

said() { grep -qF "$1" "$work/script.out"; }

# The stand-in's log against the expected calls, with @APPDATA@ and @ARCHIVE@ for the folders.
made_calls() {
  local expected
  expected="$(cat)"
  expected="${expected//@APPDATA@/$appdata}"
  expected="${expected//@ARCHIVE@/$archive}"
  if [ "$expected" = "$(tr -d '\r' <"$host_log" 2>/dev/null)" ]; then return; fi
  diff <(printf '%s\n' "$expected") "$host_log" || true
  return 1
}

# An install stopped before it changed anything: the probe of the VBA project, then the
# workbook closed unsaved and the program quit.
stopped_before_changes() {
  made_calls <<'CALLS'
Application.DisplayAlerts = False
Application.Workbooks
Workbooks.Add
Workbook.VBProject
Workbook.Close False
Application.Quit
CALLS
}

nothing_installed() { [ ! -e "$add_in" ] && [ ! -e "$install_folder" ]; }
add_in_holds_module() { cmp -s "$add_in" "$module"; }

run_script install.vbs
check "install.vbs names the setting that refuses the VBA project" \
  said 'Trust access to the VBA project object model'
check "install.vbs stops at the refusal: the workbook closed unsaved, the program quit" \
  stopped_before_changes
check "a refused install leaves no file" nothing_installed
run_counted "a refused install leaves no record" \
  wine com_client.exe user-unregistered "$installed"

timeout 60 wine reg add 'HKCU\Software\Microsoft\Office\16.0\Excel\Security' /v AccessVBOM \
  /t REG_DWORD /d 1 /f >/dev/null 2>&1
# A platform whose DLL cannot be registered (the folder has no 32-bit one): stopped as cleanly.
run_script install.vbs x86
check "install.vbs reports a DLL it cannot register" said 'could not register the x86 kestrune.dll'
check "install.vbs stops there: the workbook closed unsaved, the program quit" \
  stopped_before_changes
check "a failed registration leaves no file" nothing_installed

run_script install.vbs
check "install.vbs reports the installed add-in" said 'kestrune is installed'
check "install.vbs builds the add-in from kestrune.bas and installs it" made_calls <<'CALLS'
Application.DisplayAlerts = False
Application.Workbooks
Workbooks.Add
Workbook.VBProject
Workbook.VBProject
VBProject.VBComponents
VBComponents.Import @ARCHIVE@\kestrune.bas
Application.UserLibraryPath
Workbook.SaveAs @APPDATA@\Microsoft\AddIns\kestrune.xla, 18
Workbook.Close False
Application.Workbooks
Workbooks.Add
Application.AddIns
AddIns.Add @APPDATA@\Microsoft\AddIns\kestrune.xla
AddIn.Installed = True
Workbook.Close False
Application.Quit
CALLS
check "the add-in saved in the user's add-ins folder holds kestrune.bas" add_in_holds_module
run_counted "install.vbs registers the copied DLL for the user" \
  wine com_client.exe user-registered "$installed"

run_script uninstall.vbs
check "uninstall.vbs reports" said 'kestrune is uninstalled'
check "uninstall.vbs uninstalls the add-in from the program" made_calls <<'CALLS'
Application.DisplayAlerts = False
Application.Workbooks
Workbooks.Add
Application.AddIns
AddIns._NewEnum
AddIn.Name
AddIn.Installed = False
Application.UserLibraryPath
Workbook.Close False
Application.Quit
CALLS
check "uninstall.vbs deletes the add-in and the installed files" nothing_installed
run_counted "uninstall.vbs removes the user's records" \
  wine com_client.exe user-unregistered "$installed"

# The add-in is opened from where the user keeps it; nothing is registered for it. It answers the
# same tables and examples as the automation server.
run_counted "worksheet add-in" \
  wine xll_host.exe 'C:\Tools\Addins\kestrune.xll' member_calls.txt "${pages[@]}"
run_counted "worksheet add-in, comma locale" env LC_ALL=de_DE.UTF-8 \
  wine xll_host.exe 'C:\Tools\Addins\kestrune.xll' member_calls_comma.txt "${pages[@]}"

echo "Wine tests: $((SECONDS - tests_start)) s"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
