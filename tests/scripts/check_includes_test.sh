#!/usr/bin/env bash
# The include check passes on the project as it is, and stops each include
# that the layers' roots let through: one that climbs with "../", a system
# header in angle brackets outside platform/, and one in quotes.
# Usage: check_includes_test.sh BUILD-DIR SOURCE-DIR
set -euo pipefail
source_dir="$(cd "$2" && pwd)"
bash "$source_dir/scripts/check-includes.sh" "$source_dir"

tree="$(mktemp -d)"
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/src/program" "$tree/src/startup" "$tree/src/platform/linux"
touch "$tree/src/startup/run.h" "$tree/src/program/numbers.h"
printf '#include <unistd.h>\n' > "$tree/src/platform/linux/allowed.cpp"
for include in '"../startup/run.h"' '<cups/cups.h>' '<unistd.h>' '"cups/cups.h"'; do
  printf '#include "program/numbers.h"\n#include <string>\n#include %s\n' "$include" \
    > "$tree/src/program/numbers.cpp"
  if bash "$source_dir/scripts/check-includes.sh" "$tree"; then
    echo "FAIL: #include $include in program/ passed the check" >&2
    exit 1
  fi
done
printf '#include "program/numbers.h"\n#include <string>\n' > "$tree/src/program/numbers.cpp"
bash "$source_dir/scripts/check-includes.sh" "$tree"
echo PASS
