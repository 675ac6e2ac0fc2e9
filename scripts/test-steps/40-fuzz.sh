#!/usr/bin/env bash
# A bounded fuzz run of the importer on every submission: about two minutes
# from the seed corpus and the regression inputs; any finding fails the step.
set -euo pipefail
cd "$(dirname "$0")/../.."
bash scripts/setup.sh fuzz
bash scripts/fuzz.sh "${QEV_FUZZ_SECONDS:-110}"
