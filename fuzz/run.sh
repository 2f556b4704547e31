#!/usr/bin/env bash
# Runs each fuzz target for 60 seconds; stops at the first crash, leak, hang or
# undefined behaviour.
set -euo pipefail
dir=${1:-build-fuzz}
secs=${FUZZ_SECONDS:-60}
# Undefined behaviour is fatal (the build does not recover from it either);
# options given by the caller come last and win.
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
for t in "$dir"/fuzz/fuzz_*; do
  [ -f "$t" ] && [ -x "$t" ] || continue
  name=$(basename "$t")
  corpus="$dir/corpus/$name"; mkdir -p "$corpus"
  seeds="fuzz/seeds/${name#fuzz_}"
  echo "== $name ($secs s)"
  if [ -d "$seeds" ]; then
    "$t" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 "$corpus" "$seeds"
  else
    "$t" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 "$corpus"
  fi
done
