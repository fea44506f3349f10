#!/usr/bin/env bash
# Non-blank lines of the tests against those of the program's code.
#
#   scripts/test_ratio.sh [LIMIT]     exit 1 when tests exceed LIMIT percent (default 35)
#
# Code is src/, tools/ and web/ (the web host's page and entry); tests are
# tests/ (GoogleTest sources, session scripts, the browser test), without npm
# manifests and installed packages. bench/ and fuzz/ are counted apart and
# take no part in the ratio. Only files git tracks are counted.
set -eu
cd "$(dirname "$0")/.."
limit=${1:-35}
count() {
  git ls-files -- "$@" | grep -E '\.(cpp|h|inc|c|js|html|sh|py|script)$' | grep -v node_modules |
    tr '\n' '\0' | xargs -0 -r cat | grep -cv '^[[:space:]]*$' || true
}
code=$(count src tools web)
tests=$(count tests)
bench=$(count bench)
fuzz=$(count fuzz)
tenths=$((tests * 1000 / code))  # the share in tenths of a percent, rounded down
echo "code (src, tools, web): $code lines; tests: $tests lines = $((tenths / 10)).$((tenths % 10))% (limit $limit%)"
echo "apart from the ratio: bench $bench lines, fuzz $fuzz lines"
[ $((tests * 100)) -le $((limit * code)) ] || { echo "tests are more than $limit% of the code" >&2; exit 1; }
