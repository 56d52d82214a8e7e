#!/bin/sh
# Runs a test in a network namespace of its own with only its loopback up, so
# that tests which take port 8089 run side by side instead of one at a time.
# Needs the right to make namespaces (root); tests/CMakeLists.txt checks.
exec unshare --net -- sh -c 'ip link set lo up && exec "$@"' own_network "$@"
