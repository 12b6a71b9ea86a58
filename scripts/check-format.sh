#!/usr/bin/env bash
# Fails when a C++ source of the project differs from what clang-format 14 makes of it with
# the repository's .clang-format, and shows the difference.
set -euo pipefail
cd "$(dirname "$0")/.."
format=clang-format-14
command -v "$format" >/dev/null || format=clang-format
"$format" --version | grep -q 'version 14\.' || {
  echo "clang-format 14 is needed (scripts/install-deps.sh installs it)" >&2
  exit 1
}
mapfile -t files < <(git ls-files '*.cpp' '*.h')
failed=0
for file in "${files[@]}"; do
  if ! "$format" --style=file "$file" | diff -u --label "$file" --label "$file (clang-format)" "$file" -; then
    failed=1
  fi
done
if [ "$failed" -ne 0 ]; then
  echo "Format differs from clang-format; run: $format -i FILE" >&2
  exit 1
fi
echo "format: ${#files[@]} files as clang-format has them"
