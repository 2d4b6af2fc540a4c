#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later

# Configures and builds Vorda in build/ (Release with debug info).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
