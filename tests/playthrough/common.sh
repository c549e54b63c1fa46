# What the play-through scripts share; sourced by them, run from the folder holding resources/ and
# shaders/. Sets root (that folder), here (this folder) and work (a temporary folder, removed at
# the end).
root=$(pwd)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The absolute path of a file given relative to the working folder.
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }

# A working folder for one run of the game: it writes its screenshots and log there.
game_folder() {
  mkdir -p "$1"
  ln -s "$root/resources" "$root/shaders" "$1/"
}

# Copies the screenshots of FOLDER, in the order they were taken (several in one second are
# numbered "-2", "-3", ...), to PREFIX-1.png, PREFIX-2.png, ...
keep_shots() {
  local n=0 shot
  for shot in $(ls -tr "$1"/screen-*.png 2>/dev/null); do
    n=$((n + 1))
    cp "$shot" "$2-$n.png"
  done
}
