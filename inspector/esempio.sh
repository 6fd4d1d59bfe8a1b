#!/usr/bin/env bash
# Makes inspector/esempio.png, the README's picture, anew: the shipped
# scenario packed by the built crea_scenario, drawn by the built
# ispeziona_scenario, and photographed by headless Chromium at the drawing's
# own size. Usage: bash inspector/esempio.sh [BUILD_BIN_FOLDER]
# (default build/test/bin). Needs Debian's chromium.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=$(cd "${1:-build/test/bin}" && pwd)
lavoro=$(mktemp -d)
trap 'rm -rf "$lavoro"' EXIT
cp "$bin/crea_scenario" "$lavoro/"
(cd "$lavoro" && ./crea_scenario >/dev/null)
"$bin/ispeziona_scenario" --svg "$lavoro/linea.svg" "$lavoro" >/dev/null
misura=$(sed -n 's/^<svg [^>]*width="\([0-9]*\)" height="\([0-9]*\)".*/\1,\2/p' "$lavoro/linea.svg")
chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
  --disable-background-networking --disable-component-update --disable-sync \
  --user-data-dir="$lavoro/profilo" --hide-scrollbars --window-size="$misura" \
  --screenshot="$PWD/inspector/esempio.png" "file://$lavoro/linea.svg" 2>/dev/null
echo "inspector/esempio.png: $misura"
