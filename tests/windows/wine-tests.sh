#!/usr/bin/env bash
# wine-tests.sh WINDOWS_BUILD POSIX_BUILD: runs the x86_64 Windows build under Wine in a private X server.
#  - the resources as the system loads them, in English and Japanese
#  - each writer's settings dialog in both languages, and bmf's default destination from the registry
#  - a synthesized store converted by Dovan.exe through the real DLLs, for every format and setting, compared
#    byte for byte with the POSIX build's output; the same through dovan-cli.exe, whose texts, exit status and
#    relative destinations must be those of the POSIX dovan (cli-tests.sh); the store must be unchanged afterwards
#  - the main dialog's behaviour, in both languages
# Screenshots of every dialog land in WINDOWS_BUILD/screenshots. Ends with "N passed, N failed".
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath "$1")
posix=$(realpath "$2")
work=$build/wine-tests
source "$here/wine-session.sh"

passed=0
failed=0
tally() {  # tally LOG: adds the "N passed, N failed" line of a driver's output
  local line
  line=$(grep -E '^[0-9]+ passed, [0-9]+ failed' "$1" | tail -1)
  if [ -z "$line" ]; then failed=$((failed + 1)); echo "FAILED: no result from $(head -c 200 "$1")"; return; fi
  passed=$((passed + $(echo "$line" | cut -d' ' -f1)))
  failed=$((failed + $(echo "$line" | cut -d' ' -f3)))
}
check() {  # check STATUS WHAT: false when the check failed
  if [ "$1" -eq 0 ]; then passed=$((passed + 1)); echo "ok: $2"; return 0; fi
  failed=$((failed + 1))
  echo "FAILED: $2"
  return 1
}
driver() {  # driver LANGUAGE ARGUMENTS...: one driver run, its output shown and tallied
  local language=$1
  shift
  local log=$work/driver.log
  if [ "$language" = ja ]; then
    LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 timeout 300 wine "$build/tests-windows/dovan_gui_driver.exe" "$@" >"$log" 2>&1
  else
    LANG=C.UTF-8 LC_ALL=C.UTF-8 timeout 300 wine "$build/tests-windows/dovan_gui_driver.exe" "$@" >"$log" 2>&1
  fi
  tr -d '\r' <"$log" | grep -v '^ok: '
  tally "$log"
}

rm -rf "$work" "$build/screenshots"
mkdir -p "$work" "$build/screenshots"
trap wine_session_stop EXIT
echo "== Wine prefix and X server"
wine_session_start "$work"

plugins=$(to_windows "$build/lib/dovan")
exe="$plugins\\Dovan.exe"
shots=$(to_windows "$build/screenshots")

echo "== Resources"
driver en resources "$exe" "$plugins" en
driver ja resources "$exe" "$plugins" ja

echo "== Settings dialogs"
driver en settings "$plugins" en "$shots"
driver ja settings "$plugins" ja "$shots"
driver en default-destination "$plugins"

echo "== The same store through Dovan.exe and through the POSIX build"
store=$work/store
LANG=C.UTF-8 wine "$build/tests-windows/make_test_store.exe" "$(to_windows "$store")" >/dev/null 2>&1
check $? "the test store is written"
store_sums=$(cd "$store" && find . -type f -print0 | sort -z | xargs -0 sha256sum)
# format name, GUI setting (radio id or size), POSIX setting
conversions=(
  "UNIX mbox||from-quoting" "UNIX mbox|radio=1001|ignore-case" "UNIX mbox|radio=1002|pass-through"
  "eml format (1file per message)||sequence" "eml format (1file per message)|radio=1001|sequence-no-extension"
  "eml format (1file per message)|radio=1002|subject"
  "Becky! Ver.2 (bmf)||640" "Becky! Ver.2 (bmf)|size=100|100"
)
for conversion in "${conversions[@]}"; do
  IFS='|' read -r format gui_setting posix_setting <<<"$conversion"
  case $format in UNIX*) short=mbox ;; eml*) short=eml ;; *) short=bmf ;; esac
  out=$work/out-$short-$posix_setting
  mkdir -p "$out"
  "$posix/bin/dovan" convert --format "$short" --setting "$posix_setting" "$store" "$out/posix" </dev/null \
    >"$out/posix.log" 2>&1
  check $? "POSIX build converts with $short $posix_setting" || cat "$out/posix.log"
  driver en convert "$exe" "$plugins" "$(to_windows "$store")" "$(to_windows "$out/windows")" "$format" "$gui_setting"
  python3 "$here/compare_outputs.py" "$short" "$out/posix" "$out/windows"
  check $? "$short $posix_setting: Windows output equals the POSIX output"
done
echo "== The command line: dovan-cli.exe and the POSIX dovan"
source "$here/cli-tests.sh"

[ "$store_sums" = "$(cd "$store" && find . -type f -print0 | sort -z | xargs -0 sha256sum)" ]
check $? "the store's files are unchanged after every conversion"

if [ -x "$here/dialog-tests.sh" ]; then
  echo "== Main dialog"
  source "$here/dialog-tests.sh"
fi

for bitmap in "$build"/screenshots/*.bmp; do
  [ -e "$bitmap" ] || continue
  /usr/bin/convert "$bitmap" "${bitmap%.bmp}.png" && rm -f "$bitmap"
done
echo "screenshots: $build/screenshots"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
