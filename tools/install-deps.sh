#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the tools need, and
# only those that are missing. Run as root (or with sudo) on Debian 12.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev
  libicu-dev zlib1g-dev ccache
  # zip archives, fonts and pictures of the office and PDF formats
  libminizip-dev libdeflate-dev libfreetype-dev libfontconfig-dev libpng-dev libjpeg-dev libgif-dev
  fonts-liberation2 fonts-crosextra-carlito fonts-dejavu-core fonts-droid-fallback
  # fuzzing (libFuzzer comes with clang's runtime)
  clang libclang-rt-14-dev
  # independent reader and writer of Paradox tables for tests and tools
  pxlib-dev
  # peers and measurement for the benchmark
  sqlite3 libsqlite3-dev time
  # opening and printing results (platform/shell)
  xdg-utils cups-client
  # independent readers of the text formats in tests
  libreoffice-calc libreoffice-writer libreoffice-base-drivers
  python3-xlrd python3-olefile python3-openpyxl python3-docx python3-odf python-odf-tools
  python3-dbfread python3-dbf poppler-utils qpdf libxml2-utils jq
  texlive-latex-base texlive-latex-recommended chromium
  # database servers the SQL scripts are run on (started by the tests)
  postgresql mariadb-server
  # the Debian package and its checks
  lintian desktop-file-utils dpkg-dev file man-db
  # the XLSX peer of the benchmark
  libxlsxwriter-dev
  # independent readers of Access files, and JSON for their output in tests
  mdbtools nlohmann-json3-dev
  # the desktop program, its offscreen tests, screenshots and the X11 clipboard check
  qt6-base-dev xvfb xauth xclip
  # rounding cross-check of the number formatting (Python's decimal module)
  python3
)

# --- npm: the mdb-reader package the Access writer's tests read files with ---
# Installed into tests/platform/jet/node/node_modules (not committed), only
# when it is missing; node and npm come from Debian when absent.
install_jet_test_reader() {
  local dir=tests/platform/jet/node
  [[ -f "$dir/node_modules/mdb-reader/package.json" ]] && return 0
  if ! command -v npm >/dev/null; then
    local sudo=
    [[ $(id -u) -ne 0 ]] && sudo=sudo
    DEBIAN_FRONTEND=noninteractive $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends nodejs npm
  fi
  echo "Installing mdb-reader for the Access writer's tests" >&2
  (cd "$dir" && npm install --no-audit --no-fund --silent)
}
(cd "$(dirname "$0")/.." && install_jet_test_reader)
# --- end of the npm block ---

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "Installing missing packages: ${missing[*]}" >&2
if [[ $(id -u) -ne 0 ]]; then
  if command -v sudo >/dev/null; then
    SUDO=sudo
  else
    echo "error: these packages are missing and installing them needs root: ${missing[*]}" >&2
    exit 1
  fi
else
  SUDO=
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
