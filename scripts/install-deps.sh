#!/usr/bin/env bash
# Installs the system packages that building and testing Carvolin need, on
# Debian or Ubuntu. Only missing packages are installed; nothing happens when
# everything is there already.
set -euo pipefail

required=(
    build-essential cmake ninja-build pkg-config git
    clang libclang-rt-dev clang-format
    libgtest-dev libbenchmark-dev
    libasound2-dev libfreetype-dev libfontconfig1-dev
    libx11-dev libxcomposite-dev libxcursor-dev libxext-dev libxinerama-dev libxrandr-dev libxrender-dev
    fonts-dejavu-core
    xvfb xauth x11-utils xdotool imagemagick
    python3 python3-mido midicsv lilv-utils serdi sordi lv2-dev
    pulseaudio libasound2-plugins
    ardour
)

# JUCE itself: Debian's package where there is one; otherwise CMake fetches it.
optional=(juce-modules-source)

if ! command -v dpkg-query >/dev/null 2>&1; then
    echo "install-deps: not a Debian or Ubuntu system; install the packages listed in $0 by hand." >&2
    exit 0
fi

missing() {
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || echo "$pkg"
    done
}

mapfile -t need < <(missing "${required[@]}")
mapfile -t want < <(missing "${optional[@]}")
[ ${#need[@]} -eq 0 ] && [ ${#want[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null 2>&1 || { echo "install-deps: need root or sudo to install: ${need[*]} ${want[*]}" >&2; exit 1; }
    sudo="sudo"
fi

echo "install-deps: installing ${need[*]} ${want[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
if [ ${#need[@]} -gt 0 ]; then
    $sudo apt-get install -y -q --no-install-recommends "${need[@]}"
fi
for pkg in "${want[@]}"; do
    $sudo apt-get install -y -q --no-install-recommends "$pkg" \
        || echo "install-deps: $pkg is not available here; CMake will fetch JUCE instead."
done
