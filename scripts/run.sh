#!/usr/bin/env bash
# Builds Tolvanex (installing what is missing) and starts it on the demo
# content of the build in build/<code>/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
CODE="${TVX_LANGUAGE_CODE:-tvxito}"
exec "build/$CODE/tolvanex" "$@"
