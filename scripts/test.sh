#!/usr/bin/env bash
# Sets up the machine if needed, builds everything and runs every test: the host tests (with
# AddressSanitizer and UndefinedBehaviorSanitizer), the fuzz runs, both Windows flavours' builds,
# then the Windows tests under Wine inside Xvfb, once for each flavour and Wine that set-up chose
# for this machine. Ends with one line for each, such as "win32 (wine 10, wow64): N passed,
# N failed" and "win64 (wine 8): N passed, N failed", then the overall "N passed, N failed".
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
"$repo/scripts/setup.sh" || { echo "set-up failed"; echo "0 passed, 1 failed"; exit 1; }
. "$repo/scripts/display.sh"
jobs=$(nproc)

passed=0
failed=0
log=$(mktemp)
run_ctest() {  # build-dir [parallel jobs]
  ctest --test-dir "$1" --output-on-failure -j"${2:-$jobs}" 2>&1 | tee "$log"
  local line total fails
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$line" ]; then
    failed=$((failed + 1))
    return
  fi
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  fails=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$line")
  passed=$((passed + total - fails))
  failed=$((failed + fails))
}
build() {  # build-dir cmake-args...
  local dir=$1; shift
  mkdir -p "$dir"
  cmake -S "$repo" -B "$dir" "$@" >"$dir/configure.log" 2>&1 || { tail -n 40 "$dir/configure.log"; return 1; }
  cmake --build "$dir" -j"$jobs" >"$dir/build.log" 2>&1 || { grep -E -A5 'error|Error' "$dir/build.log" | head -n 80; return 1; }
}

echo "== host build (sanitizers)"
if build build/host -DSPROUT_SANITIZE=ON -DSPROUT_BENCH=OFF; then run_ctest build/host; else echo "host build failed"; failed=$((failed + 1)); fi

if [ -f "$repo/tests/fuzz/CMakeLists.txt" ]; then
  echo "== fuzz build (clang, libFuzzer)"
  if build build/fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang -DSPROUT_FUZZ=ON -DSPROUT_BENCH=OFF; then run_ctest build/fuzz; else echo "fuzz build failed"; failed=$((failed + 1)); fi
fi

# Both flavours always build; the tests run as set-up chose (build/wine-runs): each flavour
# listed there under its Wine, the system's or the WoW64 root's.
declare -A built
for flavour in win32 win64; do
  echo "== Windows build, $flavour (mingw)"
  toolchain="$repo/cmake/mingw${flavour#win}.cmake"
  # The real engine's library: built once per flavour, then reused while version and flags stay.
  "$repo/scripts/build-libtorrent.sh" "$flavour" || { echo "libtorrent for $flavour failed"; failed=$((failed + 1)); }
  built[$flavour]=1
  if ! build "build/$flavour" -DCMAKE_TOOLCHAIN_FILE="$toolchain"; then
    echo "$flavour build failed"; failed=$((failed + 1))
    built[$flavour]=0
  fi
done

summaries=()
mapfile -t runs <build/wine-runs
for run in "${runs[@]}"; do
  read -r flavour wine <<<"$run"
  # The project's prefix of this flavour under this Wine, whatever the caller's WINEPREFIX.
  unset WINEPREFIX
  export SPROUT_FLAVOUR=$flavour SPROUT_WINE=$wine
  . "$repo/scripts/wine-env.sh"
  version=$(wine --version 2>/dev/null | sed -nE 's/^wine-([0-9]+).*/\1/p')
  label="$flavour (wine ${version:-?}$([ "$wine" = wow64 ] && echo ", wow64"))"
  echo "== Windows tests, $label"
  win_passed=$passed
  win_failed=$failed
  if [ "${built[$flavour]}" = 1 ]; then
    sprout_ensure_display || exit 1
    # Keep one wineserver for the whole run and let Wine start its background services now,
    # outside CTest: they outlive the first test and would otherwise hold its output pipe open.
    wineserver -p >/dev/null 2>&1 || true
    wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
    # One program of the flavour first: a flavour this Wine cannot run fails here, once.
    ran=$(timeout 120 wine "$SPROUT_WIN_BUILD/bin/flavour_check.exe" </dev/null 2>/dev/null | tr -d '\r')
    if [ "$ran" = "$flavour" ]; then
      # Under the WoW64 Wine (Wine 10) one test at a time: with two tests at once, the desktop's
      # explorer.exe now and then quits while programs still use that desktop, and each of them
      # then dies of an X error on its next release of the cursor clip (BadWindow unmapping the
      # clip window that explorer.exe made). One more program kept on the desktop does not help.
      if [ "$wine" = wow64 ]; then run_ctest "$SPROUT_WIN_BUILD" 1; else run_ctest "$SPROUT_WIN_BUILD"; fi
    else
      echo "$label: this Wine cannot run the flavour's programs here (flavour_check.exe printed '${ran}')"
      failed=$((failed + 1))
    fi
    wineserver -k >/dev/null 2>&1 || true
  fi
  summaries+=("$label: $((passed - win_passed)) passed, $((failed - win_failed)) failed")
done
printf '%s\n' "${summaries[@]}"

rm -f "$log"
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
