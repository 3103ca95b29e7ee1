#!/bin/sh
# Puts the lobby into the user's application menu, or takes it out again.
# Usage: ./menu-entry.sh [add|remove]   (run from anywhere; it uses the directory it is in)
# Writes only two files, both below the user's data folder ($XDG_DATA_HOME, ~/.local/share):
#   applications/zemba-quorvane.desktop   and   icons/hicolor/128x128/apps/zemba-quorvane.png
# "remove" deletes them only when they are the ones this program directory added.
set -eu

program_dir=$(cd "$(dirname "$0")" && pwd -P)
data=${XDG_DATA_HOME:-$HOME/.local/share}
entry=$data/applications/zemba-quorvane.desktop
icon=$data/icons/hicolor/128x128/apps/zemba-quorvane.png
owner_key=X-Zemba-Program-Dir

# A value as a desktop entry's string: backslashes doubled.
string_value() { printf '%s' "$1" | sed 's/\\/\\\\/g'; }

# One argument of an Exec line: quoted, with ", `, $ and \ escaped inside the quotes; then, as
# every string value, backslashes doubled again.
exec_argument() {
  quoted=$(printf '%s' "$1" | sed -e 's/[\\"`$]/\\&/g')
  string_value "\"$quoted\""
}

refresh_caches() {
  command -v update-desktop-database >/dev/null 2>&1 &&
    update-desktop-database -q "$data/applications" 2>/dev/null || true
  command -v gtk-update-icon-cache >/dev/null 2>&1 &&
    gtk-update-icon-cache -q -t "$data/icons/hicolor" 2>/dev/null || true
}

add() {
  case $program_dir in
    *"
"*|*"	"*|*%*)
      # A desktop entry cannot carry a line break or a tab, and menus do not find a program
      # whose path holds a '%' (its escaped form is looked up as it stands).
      echo "menu-entry: the program directory's name holds a line break, a tab or a '%'; move it first" >&2
      exit 1 ;;
  esac
  [ -x "$program_dir/Quorvane" ] || { echo "menu-entry: no Quorvane in $program_dir" >&2; exit 1; }
  mkdir -p "$(dirname "$entry")" "$(dirname "$icon")"
  cp "$program_dir/quorvane.png" "$icon.new" && mv -f "$icon.new" "$icon"
  {
    printf '[Desktop Entry]\nType=Application\nName=Zemba 游戏大厅\nComment=Zemba game lobby\n'
    printf 'Exec=%s\n' "$(exec_argument "$program_dir/Quorvane")"
    printf 'Path=%s\n' "$(string_value "$program_dir")"
    printf 'Icon=zemba-quorvane\nTerminal=false\nCategories=Game;\nStartupWMClass=Quorvane\n'
    printf '%s=%s\n' "$owner_key" "$(string_value "$program_dir")"
  } > "$entry.new"
  mv -f "$entry.new" "$entry"
  refresh_caches
  echo "added: $entry"
}

# True when the entry names this program directory as the one that added it.
ours() {
  [ -f "$entry" ] && grep -qxF "$owner_key=$(string_value "$program_dir")" "$entry"
}

remove() {
  if ! ours; then
    echo "menu-entry: no menu entry of $program_dir to remove"
    return 0
  fi
  rm -f "$entry"
  # The icon only when it is still the one this directory ships.
  [ -f "$icon" ] && cmp -s "$icon" "$program_dir/quorvane.png" && rm -f "$icon"
  refresh_caches
  echo "removed: $entry"
}

case ${1:-add} in
  add) add ;;
  remove) remove ;;
  *) echo "usage: $0 [add|remove]" >&2; exit 2 ;;
esac
