#!/usr/bin/env bash
# Runs the installer tests in a Wine prefix of their own, so installing and removing the package never
# touches the prefix that the other tests share. $1 is a scratch folder of this run's own, $2 the
# Windows test program, the rest its arguments.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$root/tests/win/own_prefix.sh"
scratch=$1
shift
make_own_prefix "$scratch"
start_own_prefix
wine "$@"
