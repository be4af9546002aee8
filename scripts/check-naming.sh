#!/usr/bin/env bash
# Checks the names of the project's C++ files against .clang-tidy (the naming check only) with
# Debian 12's clang-tidy 14, over the translation units of BUILD/compile_commands.json (two at
# a time) and the headers they include. Lists every finding and exits 1 when there is any, 0
# when none, 2 when it cannot check.
#
#   scripts/check-naming.sh [-p BUILD] [FOLDER...]        report, for FOLDERs (default: all)
#   scripts/check-naming.sh [-p BUILD] --fix FOLDER...    rename what FOLDERs declare
#
# --fix reads every translation unit, so that a rename reaches each file that uses the name,
# in any folder, and renames only names that are declared in FOLDERs. Build again and run
# the tests afterwards: a rename can clash with a name that already exists. BUILD may be the
# MinGW cross build (build-win), whose database alone holds winui/.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=build
fix=0
folders=()
while [ $# -gt 0 ]; do
  case "$1" in
    -p) build=$2; shift 2 ;;
    --fix) fix=1; shift ;;
    -h|--help) sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "check-naming: unknown option $1" >&2; exit 2 ;;
    *) folders+=("${1%/}"); shift ;;
  esac
done
if [ $fix -eq 1 ] && [ ${#folders[@]} -eq 0 ]; then
  echo "check-naming: --fix needs the folders whose names to fix" >&2
  exit 2
fi
tidy="" runner="" apply=""
for c in clang-tidy-14 clang-tidy; do command -v "$c" >/dev/null 2>&1 && { tidy=$c; break; }; done
for c in run-clang-tidy-14 run-clang-tidy; do command -v "$c" >/dev/null 2>&1 && { runner=$c; break; }; done
for c in clang-apply-replacements-14 clang-apply-replacements; do
  command -v "$c" >/dev/null 2>&1 && { apply=$c; break; }
done
if [ -z "$tidy" ] || [ -z "$runner" ] || [ -z "$apply" ]; then
  echo "check-naming: clang-tidy is not installed (scripts/install-deps.sh installs it)" >&2
  exit 2
fi
if [ ! -f "$build/compile_commands.json" ]; then
  echo "check-naming: no $build/compile_commands.json: configure the build first" >&2
  exit 2
fi
# The project's top-level folders (those with sources; not the build's generated code).
mapfile -t all < <(git ls-files -- '*.cpp' '*.hpp' '*.h' | grep / | cut -d/ -f1 | sort -u)
[ ${#folders[@]} -eq 0 ] && folders=("${all[@]}")
for f in "${folders[@]}"; do
  if [ ! -d "$f" ] || [[ "$f" == */* ]]; then
    echo "check-naming: $f is not a top-level folder of the project" >&2
    exit 2
  fi
done
alternatives=$(IFS='|'; echo "${folders[*]}")
headers="^$root/($alternatives)/"
# Findings only in the chosen folders' files, through clang-tidy's line filter.
line_filter=$(git ls-files -- "${folders[@]/%//}" | grep -E '\.(cpp|hpp|h)$' |
  sed 's|.*|{"name":"'"$root"'/&"}|' | paste -sd, | sed 's/^/[/; s/$/]/')
if [ $fix -eq 1 ]; then
  units="^$root/($(IFS='|'; echo "${all[*]}"))/"   # every user of a name
else
  units=$headers
fi
units="$units.*\.cpp\$"   # C++ only: a Windows build's database lists its resource scripts too
args=(-p "$build" -j 2 -quiet -clang-tidy-binary "$(command -v "$tidy")"
      -checks='-*,readability-identifier-naming' -header-filter="$headers" -line-filter="$line_filter")
# A MinGW cross build's database (build-win): clang reads it as the Windows target, with the
# cross compiler's C++ library headers, which clang does not find under GCC's "12-posix".
cxx=$(grep -m1 -oE '"(command|arguments)": *\[? *"?[^ ",]+' "$build/compile_commands.json" | grep -oE '[^ "\[]+$')
if [[ "$cxx" == *mingw32-* ]]; then
  target=$(basename "$cxx" | grep -oE '^[a-z0-9_]+-w64-mingw32')
  args+=(-extra-arg-before="--target=$target" -extra-arg=-nostdinc++)
  while read -r dir; do
    args+=(-extra-arg="-isystem$dir")
  done < <(echo | "$cxx" -xc++ -E -v - 2>&1 | sed -n '/#include <...> search starts/,/End of search/p' |
           sed -n 's/^ \(.*\/c++.*\)$/\1/p')
fi
if [ $fix -eq 1 ]; then
  args+=(-fix -clang-apply-replacements-binary "$(command -v "$apply")")
fi
output=$("$runner" "${args[@]}" "$units" 2>&1 | sed "s/\x1b\[[0-9;]*m//g")
status=$?
findings=$(printf '%s\n' "$output" | grep -E 'warning: .*\[readability-identifier-naming\]' | sort -u)
if [ $status -ne 0 ] && [ -z "$findings" ]; then
  printf '%s\n' "$output" | grep -E 'error:' | head -20 >&2
  echo "check-naming: clang-tidy failed" >&2
  exit 2
fi
if [ -n "$findings" ]; then
  printf '%s\n' "$findings" | sed "s|^$root/||"
  count=$(printf '%s\n' "$findings" | wc -l)
  if [ $fix -eq 1 ]; then
    echo "check-naming: renamed $count names; build and run the tests to confirm" >&2
    exit 0
  fi
  echo "check-naming: $count names differ from .clang-tidy" >&2
  exit 1
fi
exit 0
