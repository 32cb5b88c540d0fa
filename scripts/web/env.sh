# Shared settings of the web build and its tests (sourced, not run).
#
# Debian's emscripten 3.1.6 with the machine's node: its JavaScript tools find
# Debian's acorn only through NODE_PATH, and what it outputs runs under node
# 18 and later only without node's built-in fetch (the generated loader takes
# node for a browser otherwise).
export NODE_PATH=/usr/share/nodejs
web_node=(/usr/bin/node --no-experimental-fetch)
# emcmake hands CMake an emulator flag that node rejects; try-run checks get
# node with the flag above instead.
web_emulator="/usr/bin/node;--no-experimental-fetch"

web_root=build-web
web_deps=$web_root/deps
web_prefix=$web_deps/prefix
