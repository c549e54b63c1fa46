#!/usr/bin/env bash
# Re-makes the whole content pack (pictures, sounds, models, levels) into resources/.
# Uses Debian's own python3, which sees python3-pil and python3-numpy.
set -euo pipefail
cd "$(dirname "$0")/../.."
py=/usr/bin/python3
for tool in make_pictures make_sounds make_models make_levels; do
  if [ -f "tools/content/$tool.py" ]; then
    echo "== $tool"
    "$py" "tools/content/$tool.py"
  fi
done
