#!/usr/bin/env bash
# Makes the pictures the README and the user guide show, with the tool's own demo, and puts
# them where the documents look for them.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/demo.sh
cp out/comparison.png docs/comparison.png
mkdir -p docs/guide
cp out/controls-tilts.png out/controls-inversions.png docs/guide/
echo "updated docs/comparison.png and docs/guide/"
