#!/usr/bin/env python3
"""usage: map_test.py PATHWEAVE [--screenshot FILE]: two pages of `pathweave map` of the sample network
in headless Chromium, MARKET driven along the sample track and every journey of a copy with fence
defects put in. Each page reports what it drew in its #self-check element; any console message,
network request or difference from the database fails the test."""

import argparse
import collections
import html
import json
import os
import pathlib
import re
import shutil
import sqlite3
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
TRACK = os.path.join(ROOT, "examples", "sample-track.csv")
# The codes whose findings name link nodes, which the map places.
PLACED_CODES = {"overlapping-fences", "overlapping-nonconsecutive-fences", "missing-box", "invalid-box",
                "oversized-box", "point-outside-box"}
CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  "--enable-logging=stderr", "--v=0", "--virtual-time-budget=10000"]

failures = []


def expect(condition, what):
    if not condition:
        failures.append(what)


def run(*words):
    return subprocess.run(words, check=True, capture_output=True, text=True).stdout


def chromium(page, folder, *extra):
    """The page's self-check report; fails on console lines."""
    profile = tempfile.mkdtemp(dir=folder)
    done = subprocess.run(["chromium", *CHROMIUM_FLAGS, "--user-data-dir=" + profile, *extra,
                           "file://" + os.path.abspath(page)], capture_output=True, text=True, timeout=180)
    console = [line for line in done.stderr.splitlines() if ":CONSOLE" in line]
    expect(not console, f"{os.path.basename(page)}: console messages:\n" + "\n".join(console))
    found = re.search(r'<pre id="self-check"[^>]*>(.*?)</pre>', done.stdout, re.S)
    return json.loads(html.unescape(found.group(1))) if found and "--dump-dom" in extra else None


def draw(pathweave, folder, database, page, options, *more):
    """The page's report, and its fences and points per journey as the database holds them (distinct
    link nodes, ROOT left out); checks the non-journey points and that the page made no request."""
    run(pathweave, "map", database, *options, *more, "-o", page)
    report = chromium(page, folder, "--dump-dom")
    model = json.loads(run(pathweave, "dump", database, "--format", "json", *options))
    def count(nodes):
        placed = {n["id"]: n for n in nodes[1:]}
        return {"boxes": sum(n["bounds"]["valid"] for n in placed.values()),
                "points": sum((n["latitude"], n["longitude"]) != (0, 0) for n in placed.values())}
    points = count(model["nonJourneyPoints"]["linkNodes"])
    expect(report["nonJourneyPoints"] == points, f"{page}: non-journey points drawn {report['nonJourneyPoints']}")
    expect(report["requests"] == [], f"{page}: requests {report['requests']}")
    return report, {j["id"]: count(j["linkNodes"]) for j in model["journeys"]}


def check_drive(pathweave, folder, database, screenshot):
    page = "drive.html"
    options = ["--journey", "MARKET", "--non-journey-points", "NJP"]
    report, journeys = draw(pathweave, folder, database, page, options, "--track", TRACK)
    drawn = report["journeys"]["MARKET"]
    expect({k: drawn[k] for k in ("boxes", "points")} == journeys["MARKET"], f"MARKET drawn {drawn}")
    expect(drawn["numbers"] == journeys["MARKET"]["points"], f"MARKET numbered {drawn['numbers']}")

    lines = [json.loads(line) for line in run(pathweave, "replay", database, TRACK, "--format", "json",
                                              *options).splitlines()]
    events = collections.Counter(e["event"] for e in lines if e["event"] not in ("start", "end"))
    expect(report["events"] == dict(events), f"replay markers {report['events']}, replay says {dict(events)}")
    expect(report["panel"]["events"] == sum(events.values()), f"replay panel {report['panel']['events']}")
    expect(report["layers"].get("track") == 1, "no track line")

    shot = os.path.abspath("drive.png")
    chromium(page, folder, "--screenshot=" + shot, "--window-size=1280,800")
    header = pathlib.Path(shot).read_bytes()[:24]
    size = (int.from_bytes(header[16:20], "big"), int.from_bytes(header[20:24], "big"))
    expect(header.startswith(b"\x89PNG") and size == (1280, 800), f"screenshot {size}")
    expect(os.path.getsize(shot) > 20000, "the screenshot is nearly blank")
    if screenshot:
        shutil.copyfile(shot, screenshot)
    print(f"drive page: {os.path.getsize(page)} bytes, drawn after {report['drawnMs']} ms")


def check_defects(pathweave, folder, sample):
    """Overlapping fences, a box of no extent, a missing box and a point outside its box."""
    database = "defects.db"
    shutil.copyfile(sample, database)
    with sqlite3.connect(database) as db:
        union = ", ".join(f"{c} = (SELECT {f}({c}) FROM link_nodes WHERE LINKNODE_ID IN ('MKT02', 'MKT03'))"
                          for f, c in [("min", "BBLATMIN"), ("max", "BBLATMAX"), ("min", "BBLONGMIN"),
                                       ("max", "BBLONGMAX")])
        db.executescript(f"""UPDATE link_nodes SET {union} WHERE LINKNODE_ID = 'MKT02';
            UPDATE link_nodes SET BBLATMAX = BBLATMIN WHERE LINKNODE_ID = 'HBR03';
            UPDATE link_nodes SET BBLATMIN = 0, BBLATMAX = 0, BBLONGMIN = 0, BBLONGMAX = 0 WHERE LINKNODE_ID = 'HRT02';
            UPDATE attributes SET value = value + 0.01 WHERE id = 'P305' AND symbol = 'LAT';""")
    report, journeys = draw(pathweave, folder, database, "defects.html", ["--non-journey-points", "NJP"])
    for journey, counts in journeys.items():
        drawn = report["journeys"].get(journey, {})
        expect({k: drawn.get(k) for k in counts} == counts, f"{journey}: drew {drawn}, database {counts}")
    expect(report["panel"]["journeys"] == list(journeys) + ["NJP"], f"journey list {report['panel']['journeys']}")

    found = json.loads(subprocess.run([pathweave, "check", database, "--non-journey-points", "NJP",
                                       "--format", "json"], capture_output=True, text=True).stdout)
    placed = sorted([f["code"], example] for f in found["findings"] if f["code"] in PLACED_CODES
                    for example in f["examples"])
    expect(len(placed) == 4, f"the check found {placed}")
    expect(sorted(report["panel"]["findings"]) == placed, f"findings panel {report['panel']['findings']}")
    expect(report["layers"].get("finding") == len(placed), f"finding layers {report['layers']}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("pathweave")
    parser.add_argument("--screenshot", help="keep the drive page's screenshot here")
    arguments = parser.parse_args()
    pathweave = os.path.abspath(arguments.pathweave)
    screenshot = os.path.abspath(arguments.screenshot) if arguments.screenshot else None
    folder = tempfile.mkdtemp(prefix="pathweave-map-test-")
    # Relative names, so that the pages are titled "sample.db".
    os.chdir(folder)
    try:
        sample = "sample.db"
        run(pathweave, "sample", "-o", sample)
        check_drive(pathweave, folder, sample, screenshot)
        check_defects(pathweave, folder, sample)
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    for failure in failures:
        print("FAILED:", failure, file=sys.stderr)
    print("map browser test:", "failed" if failures else "passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
