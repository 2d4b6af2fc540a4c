#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later

# Installs what is missing, builds Vorda and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
exec build/vorda "$@"
