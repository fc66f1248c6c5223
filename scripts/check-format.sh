#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what .clang-format makes of it.
# With --fix, rewrites those files instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
fix=false
[ "${1:-}" = "--fix" ] && fix=true
mapfile -t files < <(git ls-files -- '*.cpp' '*.h' 2>/dev/null || find src tools tests bench fuzz -name '*.cpp' -o -name '*.h' 2>/dev/null)
if $fix; then
    clang-format -i "${files[@]}"
    exit 0
fi
differing=()
for f in "${files[@]}"; do
    clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || differing+=("$f")
done
if [ ${#differing[@]} -gt 0 ]; then
    echo "check-format: ${#differing[@]} file(s) differ from .clang-format (run scripts/check-format.sh --fix):" >&2
    printf '  %s\n' "${differing[@]}" >&2
    exit 1
fi
echo "check-format: ${#files[@]} files match .clang-format"
