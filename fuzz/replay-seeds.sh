#!/usr/bin/env bash
# Replays the generated seed corpus through every fuzz target's checks under
# Valgrind memcheck: hostile files must not make the readers touch bytes the
# file did not supply, nor leak.
#   replay-seeds.sh <lum_fuzz_seeds> <lum_replay_hotspot> <lum_replay_skin> <lum_replay_line_edit> <valgrind>
set -euo pipefail
seeds=$1 valgrind=$5
declare -A programs=([hotspot]=$2 [skin]=$3 [line_edit]=$4)
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
mkdir "$folder/hotspot" "$folder/skin" "$folder/line_edit"
"$seeds" "$folder/hotspot" "$folder/skin" "$folder/line_edit"
export TMPDIR=$folder
for target in hotspot skin line_edit; do
  program=${programs[$target]}
  "$valgrind" --quiet --leak-check=full --errors-for-leak-kinds=definite,indirect --error-exitcode=1 \
    --track-origins=yes "$program" "$folder/$target"/*
done
