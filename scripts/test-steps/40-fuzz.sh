#!/usr/bin/env bash
# A bounded fuzz run on every submission: about 90 s on the importer and qev's
# check (58 s and 32 s, split by fuzz.sh) and 20 s on the glTF reading of qev
# convert, from their seed corpora; any finding fails the step.
set -euo pipefail
cd "$(dirname "$0")/../.."
bash scripts/setup.sh fuzz
bash scripts/fuzz.sh "${QEV_FUZZ_SECONDS:-90}"
bash scripts/fuzz-gltf.sh "${QEV_FUZZ_GLTF_SECONDS:-20}"
