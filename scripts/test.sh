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

# The readers of outside bytes under libFuzzer (AddressSanitizer and
# UndefinedBehaviorSanitizer), each for KANATA_FUZZ_SECONDS (default 20) on
# its committed seeds; in a clang tree of their own (see fuzz/CMakeLists.txt).
fuzz="$root/build/fuzz"
cmake -S "$root/fuzz" -B "$fuzz" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
    -DKANATA_FUZZ_SECONDS="${KANATA_FUZZ_SECONDS:-20}" >/dev/null
cmake --build "$fuzz" -j2
cd "$fuzz"
ctest --output-on-failure -j2
