#!/usr/bin/env bash
# The same tests under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cmake --workflow --preset asan
