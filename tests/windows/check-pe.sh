#!/usr/bin/env bash
# check-pe.sh BUILD_DIR i686|x86_64: the Windows deliverables of one build, checked without running them: the
# machine type, the writers' export tables (exactly the plain entry-point names), imports of system DLLs only, and
# that dovan-cli.exe is a console program.
set -uo pipefail
dir=$1/lib/dovan
arch=$2
objdump=$arch-w64-mingw32-objdump
passed=0
failed=0
check() {  # check OK_STATUS WHAT
  if [ "$1" -eq 0 ]; then passed=$((passed + 1)); echo "ok: $2"; else failed=$((failed + 1)); echo "FAILED: $2"; fi
}

# The DLLs that every Windows installation has; anything else would have to be shipped beside Dovan.exe.
system_dlls='^(KERNEL32|USER32|GDI32|ADVAPI32|SHELL32|OLE32|COMCTL32|WINMM|MSVCRT)\.DLL$'
common_exports="AppendBuffer FinishConvert FinishFolder FinishMessage GetNote GetPluginName NewFolder NewMessage"
common_exports="$common_exports SetSetting SettingDlg StartConvert"
[ "$arch" = i686 ] && format=pei-i386 || format=pei-x86-64

for file in Dovan.exe dovan-cli.exe Dovanmbox.dll Dovaneml.dll Dovanbmf.dll Dovanmaildir.dll; do
  path=$dir/$file
  if [ ! -f "$path" ]; then check 1 "$arch $file exists"; continue; fi
  $objdump -f "$path" | grep -q "file format $format"
  check $? "$arch $file is $format"
  imports=$($objdump -p "$path" | sed -n 's/^\s*DLL Name: //p' | tr '[:lower:]' '[:upper:]')
  foreign=$(echo "$imports" | grep -v -E "$system_dlls" || true)
  [ -z "$foreign" ]
  check $? "$arch $file imports system DLLs only ($(echo $imports | tr ' ' ','))${foreign:+; not: $foreign}"
  case $file in
  Dovan.exe) continue ;;
  dovan-cli.exe)
    $objdump -p "$path" | grep -c '^Subsystem.*(Windows CUI)' >/dev/null
    check $? "$arch $file is a console program"
    continue ;;
  esac
  expected=$common_exports
  [ "$file" = Dovanbmf.dll ] && expected="$expected GetDefaultDestDir"
  # The message facts date eml files and mbox From_ lines; mbox takes the options that use them.
  [ "$file" = Dovaneml.dll ] && expected="$expected SetMessageFacts"
  [ "$file" = Dovanmbox.dll ] && expected="$expected SetMessageFacts SetOption"
  # Every writer takes back a message given up; all but bmf (one flat mailbox) keep the folder tree.
  expected="$expected DiscardMessage"
  [ "$file" != Dovanbmf.dll ] && expected="$expected NewTreeFolder"
  # The Maildir writer has no setting; it takes each message's facts.
  [ "$file" = Dovanmaildir.dll ] &&
    expected="AppendBuffer FinishConvert FinishFolder FinishMessage GetNote GetPluginName NewFolder NewMessage
              SetMessageFacts StartConvert DiscardMessage NewTreeFolder"
  actual=$($objdump -p "$path" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    sed -n 's/^\s*\[\s*[0-9]*\] //p' | sort | tr '\n' ' ')
  expected=$(echo $expected | tr ' ' '\n' | sort | tr '\n' ' ')
  if [ "$actual" = "$expected" ]; then check 0 "$arch $file exports exactly: $expected"
  else check 1 "$arch $file exports exactly: $expected(found: $actual)"; fi
done

manifest_arch=x86
[ "$arch" = x86_64 ] && manifest_arch=amd64
[ "$(grep -a -o "processorArchitecture=\"$manifest_arch\"" "$dir/Dovan.exe" | wc -l)" -eq 2 ]
check $? "$arch Dovan.exe carries the manifest for $manifest_arch"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
