#!/usr/bin/env bash
# Builds everything under the address and undefined-behaviour sanitizers and
# runs every test. Benchmarks are built, not run (see bench/README.md).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
build="$root/build/test"
"$root/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=Debug -DKANATA_SANITIZE=ON
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
# intercept_tls_get_addr=0: GCC 12's leak checker follows a dynamic-TLS
# range that printing (CUPS) leaves behind and crashes at exit ("Tracer
# caught signal 11"); without the interception it scans static TLS only.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:intercept_tls_get_addr=0"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$build"
ctest --output-on-failure -j2 --timeout 600
