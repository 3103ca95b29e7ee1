#!/bin/sh
# Serves a lobby page folder with a stand-in for the lobby, for building the page in a browser.
# Usage: scripts/movie-kit.sh <page folder> [port]   (default port 8700; open the printed address)
exec /usr/bin/python3 "$(dirname "$0")/../tools/moviekit/serve.py" "$@"
