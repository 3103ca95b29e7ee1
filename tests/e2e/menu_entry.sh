#!/usr/bin/env bash
# The installed program directory's menu-entry.sh: the lobby appears in the user's application
# menu with its icon, launches from there even from a directory named with quotes, dollars,
# percents and backslashes, and goes again, taking only what it added.
# Usage: menu_entry.sh <build dir>
build=$1
. "$(dirname "$0")/lib/frame.sh"

cmake --install "$build" --prefix "$work/installed" >/dev/null || { echo "FAIL - install"; exit 1; }
# A directory name that every quoting layer of the entry must survive.
prog="$work/游戏 \"大厅\" \$HOME \`id\` a\\b;c"
mv "$work/installed" "$prog"
apps=$XDG_DATA_HOME/applications
entry=$apps/zemba-quorvane.desktop
icon=$XDG_DATA_HOME/icons/hicolor/128x128/apps/zemba-quorvane.png
mkdir -p "$apps"
echo "[Desktop Entry]" > "$apps/someone-else.desktop"

check "adding succeeds" "$prog/menu-entry.sh" add
check "the entry is in the user's menu folder" test -f "$entry"
check "the icon is in the user's icon theme" cmp -s "$icon" "$prog/quorvane.png"
check "the entry is a valid desktop entry" desktop-file-validate "$entry"

# Launch it the way the desktop does (GLib's launcher), with a stand-in that reports where it
# was started from.
mv "$prog/Quorvane" "$prog/Quorvane.real"
printf '#!/bin/sh\nprintf "%%s\\n%%s\\n" "$0" "$PWD" > "$XDG_DATA_HOME/launched"\n' > "$prog/Quorvane"
chmod +x "$prog/Quorvane"
/usr/bin/python3 - "$entry" <<'PY'
import sys, gi
gi.require_version('Gio', '2.0')
from gi.repository import Gio
Gio.DesktopAppInfo.new_from_filename(sys.argv[1]).launch([], None)
PY
wait_until 10 test -s "$XDG_DATA_HOME/launched"
check "the menu entry starts this directory's lobby, in this directory" \
  test "$(cat "$XDG_DATA_HOME/launched" 2>/dev/null)" = "$prog/Quorvane"$'\n'"$prog"
mv -f "$prog/Quorvane.real" "$prog/Quorvane"

# Another copy of the program takes the entry over; removing from the first leaves it alone.
cp -a "$prog" "$work/other"
"$work/other/menu-entry.sh" add >/dev/null
"$prog/menu-entry.sh" remove >/dev/null
check "removing leaves an entry another directory added" grep -q "^Path=$work/other$" "$entry"
check "removing succeeds" "$work/other/menu-entry.sh" remove
check "the entry is gone" test ! -e "$entry"
check "the icon is gone" test ! -e "$icon"
check "the user's other entries stay" test -f "$apps/someone-else.desktop"
check "nothing else was left behind" test -z "$(find "$XDG_DATA_HOME" -name 'zemba-*')"

# A name that no menu could start from is refused, with nothing written.
mv "$prog" "$work/100% sure"
check "a directory name with a '%' is refused" not "$work/100% sure/menu-entry.sh" add
check "and nothing is added" test -z "$(find "$XDG_DATA_HOME" -name 'zemba-*')"
finish
