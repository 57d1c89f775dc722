#!/usr/bin/env bash
# Fails when a layer includes a header of a layer above it, or when Qt
# appears below the desktop. The build enforces the same through include
# roots; this check says it in one line per offending include.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root/src"

# Bottom up, as src/CMakeLists.txt lists them.
layers=(protocol model formats compute commands diagram report editor net platform platform/qt module cli app)
rank() {
  local i
  for i in "${!layers[@]}"; do
    [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }
  done
  echo -1
}

status=0
while IFS= read -r -d '' file; do
  layer="${file%%/*}"
  case "$file" in platform/qt/*) layer=platform/qt ;; esac
  own=$(rank "$layer")
  while IFS= read -r line; do
    target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1/' <<<"$line")
    first="${target%%/*}"
    [ "$first" = "$target" ] && continue # a header of the same folder
    case "$target" in platform/qt/*) first=platform/qt ;; esac
    other=$(rank "$first")
    [ "$other" -lt 0 ] && continue
    # The synthesis module is a program of its own: it shares only the protocol.
    if [ "$layer" = module ] && [ "$first" != module ] && [ "$first" != protocol ]; then
      echo "layer violation: $file includes $target"; status=1
    elif [ "$other" -gt "$own" ]; then
      echo "layer violation: $file includes $target (a layer above $layer)"; status=1
    fi
  done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" || true)
  if [ "$layer" != app ] && [ "$layer" != platform/qt ]; then
    if grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]Q[A-Za-z]+' "$file" >/dev/null; then
      echo "Qt below the desktop: $file"; status=1
    fi
  fi
done < <(find . -name '*.h' -o -name '*.cpp' | sed 's|^\./||' | tr '\n' '\0')

[ $status -eq 0 ] && echo "Layers: no include points upwards, no Qt below the desktop."
exit $status
