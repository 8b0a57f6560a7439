#!/usr/bin/env bash
# Installs the build into a scratch prefix, builds an outside project against the installed
# CMake package (find_package(Quorel), Quorel::quorel) and checks that it reproduces the
# installed quorel's report through ReadNetworks and Analyze.
# Usage: package_test.sh CMAKE BUILD_DIR SOURCE_DIR
set -euo pipefail
cmake_command=$1 build=$(cd "$2" && pwd) source=$(cd "$3" && pwd)
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$cmake_command" --install "$build" --prefix "$prefix" > "$prefix/install.log"
[ -f "$prefix/include/quorel/quorel.hpp" ] || fail "include/quorel/quorel.hpp missing"
[ -f "$prefix/lib/cmake/Quorel/QuorelConfig.cmake" ] || fail "the CMake package is missing"

"$cmake_command" -S "$source/tests/install/consumer" -B "$prefix/consumer-build" -DCMAKE_PREFIX_PATH="$prefix" \
  > "$prefix/consumer.log" 2>&1 || { cat "$prefix/consumer.log"; fail "the outside project does not configure"; }
"$cmake_command" --build "$prefix/consumer-build" > "$prefix/consumer-build.log" 2>&1 \
  || { cat "$prefix/consumer-build.log"; fail "the outside project does not build"; }

cd "$prefix"
data="$source/examples/wolfe_primates.dat"
"$prefix/consumer-build/consumer" "$data" library.out > numbers.txt || fail "the outside project's analysis failed"
"$prefix/bin/quorel" -q --sample-size 100 --factor-omega --permutation-strategy pairs --data "$data" \
  --report quorel.out > /dev/null || fail "the installed quorel failed"
cmp -s library.out quorel.out || fail "the library's report differs from the command line's"
grep -q '^elements [0-9]* kappa(1,2) ' numbers.txt || fail "no numbers from the library: $(cat numbers.txt)"
echo "the outside project reproduces the command line's report: $(cat numbers.txt)"
