#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when they are missing.
set -eu
packages="cmake ninja-build g++ make pkg-config libsdl2-dev libpng-dev libwebp-dev libgif-dev
libgtest-dev libgmock-dev libbenchmark-dev libcairo2-dev libagg-dev valgrind xvfb xauth xdotool"
# The export tests read SVG back with librsvg and check it with libxml2's parser.
packages="$packages librsvg2-bin libxml2-utils"
# The web page and its browser tests.
packages="$packages emscripten chromium"
command -v node >/dev/null 2>&1 || packages="$packages nodejs npm"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing="$missing $p"
done
# The browser tests' npm packages, pinned by tests/web/package-lock.json.
install_test_packages() {
  web_tests="$(dirname "$0")/../tests/web"
  [ "$web_tests/package-lock.json" -ot "$web_tests/node_modules/.package-lock.json" ] && return 0
  (cd "$web_tests" && npm ci --no-audit --no-fund --loglevel=error)
}
[ -z "$missing" ] && { install_test_packages; exit 0; }
if [ "$(id -u)" -eq 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq && apt-get install -y -qq --no-install-recommends $missing
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  sudo apt-get update -qq && sudo DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
else
  echo "Missing Debian packages. Install them with:" >&2
  echo "  sudo apt-get install$missing" >&2
  exit 1
fi
install_test_packages
