#!/usr/bin/env bash
# Replays the generated seed corpus through both fuzz targets' checks under
# Valgrind memcheck: hostile files must not make the readers touch bytes the
# file did not supply, nor leak.
#   replay-seeds.sh <lum_fuzz_seeds> <lum_replay_hotspot> <lum_replay_skin> <valgrind>
set -euo pipefail
seeds=$1 hotspot=$2 skin=$3 valgrind=$4
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
mkdir "$folder/hotspot" "$folder/skin"
"$seeds" "$folder/hotspot" "$folder/skin"
export TMPDIR=$folder
for target in hotspot skin; do
  program=$hotspot
  [ "$target" = skin ] && program=$skin
  "$valgrind" --quiet --leak-check=full --errors-for-leak-kinds=definite,indirect --error-exitcode=1 \
    --track-origins=yes "$program" "$folder/$target"/*
done
