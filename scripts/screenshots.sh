#!/usr/bin/env bash
# Takes the README's screenshots offscreen, against the simulated device.
# Usage: scripts/screenshots.sh [build-dir]   (writes docs/screenshots/*.png)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build=${1:-$root/build}
cmake --build "$build" --target talveno_screenshots
"$build/scripts/screenshots/talveno_screenshots" "$root/docs/screenshots"
