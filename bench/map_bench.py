#!/usr/bin/env python3
"""The map page of a whole 200-journey network: its size, the time `pathweave map` takes to write it
and the time headless Chromium takes to open and draw it.

usage: bench/map_bench.py [--pathweave PATH] [--generator PATH] [--runs N]

The network is a town of 1,500 stops on a grid that 200 routes of up to 37 stops pass through
(`pathweave-generate-network --journeys 200 --link-nodes 37 --shared-stops 1500 --indexed`), with
12 non-journey points. The open time is what the page itself records in #self-check when the first
frame after drawing everything has been painted: performance.now(), from the start of navigation,
so it takes in reading the file, parsing Leaflet and the data, and building and painting every
layer. Chromium's own start is not in it. Programs that are missing are built first (the release
and bench presets). Exits 1 when the median open time is over the 2 s target.
"""

import argparse
import html
import json
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TARGET_MS = 2000
CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  "--dump-dom"]


def built(path, preset, build_dir, target):
    if not os.path.exists(path):
        subprocess.run(["nice", "cmake", "--preset", preset], cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
        subprocess.run(["nice", "cmake", "--build", build_dir, "-j2", "--target", target], cwd=ROOT, check=True)
    return path


def open_page(page, folder):
    """The page's self-check report, from a fresh profile each time."""
    profile = tempfile.mkdtemp(dir=folder)
    dom = subprocess.run(["chromium", *CHROMIUM_FLAGS, "--user-data-dir=" + profile, "file://" + page],
                         capture_output=True, text=True, timeout=120).stdout
    found = re.search(r'<pre id="self-check"[^>]*>(.*?)</pre>', dom, re.S)
    if not found or not found.group(1):
        sys.exit("the page did not finish drawing before Chromium wrote it out")
    return json.loads(html.unescape(found.group(1)))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--pathweave", default=os.path.join(ROOT, "build/release/tools/pathweave/pathweave"))
    parser.add_argument("--generator", default=os.path.join(ROOT, "build/bench/bench/pathweave-generate-network"))
    parser.add_argument("--runs", type=int, default=5)
    arguments = parser.parse_args()
    pathweave = built(arguments.pathweave, "release", "build/release", "pathweave")
    generator = built(arguments.generator, "bench", "build/bench", "pathweave-generate-network")

    folder = tempfile.mkdtemp(prefix="pathweave-map-bench-")
    try:
        return measure(pathweave, generator, folder, arguments.runs)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def measure(pathweave, generator, folder, runs):
    database = os.path.join(folder, "town.db")
    subprocess.run([generator, database, "--journeys", "200", "--link-nodes", "37", "--shared-stops", "1500",
                    "--indexed"], check=True)
    page = os.path.join(folder, "town.html")
    writes = []
    for _ in range(3):
        start = time.perf_counter()
        subprocess.run([pathweave, "map", database, "--non-journey-points", "NJP", "-o", page], check=True)
        writes.append(time.perf_counter() - start)

    text = open(page, encoding="utf-8").read()
    data = re.search(r'<script type="application/json" id="network-data">(.*?)</script>', text, re.S).group(1)
    network = json.loads(data)
    references = sum(len(journey["nodes"]) for journey in network["journeys"])
    reports = [open_page(page, folder) for _ in range(runs)]
    opened = [report["drawnMs"] for report in reports]
    layers = reports[0]["layers"]

    print(f"network: {len(network['journeys'])} journeys, {references} link nodes on them, "
          f"{len(network['nodes'])} distinct (stored once each)")
    print(f"page: {os.path.getsize(page)} bytes, of which data {len(data.encode())} bytes")
    print(f"pathweave map: {statistics.median(writes) * 1000:.0f} ms to write it (median of 3)")
    print(f"drawn: {layers.get('box', 0)} fences, {layers.get('point', 0)} points, "
          f"{layers.get('arrows', 0)} journeys of arrows")
    print(f"open and drawn in headless Chromium: median {statistics.median(opened):.0f} ms, "
          f"slowest {max(opened)} ms of {runs} (target under {TARGET_MS} ms)")
    return 0 if statistics.median(opened) < TARGET_MS else 1


if __name__ == "__main__":
    sys.exit(main())
