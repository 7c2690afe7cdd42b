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

breach "OpenGL called outside render/ and platform/" \
    "$(sources app scene image landscape demo tools | xargs grep -nE '\bgl[A-Z][A-Za-z0-9]*\s*\(')"
breach "app/ names demo/ outside the entry points" \
    "$(sources app | grep -vE '^app/main(_web)?\.cpp$' | xargs grep -n '#include "demo/')"
breach "the renderer, scene, images or landscape reach up into app/ or demo/" \
    "$(sources render scene image landscape | xargs grep -nE '#include "(app|demo)/')"
breach "the core (app/ below the main loop) reaches up" \
    "$(sources app | grep -vE '^app/(main|main_web|main_loop|headless)\.(cpp|h)$' |
        xargs grep -nE '#include "(render|scene|image|landscape|demo)/')"
breach "clang-format would change these files" \
    "$(for f in $(sources); do clang-format --dry-run --Werror "$f" > /dev/null 2>&1 || echo "$f"; done)"
exit "$failed"
