#!/usr/bin/env bash
# The layering rules of docs/ARCHITECTURE.md and the formatting, checked by
# search: prints each breach and exits 1 if there is one.
set -uo pipefail
cd "$(dirname "$0")/.."
failed=0
breach() {  # message, grep output
    if [ -n "$2" ]; then
        echo "architecture: $1:"
        echo "$2"
        failed=1
    fi
}
sources() { git ls-files "$@" | grep -E '\.(cpp|h)$'; }

# The folders that include one another, one "from to" line per pair; each
# folder is its own node, subfolders included.
folder_includes() {
    for f in $(sources platform app gpu render scene image landscape demo tools bench); do
        grep -oE '^#include "[a-z0-9_/]+/[a-z0-9_.]+"' "$f" |
            sed -E 's|^#include "(.*)/[^/]*"$|\1|' | sed "s|^|$(dirname "$f") |"
    done | awk '$1 != $2' | sort -u
}

breach "OpenGL called outside gpu/, render/ and platform/" \
    "$(sources app scene image landscape demo tools | xargs grep -nE '\bgl[A-Z][A-Za-z0-9]*\s*\(')"
breach "the GPU device layer reaches up into the scene or the frame" \
    "$(sources gpu | xargs grep -nE '#include "(app|render|scene|image|landscape|demo|tools)/')"
breach "the scene or the images reach up into the frame" \
    "$(sources scene image | xargs grep -nE '#include "render/')"
breach "the images reach up into the scene" \
    "$(sources image | xargs grep -nE '#include "scene/')"
breach "app/ includes demo/ or a program" \
    "$(sources app | xargs grep -nE '#include "(demo|tools)/')"
breach "the renderer, scene, images or landscape reach up into app/ or demo/" \
    "$(sources render scene image landscape | xargs grep -nE '#include "(app|demo)/')"
breach "the core (app/ below the main loop) reaches up" \
    "$(sources app | grep -vE '^app/(main_loop|headless)\.(cpp|h)$' |
        xargs grep -nE '#include "(gpu|render|scene|image|landscape|demo)/')"
breach "the include graph between folders has a circle" \
    "$(folder_includes | tsort 2>&1 > /dev/null)"
breach "clang-format would change these files" \
    "$(for f in $(sources); do clang-format --dry-run --Werror "$f" > /dev/null 2>&1 || echo "$f"; done)"
exit "$failed"
