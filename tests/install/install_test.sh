#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks that the program, the manual page and
# the examples land where the file system layout puts them, that the installed program
# runs, and (when groff is installed) that the manual page formats without warnings.
# Usage: install_test.sh CMAKE BUILD_DIR SOURCE_DIR
set -euo pipefail
cmake_command=$1 build=$2 source=$3
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

"$cmake_command" --install "$build" --prefix "$prefix" > "$prefix/install.log"

fail() { echo "FAIL: $*" >&2; exit 1; }
[ -x "$prefix/bin/quorel" ] || fail "bin/quorel missing or not executable"
[ -f "$prefix/share/man/man1/quorel.1" ] || fail "share/man/man1/quorel.1 missing"
examples=$(ls "$source"/examples/*.dat | wc -l)
installed=$(ls "$prefix"/share/quorel/examples/*.dat 2>/dev/null | wc -l)
[ "$installed" -eq "$examples" ] || fail "$installed of $examples examples installed"
[ -f "$prefix/share/quorel/examples/README.md" ] || fail "the examples' README missing"
if [ -x "$build/quorel-gui" ]; then
  [ -x "$prefix/bin/quorel-gui" ] || fail "quorel-gui was built but not installed"
fi

# The Python package, when it was built: the module, its Python half and its typing stub in
# one folder of the prefix's site-packages, importable from there.
if [ -d "$build/python/quorel" ]; then
  package=$(find "$prefix/lib" -type d -path '*-packages/quorel' | head -n 1)
  [ -n "$package" ] || fail "the Python package was built but not installed"
  for file in __init__.py __init__.pyi py.typed; do
    [ -f "$package/$file" ] || fail "the Python package lacks $file"
  done
  ls "$package"/_quorel*.so > /dev/null 2>&1 || fail "the Python package lacks its module"
  python=$(sed -n 's/^Python3_EXECUTABLE:[A-Z]*=//p' "$build/CMakeCache.txt")
  (cd "$prefix" && PYTHONPATH=$(dirname "$package") "${python:-python3}" -c 'import quorel; quorel.version()') \
    || fail "the installed Python package does not import"
fi

"$prefix/bin/quorel" --version | grep -q '^quorel ' || fail "the installed quorel does not run"
cd "$prefix"
"$prefix/bin/quorel" -q --sample-size 10 --data share/quorel/examples/knoke_bureaucracies.dat --report knoke.out \
  > /dev/null || fail "the installed quorel cannot analyse an installed example"
grep -q '^PARTIAL ALGEBRAS FOR COMPLETE NETWORKS' knoke.out || fail "no report"

# Every option of --help is described in the manual page.
for option in $("$prefix/bin/quorel" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
  grep -q -- "$(printf '%s' "$option" | sed 's/-/\\\\-/g')" "$prefix/share/man/man1/quorel.1" \
    || fail "the manual page does not describe $option"
done

if command -v groff > /dev/null; then
  warnings=$(groff -man -Tutf8 -ww -z "$prefix/share/man/man1/quorel.1" 2>&1)
  [ -z "$warnings" ] || fail "groff: $warnings"
fi
echo "installed and checked under $prefix"
