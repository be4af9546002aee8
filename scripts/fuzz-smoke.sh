#!/usr/bin/env bash
# Builds the libFuzzer targets in build-fuzz/ (clang, ASan + UBSan on every library) and runs
# each for a short, bounded time over a scratch copy of its seed corpus.
#   FUZZ_SECONDS  time per target (default 20)
#   FUZZ_JOBS     build parallelism (default: number of cores)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-20}"
jobs="${FUZZ_JOBS:-$(nproc)}"
shared="${FERROWICK_SHARED_DIR:-$(pwd)/../shared}"
sanitize="-fsanitize=address,undefined -fsanitize=fuzzer-no-link -fno-sanitize-recover=undefined -fno-omit-frame-pointer"

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DFERROWICK_FUZZ=ON -DFERROWICK_TESTS=OFF -DFERROWICK_GUI=OFF \
  -DCMAKE_C_FLAGS="$sanitize" -DCMAKE_CXX_FLAGS="$sanitize" >/dev/null
targets=$(cmake --build build-fuzz --target help | sed -n 's/^\([a-z0-9_]*_fuzz\):.*/\1/p' | sort -u)
if [ -z "$targets" ]; then
  echo "fuzz-smoke: no fuzz targets" >&2
  exit 1
fi
# shellcheck disable=SC2086
cmake --build build-fuzz --target $targets -j"$jobs"

# Seeds for a target: the corpus folders its name points at.
seed_dirs() {
  case "$1" in
    *msg*) echo "$shared/corpus/msg $shared/corpus/msg-malformed" ;;
    *pst*) echo "$shared/corpus/pst" ;;
    *) echo "" ;;
  esac
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for target in $targets; do
  corpus="$work/$target"
  mkdir -p "$corpus"
  n=0
  for dir in $(seed_dirs "$target"); do
    [ -d "$dir" ] || continue
    while IFS= read -r -d '' seed; do  # numbered: the corpus repeats file names
      n=$((n + 1))
      cp "$seed" "$corpus/$n-$(basename "$seed")"
    done < <(find "$dir" -type f ! -name '*.txt' ! -name '*.md' ! -name '*.tsv' -print0)
  done
  binary=$(find build-fuzz -type f -name "$target" -perm -u+x | head -n1)
  echo "== $target: ${seconds}s over $(find "$corpus" -type f | wc -l) seeds"
  if ! (cd "$work" && "$OLDPWD/$binary" "$corpus" -max_total_time="$seconds" -rss_limit_mb=1024 \
        -timeout=10 -max_len=262144 -print_final_stats=1 2>"$work/$target.log"); then
    status=1
    echo "fuzz-smoke: $target found a problem:" >&2
    tail -n 60 "$work/$target.log" >&2
    mkdir -p build-fuzz/findings
    cp "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-* build-fuzz/findings/ 2>/dev/null || true
  else
    grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$work/$target.log" | sed "s/^/  /"
  fi
done
exit $status
