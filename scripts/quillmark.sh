#!/bin/bash
# Installs what is missing, builds, and then starts Quillmark2013 ("start")
# or runs the whole test suite ("test"). Run as root on Debian 12 (or with
# the packages already installed).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$here/build"
action=${1:-start}

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-qpa-plugins libsqlite3-dev sqlite3
  libgtest-dev libgmock-dev
  texlive-base texlive-binaries tex-common texlive-fonts-recommended
  texlive-latex-base texlive-latex-recommended texlive-latex-extra texlive-plain-generic
  texlive-font-utils lcdf-typetools t1utils fonts-lmodern lmodern ghostscript fonts-dejavu-core
  zip unzip xvfb xauth xdotool curl file python3 poppler-utils fonts-urw-base35 fonts-texgyre
  dvipng ps2eps texlive-pstricks hyperfine
  xdg-utils openssl libssl-dev openbox xterm x11-utils
)

install_missing() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        if [ "$(id -u)" -ne 0 ]; then
            echo "These packages are missing and installing them needs root: ${missing[*]}" >&2
            exit 1
        fi
        apt-get update
        DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
    fi
}

build_all() {
    cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build "$build" --parallel "$(nproc)"
}

install_missing
build_all

case "$action" in
  start)
    program="$build/Quillmark2013/Quillmark2013"
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        echo "No display found: starting Quillmark2013 under Xvfb (a virtual display)."
        exec xvfb-run -a -s "-screen 0 1280x1024x24" "$program"
    fi
    exec "$program"
    ;;
  test)
    cd "$build"
    ctest --output-on-failure --parallel "$(nproc)" --timeout 600
    ;;
  *)
    echo "usage: $0 start|test" >&2
    exit 2
    ;;
esac
