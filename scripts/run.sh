#!/usr/bin/env bash
# Builds the program and starts it. Unless the user already has a work folder
# of their own, it runs on a demo work folder set up for the call simulator,
# so calls can be sent with `build/release/stage/ktcall 0312345678`.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
build="$root/build/release"
# Only the program, its plugins, tools and data: no tests or benchmarks.
BUILD_TARGET=program "$root/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=Release
stage="$build/stage"
if [[ -z "${XDG_DATA_HOME:-}" && ! -d "$HOME/.local/share/Tenko/Kanata195" ]]; then
    export XDG_DATA_HOME="$root/build/demo/data"
    export XDG_CONFIG_HOME="$root/build/demo/config"
    "$stage/kanata-demo" >/dev/null
    echo "Demo work folder: $XDG_DATA_HOME/Tenko/Kanata195"
    echo "Send a call from another terminal with:"
    echo "  XDG_DATA_HOME=$XDG_DATA_HOME $stage/ktcall 0312345678"
fi
exec "$stage/kanata195" "$@"
