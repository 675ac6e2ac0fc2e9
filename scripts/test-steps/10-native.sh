#!/usr/bin/env bash
# Native build and every native test (unit, end to end).
set -euo pipefail
cmake --workflow --preset native
