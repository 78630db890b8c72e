#!/usr/bin/env bash
# build.sh DIR [cmake options...]: configures (once) and builds one build tree;
# BUILD_TARGET=NAME builds only that target (and what it needs).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$1; shift
cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir" -j2 ${BUILD_TARGET:+--target "$BUILD_TARGET"}
