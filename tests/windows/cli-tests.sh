# Sourced by wine-tests.sh after the output comparison: dovan-cli.exe against the POSIX dovan. The texts must be
# those of the POSIX program, English and Japanese (redirected output comes in the console's code page and with
# CR LF line breaks, both undone here), the exit status the same, and every conversion the same tree as the
# POSIX build's (the trees of the comparison above).
cli=$build/lib/dovan/dovan-cli.exe

cli_run() {  # cli_run LANGUAGE NAME ARGUMENTS...: runs dovan-cli.exe into $work/cli-NAME.{out,err,status}
  local language=$1 name=$2 locale=C.UTF-8
  shift 2
  [ "$language" = ja ] && locale=ja_JP.UTF-8
  LANG=$locale LC_ALL=$locale timeout 300 wine "$cli" "$@" </dev/null >"$work/cli-$name.out.raw" \
    2>"$work/cli-$name.err.raw"
  echo $? >"$work/cli-$name.status"
  for stream in out err; do
    python3 - "$work/cli-$name.$stream.raw" "$work/cli-$name.$stream" "$language" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
text = data.decode("cp932" if sys.argv[3] == "ja" else "ascii", errors="replace").replace("\r\n", "\n")
open(sys.argv[2], "w", encoding="utf-8", newline="").write(text)
PY
  done
}

posix_run() {  # posix_run LANGUAGE NAME ARGUMENTS...: the POSIX dovan into $work/posix-NAME.{out,err,status}
  local language=$1 name=$2 locale=C.UTF-8
  shift 2
  [ "$language" = ja ] && locale=ja_JP.UTF-8
  LANG=$locale LC_ALL=$locale "$posix/bin/dovan" "$@" </dev/null >"$work/posix-$name.out" 2>"$work/posix-$name.err"
  echo $? >"$work/posix-$name.status"
}

same_as_posix() {  # same_as_posix NAME WHAT: status, standard output and standard error all equal
  local stream
  for stream in status out err; do
    if ! cmp -s "$work/cli-$1.$stream" "$work/posix-$1.$stream"; then
      check 1 "$2: $stream as on POSIX"
      diff "$work/posix-$1.$stream" "$work/cli-$1.$stream" | head -20
      return 1
    fi
  done
  check 0 "$2: status, output and errors as on POSIX"
}

[ -f "$cli" ]
check $? "dovan-cli.exe lies beside Dovan.exe" || return 0

# name, language, arguments; store and destination stand for the test store and an output folder.
information=(
  "formats|en|formats" "formats-ja|ja|formats" "help|en|--help" "help-ja|ja|--help" "convert-help|en|convert --help"
  "version|en|--version" "no-command|en|" "unknown-format|en|convert --format mh STORE OUT"
  "unknown-format-ja|ja|convert --format mh STORE OUT"
  "bad-setting|en|convert --format mbox --setting quote-all STORE OUT"
  "bad-on-error|en|convert --format eml --on-error ignore STORE OUT"
  "ask-without-console|en|convert --format eml --on-error ask STORE OUT"
  "nothing-to-convert|en|convert --format mbox EMPTY OUT" "nothing-to-convert-ja|ja|convert --format mbox EMPTY OUT"
)
mkdir -p "$work/cli-empty"
for case in "${information[@]}"; do
  IFS='|' read -r name language arguments <<<"$case"
  read -r -a posix_arguments <<<"${arguments//STORE/$store}"
  posix_arguments=("${posix_arguments[@]//EMPTY/$work/cli-empty}")
  posix_arguments=("${posix_arguments[@]//OUT/$work/cli-not-made}")
  read -r -a windows_arguments <<<"${arguments//STORE/$(to_windows "$store")}"
  windows_arguments=("${windows_arguments[@]//EMPTY/$(to_windows "$work/cli-empty")}")
  windows_arguments=("${windows_arguments[@]//OUT/$(to_windows "$work/cli-not-made")}")
  posix_run "$language" "$name" "${posix_arguments[@]}"
  cli_run "$language" "$name" "${windows_arguments[@]}"
  same_as_posix "$name" "dovan-cli.exe ${arguments:-(no arguments)} ($language)"
done
[ "$(cat "$work/cli-unknown-format.status")" = 2 ]
check $? "dovan-cli.exe ends an unknown format with exit status 2"
[ ! -e "$work/cli-not-made" ]
check $? "dovan-cli.exe creates no destination for a refused command"
grep -q "使い方:" "$work/cli-help-ja.out"
check $? "dovan-cli.exe shows its help in Japanese under a Japanese user interface"

for conversion in "${conversions[@]}"; do
  IFS='|' read -r format gui_setting posix_setting <<<"$conversion"
  case $format in UNIX*) short=mbox ;; eml*) short=eml ;; *) short=bmf ;; esac
  out=$work/out-$short-$posix_setting
  name=convert-$short-$posix_setting
  posix_run en "$name" convert --format "$short" --setting "$posix_setting" "$store" "$out/posix-again"
  cli_run en "$name" convert --format "$short" --setting "$posix_setting" "$(to_windows "$store")" \
    "$(to_windows "$out/cli")"
  same_as_posix "$name" "dovan-cli.exe converts with $short $posix_setting"
  python3 "$here/compare_outputs.py" "$short" "$out/posix" "$out/cli"
  check $? "$short $posix_setting: dovan-cli.exe output equals the POSIX output"
done

# A relative destination lands below the current directory, with the Japanese summary of the POSIX program.
mkdir -p "$work/cli-cwd"
posix_run ja relative convert --format eml "$store" "$work/cli-posix-relative"
(cd "$work/cli-cwd" && cli_run ja relative convert --format eml "$(to_windows "$store")" relative/out)
same_as_posix relative "dovan-cli.exe with a relative destination (ja)"
python3 "$here/compare_outputs.py" eml "$work/cli-posix-relative" "$work/cli-cwd/relative/out"
check $? "dovan-cli.exe converts into a destination relative to the current directory"

# A destination past the 248 characters Windows allows a folder (yet short of the 260 of a path, where the system's
# ANSI calls stop) is reached through the long-path form.
long=$(python3 -c 'import sys; p = sys.argv[1]
while len(p) + 13 <= 252: p += "/abcdefghij"
print(p + "/" + "x" * (252 - len(p) - 3))' "$work/cli-long")
long_windows=$(to_windows "$long")
cli_run en long convert --format mbox "$(to_windows "$store")" "$long_windows"
[ "$(cat "$work/cli-long.status")" = 0 ] &&
  python3 "$here/compare_outputs.py" mbox "$work/out-mbox-from-quoting/posix" "$long"
check $? "dovan-cli.exe converts into a destination of ${#long_windows} characters" ||
  cat "$work/cli-long.err"
