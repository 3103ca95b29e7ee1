# The frame of the lobby's whole-program tests: the common frame, and the lobby's own helpers.
# Source it first; end the script with `finish`.
. "$(dirname "${BASH_SOURCE[0]}")/frame.sh"
export WEBKIT_DISABLE_COMPOSITING_MODE=1

# install_test_browser: web pages "open in the user's browser"; here a handler that writes each
# address to "$work/opened.txt".
install_test_browser() {
  mkdir -p "$XDG_DATA_HOME/applications" "$XDG_CONFIG_HOME"
  cat >"$work/browser.sh" <<SCRIPT
#!/bin/sh
printf '%s\n' "\$1" >> "$work/opened.txt"
SCRIPT
  chmod 755 "$work/browser.sh"
  cat >"$XDG_DATA_HOME/applications/test-browser.desktop" <<DESKTOP
[Desktop Entry]
Type=Application
Name=Test browser
Exec=$work/browser.sh %u
MimeType=x-scheme-handler/http;x-scheme-handler/https;
DESKTOP
  printf '[Default Applications]\nx-scheme-handler/http=test-browser.desktop\nx-scheme-handler/https=test-browser.desktop\n' \
  >"$XDG_CONFIG_HOME/mimeapps.list"
}


# install_served_lobby: the test's movie server started, and the lobby installed in
# prog=$work/prog pointing at it; the test fails at once when either cannot be done.
install_served_lobby() {
  start_movie_server "$work/www" "$work/movie" || { echo "FAIL - movie server"; exit 1; }
  pids+=("$MOVIE_PID")
  prog=$work/prog
  install_lobby "$build" "$prog" "$MOVIE_URL" || { echo "FAIL - install"; exit 1; }
}
