#!/bin/sh
# The include check passes on the source tree, passes a tree whose includes follow the
# arrows, and fails, naming the line, on one include against them or one climbing out
# of its folder.
# Usage: check_includes_test.sh SCRIPT SOURCE_TREE
set -u
script=$1
tree=$2
fail() { echo "FAILED: $*"; exit 1; }

"$script" "$tree" || fail "the source tree breaks the arrows"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/base" "$scratch/engine" "$scratch/appearance"
printf '#include "base/dispatch.h"\n#include "progress_test.moc"\n' >"$scratch/engine/scanner.cpp"
printf '#include "base/system_log.h"\n' >"$scratch/appearance/kp_theme.cpp"
"$script" "$scratch" || fail "includes along the arrows were refused"

printf '#include "base/system_log.h"\n#include "engine/dispatch.h"\n' >"$scratch/appearance/kp_theme.cpp"
if "$script" "$scratch" >"$scratch/out"; then fail "appearance/ including engine/ passed"; fi
grep -q '^appearance/kp_theme.cpp:2: ' "$scratch/out" || fail "the wrong line was not named: $(cat "$scratch/out")"
printf '#include "../engine/dispatch.h"\n' >"$scratch/appearance/kp_theme.cpp"
if "$script" "$scratch" >"$scratch/out"; then fail "an include climbing out with ../ passed"; fi
echo "passed"
