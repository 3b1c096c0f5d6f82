#!/usr/bin/env bash
# Set-up, build and run in one step on a fresh Debian 12 machine.
#   ./do demo [DIR]   build the renderer and render the demo signals into DIR (default demo-out)
#   ./do test         build everything, run the tests, then again under ASan/UBSan, then
#                     the tests that use threads under TSan
#   ./do install      build the LV2 bundle and copy it into ~/.lv2 (or LV2_PATH's first entry)
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake g++ make pkg-config libgtest-dev libbenchmark-dev libsndfile1-dev libplist-dev
          libcairo2-dev libfontconfig-dev fonts-liberation2 libpng-dev zlib1g-dev
          libx11-dev lv2-dev liblilv-dev
          # the LV2 tools and hosts the tests drive, and the X server they and the editor's
          # window tests use, with the tools that find and photograph a host's windows
          lilv-utils sordi jalv jackd2 ardour xvfb xdotool x11-utils imagemagick)

install_missing() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}

jobs=$(nproc 2>/dev/null || echo 2)

build() { # build DIR [cmake options...]
  local dir=$1; shift
  cmake -S . -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
}

case "${1:-}" in
  demo)
    install_missing
    build build -DCMAKE_BUILD_TYPE=Release
    build/tools/ostrakon demo "${2:-demo-out}"
    ;;
  test)
    install_missing
    build build -DCMAKE_BUILD_TYPE=Release
    ctest --test-dir build --output-on-failure -j"$jobs"
    build build-asan -DCMAKE_BUILD_TYPE=Debug -DOSTRAKON_SANITIZE=ON -DOSTRAKON_BENCH=OFF
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
      ctest --test-dir build-asan --output-on-failure -j"$jobs"
    # Only the threaded test binaries. Address-space randomisation off where allowed:
    # some kernels randomise more than ThreadSanitizer's fixed layout tolerates.
    build build-tsan -DCMAKE_BUILD_TYPE=Release -DOSTRAKON_THREAD_SANITIZE=ON -DOSTRAKON_BENCH=OFF
    norandom=()
    setarch "$(uname -m)" -R true 2>/dev/null && norandom=(setarch "$(uname -m)" -R)
    TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
      "${norandom[@]}" ctest --test-dir build-tsan --output-on-failure -j"$jobs"
    ;;
  install)
    install_missing
    cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build build -j"$jobs" --target ostrakon_lv2_bundle
    lv2_path=${LV2_PATH:-}
    dest=${lv2_path%%:*}
    [ -n "$dest" ] || dest="$HOME/.lv2"
    mkdir -p "$dest"
    rm -rf "$dest/ostrakon.lv2"
    cp -R build/lib/lv2/ostrakon.lv2 "$dest/"
    echo "Installed $dest/ostrakon.lv2"
    ;;
  *)
    echo "usage: ./do demo [DIR] | ./do test | ./do install" >&2
    exit 2
    ;;
esac
