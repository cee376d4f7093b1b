#!/usr/bin/env bash
# Fails when a source includes a header of a folder its layer may not use:
#   core <- (grid, dialogs) <- (journal, reports, admin, backup, about) <- app
# Tools use core and backup; tests and benchmarks may use anything.
#   scripts/check_layering.sh [SOURCE_DIR]
set -euo pipefail
root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"
cd "$root"

declare -A allowed=(
  [core]="core"
  [grid]="core grid"
  [dialogs]="core dialogs"
  [journal]="core grid dialogs journal"
  [reports]="core grid dialogs reports"
  [admin]="core grid dialogs admin"
  [backup]="core dialogs backup"
  [about]="core dialogs about"
  [app]="core grid dialogs journal reports admin backup about app"
  [tools]="core backup tools"
)

status=0
for folder in "${!allowed[@]}"; do
  [ -d "$folder" ] || continue
  while IFS= read -r -d '' file; do
    while IFS= read -r target; do
      ok=0
      for a in ${allowed[$folder]}; do [ "$target" = "$a" ] && ok=1; done
      if [ "$ok" = 0 ]; then
        echo "$file includes a header of $target/, which $folder/ may not use" >&2
        status=1
      fi
    done < <(sed -n 's|^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([a-z_]*\)/.*|\1|p' "$file" | sort -u)
  done < <(find "$folder" -type f \( -name '*.h' -o -name '*.cpp' \) -print0)
done
[ "$status" = 0 ] && echo "layering: every include follows core <- grid, dialogs <- features <- app"
exit "$status"
