#!/usr/bin/env bash
# Prints the idle link's CPU use and cycle period. Usage: bench/link_idle.sh [build-dir] [seconds]
set -euo pipefail
build=${1:-build}
"$build/bench/bench_link_idle" "${2:-10}"
