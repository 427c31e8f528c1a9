#!/usr/bin/env bash
# Installs what is missing, builds boxview in the project's build/ folder, and starts it in the caller's folder.
# The viewer runs where the user typed the command, so that a file name given at its prompt is looked up there;
# the configure and build steps show their progress (the first build takes a few minutes).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$root/build" -j "$(nproc)"
exec "$root/build/boxview"
