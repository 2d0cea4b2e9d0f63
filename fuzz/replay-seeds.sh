#!/usr/bin/env bash
# Replays the generated seed corpus through every fuzz target's checks under
# Valgrind memcheck: hostile files must not make the readers touch bytes the
# file did not supply, nor leak.
#   replay-seeds.sh <lum_fuzz_seeds> <lum_replay_hotspot> <lum_replay_skin> <lum_replay_line_edit>
#                   <lum_replay_levelling> <valgrind>
set -euo pipefail
seeds=$1 valgrind=$6
declare -A programs=([hotspot]=$2 [skin]=$3 [line_edit]=$4 [levelling]=$5)
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
mkdir "$folder/hotspot" "$folder/skin" "$folder/line_edit" "$folder/levelling"
"$seeds" "$folder/hotspot" "$folder/skin" "$folder/line_edit" "$folder/levelling"
export TMPDIR=$folder
for target in hotspot skin line_edit levelling; do
  program=${programs[$target]}
  "$valgrind" --quiet --leak-check=full --errors-for-leak-kinds=definite,indirect --error-exitcode=1 \
    --track-origins=yes "$program" "$folder/$target"/*
done
