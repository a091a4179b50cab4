#!/usr/bin/env bash
# Sets up, then builds and runs the tests twice:
#  1. under ASan+UBSan, every test (the benchmarks are built too, so they keep compiling);
#  2. the core and ax7ctl alone (no Qt, no hidapi) under ThreadSanitizer, so a Qt include in the
#     core or a data race in its threads fails.
# A plain build of the same tests finds little these two miss, and would take the run past half
# an hour on a two-core machine.
set -euo pipefail
cd "$(dirname "$0")/.."
stage() { echo "== $1 (${SECONDS} s so far)"; }
stage setup
scripts/setup.sh
jobs=$(nproc)
# A compiler cache keeps reruns short. It lives in the build folder (unless CCACHE_DIR says
# otherwise), so a fresh clone starts from nothing and never picks up another checkout's objects.
launcher=()
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1 CCACHE_DIR="${CCACHE_DIR:-$PWD/build/ccache}"
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
# Line tables are all the tests' stack traces and the sanitizers' reports need; full debug
# information made compiling and linking a third slower.
asan_flags=(-DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-g1" -DAX7_SANITIZE=address)
# ThreadSanitizer needs some optimisation to run at a useful speed; -O1 is enough for it and
# compiles a fifth faster than -O2.
tsan_flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG"
            -DAX7_SANITIZE=thread -DAX7_WITH_GUI=OFF -DAX7_WITH_HIDAPI=OFF -DAX7_BUILD_BENCH=OFF)

build_and_test() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "${launcher[@]}" "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  ctest --test-dir "$dir" --output-on-failure -j"$jobs"
}

stage "ASan+UBSan build and tests"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  build_and_test build-asan "${asan_flags[@]}"
stage "TSan build and tests"
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 build_and_test build-tsan "${tsan_flags[@]}"
stage done
