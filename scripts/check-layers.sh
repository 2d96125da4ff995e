#!/usr/bin/env bash
# Fails when a source folder includes a header of a layer above it. The libraries'
# links already refuse most such includes; a header-only one would slip through them.
set -euo pipefail
cd "$(dirname "$0")/../src"

declare -A allowed=(
    [core]="core"
    [engine]="core engine"
    [store]="core engine store"
    [platform]="core platform"
    [tray]="core platform tray"
    [editors]="core engine store platform editors"
    [dialogs]="core engine store platform editors dialogs"
    [main_window]="core engine store platform tray editors dialogs main_window"
    [app]="core engine store platform tray editors dialogs main_window app"
    [table_tool]="core engine store table_tool"
)

failed=0
for folder in "${!allowed[@]}"; do
    while IFS= read -r line; do
        included=${line#*#include \"}
        layer=${included%%/*}
        [ -d "$layer" ] || continue
        if [[ " ${allowed[$folder]} " != *" $layer "* ]]; then
            echo "src/$line: $folder may not include $layer" >&2
            failed=1
        fi
    done < <(grep -rn '#include "[a-z_]*/' "$folder" || true)
done
exit "$failed"
