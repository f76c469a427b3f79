#!/usr/bin/env bash
# A Debug build with AddressSanitizer and UndefinedBehaviorSanitizer, into
# build-sanitized/, runs the unit tests: a use after free, an overflow or
# undefined behaviour fails them even where the result happens to be right.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-packages.sh"
flags="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
cmake -S "$root" -B "$root/build-sanitized" -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$root/build-sanitized" -j"$(nproc)" \
  --target test_shell test_crypto test_store test_cli test_ui store_saver tavrino-cli help_files
cd "$root/build-sanitized"
# Leaks inside the system's libraries (fontconfig, D-Bus, Qt's plugins) are
# theirs; ours are reported.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export LSAN_OPTIONS=suppressions=$root/tools/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The killed-savers test kills within 2 to 42 ms, tuned to the release
# build (a sanitized saver is not done starting by then); the release run has it.
export GTEST_FILTER='-CrashSafety.*'
ctest --output-on-failure -j"$(nproc)" -R '^test_'
