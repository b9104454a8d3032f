#!/usr/bin/python3
"""The web pages in a real browser: sizes, time to interactive and the cost of a pointer move.

usage: page_bench.py TRACEWELL [FREEDOOM2_WAD]

Writes the page of freedoom2 MAP12 (the largest map) and of a built map of about 100,000 linedefs
with the program, opens each from file:// in headless Chromium and reports its size, the time
from navigation until the page is usable (its first paint, the script's ready mark and the end of
the load event, whichever is latest; least of 3 loads) and the time the script takes to answer a pointer move (its handler,
dispatched over the drawing at 300 places: the mean and the worst). Prints a SUMMARY line per
figure; exits 1 when a target is missed.
"""
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import urllib.parse

from selenium import webdriver
from selenium.webdriver.chrome.options import Options
from selenium.webdriver.chrome.service import Service

TOOL = sys.argv[1]
WAD = sys.argv[2] if len(sys.argv) > 2 else "/usr/share/games/doom/freedoom2.wad"
SETTINGS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "settings.txt")
missed = []


def summary(name, value, target, ok, unit=""):
    print("SUMMARY %-40s %12s%s  target %s  %s" % (name, "%.3f" % value if isinstance(value, float) else value,
                                                  unit, target, "PASS" if ok else "FAIL"))
    if not ok:
        missed.append(name)


def gridwad(path, side):
    """A PWAD with MAP01: a side x side lattice of vertices joined by one-sided lines on one sidedef."""
    vertexes = b"".join(struct.pack("<hh", 64 * (i % side) - 32 * side, 64 * (i // side) - 32 * side)
                        for i in range(side * side))
    lines = []
    for y in range(side):
        for x in range(side):
            v = y * side + x
            if x + 1 < side:
                lines.append(struct.pack("<HHHHHHH", v, v + 1, 1, 0, 0, 0, 0xFFFF))
            if y + 1 < side:
                lines.append(struct.pack("<HHHHHHH", v, v + side, 1, 0, 0, 0, 0xFFFF))
    lumps = [(b"THINGS", struct.pack("<hhhhh", 0, 0, 0, 1, 7)), (b"LINEDEFS", b"".join(lines)),
             (b"SIDEDEFS", struct.pack("<hh8s8s8sH", 0, 0, b"-", b"-", b"STARTAN3", 0)),
             (b"VERTEXES", vertexes), (b"SEGS", b""), (b"SSECTORS", b""), (b"NODES", b""),
             (b"SECTORS", struct.pack("<hh8s8shhh", 0, 128, b"FLOOR4_8", b"CEIL3_5", 160, 0, 0)),
             (b"REJECT", b""), (b"BLOCKMAP", b"")]
    entries, data = [(12, 0, b"MAP01")], b""
    for name, payload in lumps:
        entries.append((12 + len(data), len(payload), name))
        data += payload
    with open(path, "wb") as f:
        f.write(struct.pack("<4sii", b"PWAD", len(entries), 12 + len(data)) + data +
                b"".join(struct.pack("<ii8s", *e) for e in entries))
    return len(lines)


def browser():
    options = Options()
    options.binary_location = "/usr/bin/chromium"
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--user-data-dir=" + tempfile.mkdtemp(prefix="tw-chromium-"), "--window-size=1400,1000"):
        options.add_argument(flag)
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def measure(driver, page, name, load_target, size_target):
    size = os.path.getsize(page)
    summary(name + " page size", size / 1e6, "<= %g MB" % size_target, size <= size_target * 1e6, " MB")
    loads = []
    for _ in range(3):
        driver.get("about:blank")
        driver.get("file://" + urllib.parse.quote(page))
        loads.append(driver.execute_script(
            "var ready = performance.getEntriesByName('tw-ready')[0].startTime;"
            "var paint = performance.getEntriesByType('paint').map(function (e) { return e.startTime; });"
            "var load = performance.getEntriesByType('navigation')[0].loadEventEnd;"
            "return Math.max.apply(null, [ready, load].concat(paint)) / 1000;"))
    summary(name + " interactive", min(loads), "<= %g s" % load_target, min(loads) <= load_target, " s")
    times = driver.execute_script(
        "var view = document.getElementById('tw-view'), b = view.getBoundingClientRect(), out = [];"
        "var seed = 7; function next() { seed = (seed * 48271) % 2147483647; return seed / 2147483647; }"
        "for (var i = 0; i < 300; ++i) {"
        "  var e = new PointerEvent('pointermove', {clientX: b.left + next() * b.width,"
        "    clientY: b.top + next() * b.height, bubbles: true, pointerId: 1});"
        "  var t = performance.now(); view.dispatchEvent(e); out.push(performance.now() - t); }"
        "return out;")
    summary(name + " pointer move, worst", max(times), "< 16 ms", max(times) < 16, " ms")
    print("  %s: pointer move mean %.3f ms over %d moves" % (name, sum(times) / len(times), len(times)))


def main():
    work = tempfile.mkdtemp(prefix="tw-pagebench-")
    try:
        grid = os.path.join(work, "grid.wad")
        count = gridwad(grid, 225)
        for args in ([WAD, "-m", "MAP12", "-o", work + "/%.html"], [grid, "-m", "MAP01", "-o", work + "/grid.html"]):
            done = subprocess.run([TOOL, "--settings", SETTINGS, *args], capture_output=True, text=True,
                                  stdin=subprocess.DEVNULL)
            if done.returncode != 0:
                print("the program failed:", done.stdout, done.stderr)
                return 2
        driver = browser()
        try:
            measure(driver, work + "/MAP12.html", "freedoom2 MAP12", 1.0, 1.5)
            measure(driver, work + "/grid.html", "%d linedefs" % count, 4.0, 12.0)
        finally:
            driver.quit()
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
