#!/usr/bin/env bash
# Re-makes the whole content pack (pictures, the glyph atlas, sounds, models, levels) into resources/, and the
# desktop icons into packaging/icons/.
# Uses Debian's own python3, which sees python3-pil and python3-numpy.
set -euo pipefail
cd "$(dirname "$0")/../.."
py=/usr/bin/python3
missing=()
for p in python3-pil python3-numpy lame sox libsox-fmt-mp3 fonts-dejavu-core; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "The content tools need: ${missing[*]}" >&2
  echo "Install them with: sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
for tool in make_pictures make_font make_icons make_sounds make_models make_levels; do
  if [ -f "tools/content/$tool.py" ]; then
    echo "== $tool"
    "$py" "tools/content/$tool.py"
  fi
done
