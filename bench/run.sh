#!/usr/bin/env bash
# Runs every benchmark: bench/bench_*.py with the built package, and the C++
# benchmark executables the build left in <build>/bench/.
set -uo pipefail
build=${1:-build}
export PYTHONPATH="$build/python" QT_QPA_PLATFORM=offscreen
status=0
for b in bench/bench_*.py; do
  [ -f "$b" ] || continue
  echo "== $b"
  /usr/bin/python3 "$b" || status=1
done
for b in "$build"/bench/bench_*; do
  [ -x "$b" ] || continue
  echo "== $b"
  "$b" || status=1
done
exit $status
