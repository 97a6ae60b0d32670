#!/usr/bin/env bash
# Prints every benchmark figure. Usage: bench/run_all.sh [build-dir]
# Takes about four minutes: two message loads dominate.
set -euo pipefail
build=${1:-build}
"$build/bench/bench_link_idle" 10
"$build/bench/bench_console" start
"$build/bench/bench_console" poll 30
"$build/bench/bench_console" load
"$build/bench/bench_console" load pace
