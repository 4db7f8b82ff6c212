#!/usr/bin/env bash
# Usage: scripts/fuzz.sh TARGET SECONDS [LIBFUZZER OPTIONS]   fuzz one target for as long as asked
#        scripts/fuzz.sh --list                the targets
#        scripts/fuzz.sh --coverage TARGET     line coverage of src/media and the settings file by its corpus
#        scripts/fuzz.sh --keep TARGET         minimize the corpus found so far into tests/fuzz/corpus/TARGET
#
# Builds the libFuzzer targets of tests/fuzz with clang (address and undefined-behaviour
# sanitizers) in $VARLUME_FUZZ_DIR (default build-fuzz), writes the target's seed corpus (small
# valid inputs the target makes itself), then fuzzes with the corpus kept in
# $VARLUME_FUZZ_DIR/corpus/TARGET, so a later run goes on from what earlier runs found. The
# minimized corpus kept in the repository (tests/fuzz/corpus/TARGET, grown with --keep after long
# runs) is read by every run too, so even CI's short runs start where the long ones ended. Inputs
# that break an invariant or crash are saved as $VARLUME_FUZZ_DIR/crashes/TARGET-*; the exit
# status is then non-zero. Set VARLUME_FUZZ_NO_BUILD=1 to use targets already built there (CTest
# does, after the main build has built them).
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
DIR=${VARLUME_FUZZ_DIR:-$ROOT/build-fuzz}

clang_compiler() {
  local c
  for c in clang++ clang++-14; do command -v "$c" >/dev/null && { echo "$c"; return; }; done
  echo "fuzz: clang++ is needed (Debian packages clang and libclang-rt-dev)" >&2
  exit 1
}

build() {  # build DIRECTORY [cmake options]
  local dir=$1; shift
  [[ ${VARLUME_FUZZ_NO_BUILD:-0} == 1 ]] && return
  cmake -S "$ROOT/tests/fuzz" -B "$dir" -DCMAKE_CXX_COMPILER="$(clang_compiler)" "$@" >/dev/null
  cmake --build "$dir" -j"$(nproc)" >/dev/null
}

seeds() {  # seeds BINARY DIRECTORY
  rm -rf "$2"
  VARLUME_FUZZ_SEEDS="$2" "$1"
}

case ${1:-} in
  --list)
    build "$DIR"
    tr ';' '\n' < "$DIR/targets.txt"
    ;;
  --coverage)
    TARGET=${2:?usage: $0 --coverage TARGET}
    COV="$DIR-coverage"
    build "$COV" -DVARLUME_FUZZ_COVERAGE=ON
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    # The seeds are written outside the profile: only the corpus counts.
    LLVM_PROFILE_FILE="$work/seeds.unused" seeds "$COV/$TARGET" "$work/seeds"
    mkdir -p "$DIR/corpus/$TARGET"
    # Every input of the corpus and the seeds once, no fuzzing.
    LLVM_PROFILE_FILE="$work/%p.profraw" "$COV/$TARGET" -runs=0 "$DIR/corpus/$TARGET" "$work/seeds" 2>/dev/null
    llvm=$(dirname "$(readlink -f "$(command -v "$(clang_compiler)")")")
    "$llvm/llvm-profdata" merge -sparse "$work"/*.profraw -o "$work/merged.profdata"
    "$llvm/llvm-cov" report "$COV/$TARGET" -instr-profile="$work/merged.profdata" "$ROOT"/src/media/*.cpp \
      "$ROOT"/src/host/settings_file.cpp
    ;;
  --keep)
    TARGET=${2:?usage: $0 --keep TARGET}
    build "$DIR"
    kept="$ROOT/tests/fuzz/corpus/$TARGET"
    mkdir -p "$kept" "$DIR/corpus/$TARGET"
    rm -rf "$kept.new" && mkdir "$kept.new"
    # -merge keeps the smallest set of inputs that reaches every feature of both corpora; inputs
    # are cut at 1 KB, so the kept corpus stays small (the runs grow them again up to 8 KB).
    "$DIR/$TARGET" -merge=1 -max_len=1024 "$kept.new" "$kept" "$DIR/corpus/$TARGET" 2>/dev/null
    rm -rf "$kept" && mv "$kept.new" "$kept"
    echo "$TARGET: $(ls "$kept" | wc -l) inputs, $(du -sk "$kept" | cut -f1) KB in $kept"
    ;;
  ""|-*)
    sed -n '2,5p' "$0" >&2
    exit 2
    ;;
  *)
    TARGET=$1
    SECONDS_TO_RUN=${2:?usage: $0 TARGET SECONDS}
    shift 2
    build "$DIR"
    BIN="$DIR/$TARGET"
    [[ -x $BIN ]] || { echo "fuzz: no target '$TARGET' (see --list)" >&2; exit 2; }
    seeds "$BIN" "$DIR/seeds/$TARGET"
    mkdir -p "$DIR/corpus/$TARGET" "$DIR/crashes"
    kept=()
    [[ -d $ROOT/tests/fuzz/corpus/$TARGET ]] && kept=("$ROOT/tests/fuzz/corpus/$TARGET")
    # -timeout: one input that runs longer than 10 s is a hang, and fails like a crash.
    exec "$BIN" -max_total_time="$SECONDS_TO_RUN" -timeout=10 -rss_limit_mb=3072 -max_len=8192 \
      -print_final_stats=1 -artifact_prefix="$DIR/crashes/$TARGET-" "$@" \
      "$DIR/corpus/$TARGET" "$DIR/seeds/$TARGET" "${kept[@]}"
    ;;
esac
