#!/usr/bin/env bash
# Installs what is missing and runs every test. The steps live in
# scripts/test-steps/, run in the order of their names; each fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

for step in scripts/test-steps/*.sh; do
  echo "== $(basename "$step" .sh)"
  bash "$step"
done
echo "== all test steps passed"
