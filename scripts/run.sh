#!/usr/bin/env bash
# Installs the dependencies, builds, and starts Vemra on the bundled example.
# Without a display it shows the example with vemra-cli instead.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${VEMRA_BUILD_DIR:-$root/build}"
example="$root/examples/hubkurve.r4p"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
if [ -x "$build/bin/vemra" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  exec "$build/bin/vemra" "$example"
fi
echo "Keine grafische Anzeige gefunden; das Beispielprojekt mit vemra-cli:"
exec "$build/bin/vemra-cli" check "$example"
