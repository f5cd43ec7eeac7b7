# Sourced by wine-tests.sh: the main dialog's scenarios in English and Japanese (see dialog_scenarios.cpp and
# its neighbours), with the large store for runs that must last a while.
large=$work/store-large
LANG=C.UTF-8 wine "$build/tests-windows/make_test_store.exe" "$(to_windows "$large")" --large >/dev/null 2>&1
check $? "the large test store is written"
"$posix/bin/dovan" convert --format mbox "$large" "$work/large-posix" </dev/null >"$work/large-posix.log" 2>&1
check $? "POSIX build converts the large store" || cat "$work/large-posix.log"

for language in en ja; do
  for scenario in formats start-checks no-plugins identities run abort errors close-during-run; do
    echo "-- $scenario ($language)"
    driver "$language" dialog "$scenario" "$exe" "$plugins" "$(to_windows "$work")" "$shots" "$language"
  done
  if [ "$language" = ja ]; then
    echo "-- japanese-folders (ja)"
    driver ja dialog japanese-folders "$exe" "$plugins" "$(to_windows "$work")" "$shots" ja
  fi
  # What was written before the close must be whole: complete folders, and the open one up to a message.
  python3 "$here/compare_outputs.py" --partial mbox "$work/large-posix" "$work/closed-$language"
  check $? "closing during a run ($language) loses nothing already written"
done
