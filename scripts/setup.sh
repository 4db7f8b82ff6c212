#!/usr/bin/env bash
# Usage: scripts/setup.sh [--run | --test | --test-sanitized | --build]
#
# One step from a fresh Debian machine: installs the Debian packages the project needs,
# fetches the machine ROM images beside the binaries, configures and builds, then
#   --run   starts the emulator (default),
#   --test  runs every test (CTest; the ROM-based tests need the images fetched here; the fuzz
#           targets are built with clang and each fuzzed for 30 s after the other tests),
#   --test-sanitized  builds everything once more in build-sanitized with the address and
#           undefined-behaviour sanitizers (any report ends the program) and runs every test
#           there, less the fuzz targets (sanitized already) and the benchmark (not a test),
#   --build stops after the build.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${VARLUME_BUILD_DIR:-$ROOT/build}
MODE=${1:---run}

PACKAGES=(cmake g++ make pkg-config googletest libgtest-dev libbenchmark-dev
          qt6-base-dev libsdl2-dev libsimpleini-dev libpng-dev p7zip-full nlohmann-json3-dev
          clang libclang-rt-dev help2man dpkg-dev)

install_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  # Node.js may come from elsewhere with npm inside it: only the commands matter.
  command -v node >/dev/null || missing+=(nodejs)
  command -v npm >/dev/null || missing+=(npm)
  [[ ${#missing[@]} -eq 0 ]] && return
  echo "setup: installing ${missing[*]}"
  local sudo=()
  [[ $(id -u) -eq 0 ]] || sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

SANITIZE=(-DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g1"
          -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" -DVARLUME_BUILD_FUZZ=OFF -DVARLUME_BUILD_BENCH=OFF)

build() {
  local options=()
  # The test build is CI's: a warning fails it. (The sanitized build keeps warnings as warnings:
  # the compiler's instrumented code can warn where the plain build does not.)
  [[ $MODE == --test ]] && options+=(-DVARLUME_WERROR=ON)
  if [[ $MODE == --test-sanitized ]]; then
    BUILD=${VARLUME_SANITIZED_BUILD_DIR:-$ROOT/build-sanitized}
    options+=("${SANITIZE[@]}")
  fi
  cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release "${options[@]}" >/dev/null
  cmake --build "$BUILD" -j"$(nproc)"
}

install_packages
build
bash "$ROOT/scripts/fetch-roms.sh" "$BUILD/bin"

case $MODE in
  --run) exec "$BUILD/bin/varlume" "${@:2}" ;;
  --test|--test-sanitized)
    export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
    # Memory that Qt's own libraries keep for the whole process is not the project's leak.
    export LSAN_OPTIONS=suppressions=$ROOT/tests/sanitizer/lsan.supp
    cd "$BUILD"
    # The fuzz targets take every core for their time: they run after the unit and GUI tests.
    ctest --output-on-failure -j"$(nproc)" -LE fuzz
    exec ctest --output-on-failure -L fuzz --no-tests=ignore ;;
  --build) ;;
  *) echo "usage: $0 [--run | --test | --test-sanitized | --build]" >&2; exit 2 ;;
esac
