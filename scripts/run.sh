#!/usr/bin/env bash
# Builds the program and starts it. Arguments are passed on.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
if [ -x build/ui/masuvo ]; then
  exec build/ui/masuvo "$@"
fi
# Until the main window exists: rate and solve an example puzzle.
example=tests/data/top95.txt
head -n 1 "$example" | build/cli/masuvo-cli rate
head -n 1 "$example" | build/cli/masuvo-cli log
