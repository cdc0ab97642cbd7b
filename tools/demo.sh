#!/usr/bin/env bash
# The demo on the built-in simulated PC: what the drives of that PC say they are.
set -euo pipefail
build="$1"
"$build/src/cli/korvelfw" --simulate scan
