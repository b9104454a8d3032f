#!/usr/bin/python3
"""Web pages and galleries in a real browser (Debian's chromium and chromedriver through selenium).

usage: webpage_test.py TRACEWELL FREEDOOM2_WAD SETTINGS [--screenshots DIR]

Writes pages with the built program into a temporary folder, opens them from file:// in headless
Chromium and checks what a user would: no console errors and no network requests, the legend as
layer switch, the details of the line under the pointer, addresses that select and centre, wheel
zoom, hostile names shown as text, the gallery's links, and the drawing at 1:1 against the PNG.
The expected values come from the WAD itself, read here apart from the program.
"""
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import urllib.parse
import zlib
from xml.dom import minidom

from selenium import webdriver
from selenium.webdriver.chrome.options import Options
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.actions.wheel_input import ScrollOrigin
from selenium.webdriver.common.by import By

TOOL, FREEDOOM2, SETTINGS = sys.argv[1:4]
SHOTS = sys.argv[5] if len(sys.argv) > 5 and sys.argv[4] == "--screenshots" else None
SIZE = 400  # the page's image, small enough to show whole at 1:1 in the window
failures = []


def check(what, ok, detail=""):
    print(("ok   " if ok else "FAIL ") + what + ("" if ok else ": " + str(detail)))
    if not ok:
        failures.append(what)


# --- WADs, read and written apart from the program -------------------------------------------

def directory(wad):
    count, offset = struct.unpack_from("<ii", wad, 4)
    return [(pos, size, name.rstrip(b"\0")) for pos, size, name in
            (struct.unpack_from("<ii8s", wad, offset + 16 * i) for i in range(count))]


def maplumps(wad, name):
    """The marker's ten lumps after it, as (name, bytes)."""
    entries = directory(wad)
    at = next(i for i, e in enumerate(entries) if e[2] == name)
    return [(e[2], wad[e[0]:e[0] + e[1]]) for e in entries[at + 1:at + 11]]


def writewad(path, maps):
    """A PWAD of the given (marker name, lumps) maps."""
    entries, data = [], b""
    for marker, lumps in maps:
        entries.append((12, 0, marker))
        for name, payload in lumps:
            entries.append((12 + len(data), len(payload), name))
            data += payload
    head = struct.pack("<4sii", b"PWAD", len(entries), 12 + len(data))
    table = b"".join(struct.pack("<ii8s", pos, size, name) for pos, size, name in entries)
    with open(path, "wb") as f:
        f.write(head + data + table)


def lines_and_points(lumps):
    lumps = dict(lumps)
    v = [struct.unpack_from("<hh", lumps[b"VERTEXES"], 4 * i) for i in range(len(lumps[b"VERTEXES"]) // 4)]
    l = [struct.unpack_from("<HHHHHhh", lumps[b"LINEDEFS"], 14 * i) for i in range(len(lumps[b"LINEDEFS"]) // 14)]
    return v, l


def fitted(vertexes, linedefs, size, margin):
    """Map point to image pixel: the bounds of the lines scaled into the image less its margin, centred."""
    xs = [vertexes[e][0] for l in linedefs for e in l[:2]]
    ys = [-vertexes[e][1] for l in linedefs for e in l[:2]]
    scale = min((size - 2 * margin) / (max(xs) - min(xs)), (size - 2 * margin) / (max(ys) - min(ys)))
    cx, cy = (max(xs) + min(xs)) / 2, (max(ys) + min(ys)) / 2
    return lambda x, y: (size / 2 + (x - cx) * scale, size / 2 + (-y - cy) * scale)


# --- PNG decoding (8-bit RGB or RGBA, not interlaced: the program's files and Chromium's shots) ---

def decodepng(blob):
    pos, chunks, idat = 8, {}, b""
    while pos < len(blob):
        length, kind = struct.unpack_from(">I4s", blob, pos)
        body = blob[pos + 8:pos + 8 + length]
        if kind == b"IDAT":
            idat += body
        else:
            chunks[kind] = body
        pos += 12 + length
    width, height, depth, colour = struct.unpack_from(">IIBB", chunks[b"IHDR"])
    assert depth == 8 and colour in (2, 6), (depth, colour)
    bpp = 3 if colour == 2 else 4
    raw, stride, rows, prev = zlib.decompress(idat), width * bpp, [], bytearray(width * bpp)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b, c = prev[i], prev[i - bpp] if i >= bpp else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([tuple(line[x * bpp:x * bpp + 3]) for x in range(width)])
        prev = line
    return rows


def agreement(a, b, background):
    """The share of a's pixels that differ from the background with a pixel of the same colour within one pixel in b."""
    h, w = len(a), len(a[0])
    total = found = 0
    for y in range(h):
        for x in range(w):
            colour = a[y][x]
            if colour == background:
                continue
            total += 1
            found += any(b[yy][xx] == colour for yy in range(max(0, y - 1), min(h, y + 2))
                         for xx in range(max(0, x - 1), min(w, x + 2)))
    return found / max(total, 1), total


# --- The browser -----------------------------------------------------------------------------

def browser():
    options = Options()
    options.binary_location = "/usr/bin/chromium"
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--user-data-dir=" + tempfile.mkdtemp(prefix="tw-chromium-"), "--window-size=1400,1000",
                 "--force-device-scale-factor=1", "--hide-scrollbars"):
        options.add_argument(flag)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL", "performance": "ALL"})
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    # What the browser's own start page asked for is no page's doing.
    driver.get("about:blank")
    driver.get_log("performance")
    driver.get_log("browser")
    return driver


def requests(driver):
    """The URLs the page asked for since the last call."""
    urls = []
    for entry in driver.get_log("performance"):
        message = json.loads(entry["message"])["message"]
        if message["method"] == "Network.requestWillBeSent":
            urls.append(message["params"]["request"]["url"])
    return urls


def errors(driver):
    """Every console message and policy violation the page caused: a page of this tool logs nothing."""
    return driver.get_log("browser")


def open_page(driver, path, fragment=""):
    driver.get("file://" + urllib.parse.quote(path) + fragment)
    driver.execute_script("return document.readyState")


def on_screen(driver, x, y):
    """Screen position (CSS pixels) of image point (x, y), by the browser's own transform of the drawing."""
    return driver.execute_script(
        "var s = document.querySelector('#tw-view svg'), p = s.createSVGPoint();"
        "p.x = arguments[0]; p.y = arguments[1]; p = p.matrixTransform(s.getScreenCTM());"
        "return [p.x, p.y];", x, y)


def details(driver):
    return driver.find_element(By.ID, "tw-details").text


def point_at(driver, x, y):
    ActionChains(driver).move_to_element_with_offset(driver.find_element(By.TAG_NAME, "body"), 0, 0).perform()
    body = driver.find_element(By.TAG_NAME, "body").rect
    ActionChains(driver).move_to_element_with_offset(
        driver.find_element(By.TAG_NAME, "body"), int(round(x - body["width"] / 2)),
        int(round(y - body["height"] / 2))).perform()


def run(*args):
    done = subprocess.run([TOOL, "--settings", SETTINGS, *args], capture_output=True, text=True, stdin=subprocess.DEVNULL)
    return done.returncode, done.stdout, done.stderr


def screenshots(driver, work, folder):
    """The README's pictures: freedoom2 MAP01's page with its exit pinned, and a gallery."""
    wads = [os.path.join(os.path.dirname(FREEDOOM2), w) for w in ("freedoom1.wad", "freedoom2.wad", "freedm.wad")]
    dest = os.path.join(work, "shots")
    run("--dest", dest, "--gallery", "--extra", "html", "-s", "256x256", *wads)
    driver.set_window_size(1200, 800)
    open_page(driver, os.path.join(dest, "freedoom2", "MAP01.html"))
    data = json.loads(driver.execute_script("return document.getElementById('tw-data').textContent"))
    lines = data["lines"]
    exit = next(i for i, special in enumerate(lines["special"])
                if special != 0 and lines["meanings"][i] & 0x60 and lines["layer"][i] >= 0)
    open_page(driver, os.path.join(dest, "freedoom2", "MAP01.html"), "#L%d" % exit)
    driver.save_screenshot(os.path.join(folder, "page.png"))
    open_page(driver, os.path.join(dest, "index.html"))
    driver.execute_script("document.querySelectorAll('img').forEach(function (i) { i.loading = 'eager'; })")
    driver.find_element(By.ID, "tw-filter").send_keys("freedoom2")
    driver.execute_script("return new Promise(function (done) { setTimeout(done, 500); })")
    driver.save_screenshot(os.path.join(folder, "gallery.png"))


def checkedgallery(driver, work, map01):
    """A gallery of MAP01 and of MAP02, the same with its player 1 start made a player 2 start: an error
    of the checks on MAP02 only, which the errors switch leaves alone."""
    things = bytearray(dict(map01)[b"THINGS"])
    first = next(i for i in range(len(things) // 10) if struct.unpack_from("<h", things, 10 * i + 6)[0] == 1)
    struct.pack_into("<h", things, 10 * first + 6, 2)
    wad = os.path.join(work, "checked.wad")
    writewad(wad, [(b"MAP01", map01), (b"MAP02", [(n, bytes(things) if n == b"THINGS" else b) for n, b in map01])])
    dest = os.path.join(work, "checked")
    run("--dest", dest, "--gallery", "-s", "64x64", wad)
    open_page(driver, os.path.join(dest, "index.html"))
    driver.find_element(By.ID, "tw-errors").click()
    visible = [c.text for c in driver.find_elements(By.CSS_SELECTOR, ".tw-card") if c.is_displayed()]
    check("the errors switch leaves only MAP02, its card naming its error",
          len(visible) == 1 and visible[0].startswith("MAP02\n") and "\n1 error \u00b7 " in visible[0], visible)


def diffpage(driver, work, map01, linedefs):
    """A diff's page: MAP01 against a copy with one line's special changed, the last line gone and the
    first thing moved, the new version under a name that is markup."""
    line = next(i for i, l in enumerate(linedefs) if l[3] == 0 and l[6] >= 0)
    lumps = dict(map01)
    defs = bytearray(lumps[b"LINEDEFS"])
    struct.pack_into("<H", defs, 14 * line + 6, 97)
    del defs[-14:]
    last = len(linedefs) - 1
    things = bytearray(lumps[b"THINGS"])
    x, y = struct.unpack_from("<hh", things, 0)
    struct.pack_into("<h", things, 0, x + 32)
    edited = [(n, bytes(defs) if n == b"LINEDEFS" else bytes(things) if n == b"THINGS" else b) for n, b in map01]
    old, new = os.path.join(work, "old.wad"), os.path.join(work, "new <b>x&amp;.wad")
    writewad(old, [(b"MAP01", map01)])
    writewad(new, [(b"MAP01", edited)])
    code, out, err = run("--diff", old, new, "-s", "%dx%d" % (SIZE, SIZE), "-o", work + "/%-diff.html")
    page = os.path.join(work, "MAP01-diff.html")
    check("--diff writes the diff's page", code == 0 and os.path.isfile(page), (code, out, err))
    requests(driver)
    open_page(driver, page)
    layers = [b.get_attribute("data-layer") for b in driver.find_elements(By.CSS_SELECTOR, "#tw-legend button")]
    check("the diff's page has a layer per kind of change",
          layers == ["diff-same", "diff-removed", "diff-changed", "diff-moved"], layers)
    check("the new version's name shows as text", driver.find_element(By.CSS_SELECTOR, ".tw-sub").text ==
          os.path.basename(new) and not driver.find_elements(By.CSS_SELECTOR, "header b"))
    listed = [b.get_attribute("data-address") for b in driver.find_elements(By.CSS_SELECTOR, "#tw-changes button")]
    check("the list holds exactly the three changes", listed == ["L%d" % line, "l%d" % last, "T0"], listed)
    gone = linedefs[last]
    for address, expect in (("L%d" % line, ["special", "0", "97"]), ("l%d" % last, ["tag", str(gone[4]), "\u2014"]),("T0", ["position", "%d,%d" % (x, y), "%d,%d" % (x + 32, y)])):
        driver.find_element(By.CSS_SELECTOR, "#tw-changes button[data-address='%s']" % address).click()
        hash_ = driver.execute_script("return location.hash")
        rows = driver.execute_script(
            "return Array.from(document.querySelectorAll('#tw-details tr')).map(function (r) {"
            " return Array.from(r.children).map(function (c) { return c.textContent; }); })")
        check("a click on change %s sets its address and shows old and new" % address,
              hash_ == "#" + address and expect in rows, (hash_, rows))
    open_page(driver, page, "#T0")
    check("#T0 selects the moved thing", details(driver).startswith("Thing 0 moved"), details(driver))
    shapes = "return Array.from(document.querySelectorAll('#tw-view svg .diff-changed')).filter(function (e) {" \
             " return getComputedStyle(e).display !== 'none'; }).length"
    before = driver.execute_script(shapes)
    driver.find_element(By.CSS_SELECTOR, "#tw-legend button[data-layer='diff-changed']").click()
    check("the legend hides the changed lines", before > 0 and driver.execute_script(shapes) == 0, before)
    check("the diff's page loads with no console errors and asks for nothing else",
          not errors(driver) and all(u.split("#")[0] == "file://" + urllib.parse.quote(page) for u in requests(driver)))


# The red team's names: markup, quotes and ampersands, line and paragraph separators, bytes that are no
# UTF-8, control bytes, URL delimiters, and an input stem that is the gallery's own file name. Each is an
# input's stem (a file name's bytes) and the name of a map in it (a lump name: at most 8 bytes).
HOSTILE = [
    (b"\"><img src=x onerror=alert(1)>", b"</script"),
    (b"<p onclick=alert(2)><script>alert(2)", b"<img/"),
    (b"q'\"&amp;&", b"MAP&<'\""),
    ("sep\u2028par\u2029\u202e".encode(), b"\xe2\x80\xa8\xe2\x80\xa9"),
    (b"bad\xff\xc3\xed\xa0\x80", b"\xff\xfe\xc3"),
    (b"over\xc0\xaf\xf4\x90\x80\x80", b"\xef\xbf\xbe\xed\xa0\x80"),
    (b"ctl\x01\x1b[2J\x7f", b"A\x01\x1f\x7f\x9b"),
    (b"#1%3F?x=&y", b"#%?"),
    (b"index.html", b"MAP01"),
]


def filename(name):
    """A map's file name: its bytes as Latin-1 in UTF-8, "_" for "/" and control characters."""
    return "".join("_" if c < 0x20 or 0x7f <= c <= 0x9f or c == 0x2f else chr(c) for c in name).encode()


def readable(name):
    """Bytes as a title shows them: UTF-8 with U+FFFD for what is not, U+FFFE and U+FFFF as U+FFFD too,
    and no control characters."""
    return "".join("\ufffd" if c in "\ufffe\uffff" else c for c in name.decode("utf-8", "replace")
                   if not (ord(c) < 0x20 or 0x7f <= ord(c) <= 0x9f))


def nothing_injected(driver, what, title=None, viewer=True):
    """No element a name could have made, the page's script ran, the browser logged nothing, and the
    title, when given, shows as text."""
    found = driver.execute_script(
        "return Array.from(document.querySelectorAll('script:not(#tw-data), img, h1 *, .tw-sub *'))"
        ".filter(function (e) { return e.tagName === 'SCRIPT' ? /alert/.test(e.textContent) : !e.closest('.tw-card'); })"
        ".map(function (e) { return e.outerHTML.slice(0, 60); })")
    ready = not viewer or driver.execute_script("return document.documentElement.classList.contains('tw-ready')")
    logged = errors(driver)
    shown = driver.find_element(By.TAG_NAME, "h1").text if title is not None else None
    check("%s: names stay text and run nothing" % what, not found and ready and not logged and shown == title,
          (found, ready, logged, shown))


def hostile(driver, work, map01):
    """One corpus of hostile names through every writer: PNG and folder names, SVG, map page, diff
    page, gallery and manifest; the pages read back in the browser."""
    raw = os.fsencode(work) + b"/hostile"
    os.makedirs(raw)
    lines = dict(map01)[b"LINEDEFS"]
    edited = [(n, lines[:-14] if n == b"LINEDEFS" else b) for n, b in map01]
    inputs = []
    for stem, mapname in HOSTILE:
        path = raw + b"/" + stem + b".wad"
        writewad(path, [(mapname, map01)] + ([(b"MAP01", edited)] if mapname != b"MAP01" else []))
        inputs.append(path)
    junk = raw + b"/junk.wad"
    with open(junk, "wb") as f:
        f.write(b"no WAD")
    dest = raw + b"/out"
    done = subprocess.run([TOOL, "--settings", SETTINGS, "--detect", "content", "--dest", dest, "--gallery",
                           "--extra", "svg,html", "--manifest", dest + b"/run.jsonl", "-s", "64x64", *inputs, junk],
                          capture_output=True, stdin=subprocess.DEVNULL)
    check("the hostile run draws every input and refuses the junk", done.returncode == 2, done.stderr)

    # The manifest: strict JSON, a record per map in input order, names as UTF-8 with U+FFFD for what is
    # not (control characters kept, escaped), naming the file written.
    records = [json.loads(line) for line in open(dest + b"/run.jsonl", "rb").read().splitlines()]
    maps = [(path, stem, name) for path, (stem, mapname) in zip(inputs, HOSTILE) for name in
            ([mapname] + ([b"MAP01"] if mapname != b"MAP01" else []))]
    check("the manifest holds a record per map and the refusal", len(records) == len(maps) + 1, len(records))
    for r, (path, stem, name) in zip(records, maps):
        png = dest + b"/" + stem + (b"-2/" if stem == b"index.html" else b"/") + filename(name) + b".png"
        got = (r["status"], r["input"], r["map"], r["output"])
        want = ("written", path.decode("utf-8", "replace"), name.decode("utf-8", "replace"),
                png.decode("utf-8", "replace"))
        check("the manifest names %r of %r and its file" % (name, stem), got == want and os.path.isfile(png),
              (got, want))

    # Folders and file names: one folder per input; the stem index.html does not take the gallery's name.
    folders = sorted(f for f in os.listdir(dest) if os.path.isdir(os.path.join(dest, f)))
    check("one folder per input", len(folders) == len(HOSTILE), folders)
    check("the gallery keeps its index.html", os.path.isfile(dest + b"/index.html") and
          os.path.isfile(dest + b"/index.html-2/MAP01.png"), os.listdir(dest))
    files = [os.path.join(dest, f, n) for f in folders for n in os.listdir(os.path.join(dest, f))]
    check("each map drawn as PNG, SVG and page", len(files) == 3 * len(maps), len(files))

    # SVG: well-formed XML of drawing elements only, titled "MAP - INPUT" in readable text.
    for stem, mapname in HOSTILE:
        for name in {mapname, b"MAP01"}:
            file = dest + b"/" + stem + (b"-2/" if stem == b"index.html" else b"/") + filename(name) + b".svg"
            try:
                doc = minidom.parseString(open(file, "rb").read())
                tags = {e.tagName for e in doc.getElementsByTagName("*")}
                title = doc.getElementsByTagName("title")[0].firstChild.data
                want = readable(name) + " - " + readable(stem + b".wad")
                check("%r is well-formed SVG titled in readable text" % file,
                      tags <= {"svg", "title", "rect", "path", "g"} and title == want, (tags, title, want))
            except Exception as e:  # noqa: BLE001 - any parser error is the failure reported
                check("%r is well-formed SVG" % file, False, e)

    # Map pages and the gallery in the browser; a printable name is the page's title, by its file name.
    plain = {filename(m): m for _, m in HOSTILE + [(b"", b"MAP01")] if all(32 <= c < 127 for c in m)}
    for page in (f for f in files if f.endswith(b".html")):
        open_page(driver, page)
        name = plain.get(os.path.basename(page)[:-5])
        nothing_injected(driver, "map page %r" % page, name.decode() if name else None)
    open_page(driver, dest + b"/index.html")
    nothing_injected(driver, "the gallery", viewer=False)
    cards = driver.find_elements(By.CSS_SELECTOR, ".tw-card")
    check("the gallery has a card per map", len(cards) == len(maps), len(cards))
    links = driver.execute_script(
        "return Array.from(document.querySelectorAll('a[href], img[src]'))"
        ".map(function (e) { return e.getAttribute('href') || e.getAttribute('src'); })")
    missing = [l for l in links if not os.path.isfile(os.path.join(dest, urllib.parse.unquote_to_bytes(l)))]
    check("every link of the gallery resolves to a file (%d links)" % len(links),
          len(links) >= 3 * len(maps) and not missing, missing)
    check("the gallery shows the refused input",
          "refused" in driver.find_element(By.CSS_SELECTOR, "section[data-input$='junk.wad']").text)
    loaded = driver.execute_script(
        "var i = document.querySelector('.tw-card img'); i.scrollIntoView();"
        "return new Promise(function (done) { if (i.complete) done(i.naturalWidth);"
        " else i.onload = i.onerror = function () { done(i.naturalWidth); }; })")
    check("thumbnails load under the page's policy", loaded == 64, loaded)
    driver.find_element(By.ID, "tw-filter").send_keys("#1%3F")
    visible = [c.get_attribute("data-map") for c in cards if c.is_displayed()]
    check("the filter narrows the cards to one input", sorted(visible) == ["#%?", "MAP01"], visible)

    # Diff pages: each hostile input against an older copy with a line more in every map.
    for i, (path, (stem, mapname)) in enumerate(zip(inputs, HOSTILE)):
        old = raw + b"/old%d.wad" % i
        writewad(old, [(mapname, edited)] + ([(b"MAP01", map01)] if mapname != b"MAP01" else []))
        out = raw + b"/diff%d" % i
        os.makedirs(out)
        done = subprocess.run([TOOL, "--settings", SETTINGS, "--detect", "content", "--diff", old, path, "-a",
                               "-s", "64x64", "-o", out + b"/%.html"], capture_output=True, stdin=subprocess.DEVNULL)
        pages = os.listdir(out)
        check("--diff writes the pages of %r" % stem, done.returncode == 0 and len(pages) == 2 - (mapname == b"MAP01"),
              (done.stderr, pages))
        for page in pages:
            open_page(driver, out + b"/" + page)
            name = plain.get(page[:-5])
            nothing_injected(driver, "diff page %r of %r" % (page, stem), name.decode() if name else None)


def main():
    work = tempfile.mkdtemp(prefix="tw-webpage-")
    wad = open(FREEDOOM2, "rb").read()
    map01 = maplumps(wad, b"MAP01")
    vertexes, linedefs = lines_and_points(map01)
    margin = 16

    # MAP01 as it is but for its one-sided walls, which lose their middle textures: findings for the
    # page to list (textures change no stroke). Same file name, so the page's title is the same.
    sides = bytearray(dict(map01)[b"SIDEDEFS"])
    defs = dict(map01)[b"LINEDEFS"]
    for i in range(len(defs) // 14):
        front, back = struct.unpack_from("<hh", defs, 14 * i + 10)
        if back == -1:
            struct.pack_into("8s", sides, 30 * front + 20, b"-")
    os.makedirs(work + "/bare")
    bare = work + "/bare/" + os.path.basename(FREEDOOM2)
    writewad(bare, [(b"MAP01", [(n, bytes(sides) if n == b"SIDEDEFS" else b) for n, b in map01])])
    code, out, err = run(bare, "-m", "MAP01", "-s", "%dx%d" % (SIZE, SIZE), "-M", str(margin),
                         "-o", work + "/%.html", "--extra", "png")
    check("the program writes MAP01's page and PNG", code == 0 and os.path.exists(work + "/MAP01.html"),
          (code, out, err))
    page = work + "/MAP01.html"
    driver = browser()
    try:
        open_page(driver, page)
        check("the page loads with no console errors", not errors(driver), errors(driver))
        asked = requests(driver)
        check("the page asks for nothing but itself", all(u.split("#")[0] == "file://" + urllib.parse.quote(page) for u in asked), asked)
        check("the script ran (its hash matches the policy)",
              driver.execute_script("return document.documentElement.classList.contains('tw-ready')"))

        # The line under the pointer: a linedef with a special whose midpoint no other line comes near.
        place = fitted(vertexes, linedefs, SIZE, margin)
        def mid(i):
            a, b = vertexes[linedefs[i][0]], vertexes[linedefs[i][1]]
            return place((a[0] + b[0]) / 2, (a[1] + b[1]) / 2)
        def dist(p, i):
            (ax, ay), (bx, by) = place(*vertexes[linedefs[i][0]]), place(*vertexes[linedefs[i][1]])
            dx, dy = bx - ax, by - ay
            t = max(0, min(1, ((p[0] - ax) * dx + (p[1] - ay) * dy) / max(dx * dx + dy * dy, 1e-9)))
            return ((ax + t * dx - p[0]) ** 2 + (ay + t * dy - p[1]) ** 2) ** 0.5
        scale = driver.execute_script("return document.querySelector('#tw-view svg').getScreenCTM().a")
        chosen = next(i for i, l in enumerate(linedefs) if l[3] != 0 and
                      all(j == i or dist(mid(i), j) * scale > 12 for j in range(len(linedefs))))
        x, y = on_screen(driver, *mid(chosen))
        point_at(driver, x, y)
        text = details(driver)
        check("the pointer over linedef %d shows its number and special %d" % (chosen, linedefs[chosen][3]),
              text.startswith("Linedef %d\n" % chosen) and ("\nspecial\n%d " % linedefs[chosen][3]) in text, text)

        # A click pins it and sets the address.
        ActionChains(driver).click().perform()
        check("a click pins the line in the address", driver.execute_script("return location.hash") == "#L%d" % chosen,
              driver.execute_script("return location.hash"))

        # The legend switches a layer: every stroke of that class disappears.
        button = driver.find_element(By.CSS_SELECTOR, "#tw-legend button[data-layer='impassable']")
        button.click()
        shown = driver.execute_script(
            "return Array.from(document.querySelectorAll('#tw-view svg .impassable'))"
            ".filter(function (e) { return getComputedStyle(e).display !== 'none'; }).length")
        check("a click on the legend hides that category's strokes", shown == 0 and
              button.get_attribute("aria-pressed") == "false", shown)
        button.click()

        # Wheel zoom at the pointer: the scale changes, the image point under the pointer stays.
        view = driver.find_element(By.ID, "tw-view")
        before = driver.execute_script("return document.querySelector('#tw-view svg').getAttribute('viewBox')")
        x, y = on_screen(driver, SIZE / 3, SIZE / 3)
        rect = view.rect
        ActionChains(driver).scroll_from_origin(
            ScrollOrigin.from_element(view, int(x - rect["x"] - rect["width"] / 2), int(y - rect["y"] - rect["height"] / 2)),
            0, -240).perform()
        after = driver.execute_script("return document.querySelector('#tw-view svg').getAttribute('viewBox')")
        x2, y2 = on_screen(driver, SIZE / 3, SIZE / 3)
        check("wheel zoom changes the view about the pointer",
              before != after and abs(x2 - x) < 2 and abs(y2 - y) < 2, (before, after, x, y, x2, y2))

        # An address selects and centres.
        target = next(i for i, l in enumerate(linedefs) if i > 400 and l[3] == 0)
        open_page(driver, page, "#L%d" % target)
        x, y = on_screen(driver, *mid(target))
        rect = view = driver.find_element(By.ID, "tw-view").rect
        check("#L%d selects and centres the line" % target,
              details(driver).startswith("Linedef %d\n" % target) and
              abs(x - rect["x"] - rect["width"] / 2) < 2 and abs(y - rect["y"] - rect["height"] / 2) < 2,
              (details(driver)[:20], x, y, rect))
        open_page(driver, page, "#S5")
        check("#S5 shows the sector", details(driver).startswith("Sector 5\n"), details(driver)[:40])
        open_page(driver, page)
        entry = driver.find_element(By.CSS_SELECTOR, "#tw-findings button[data-address^='L']")
        address = entry.get_attribute("data-address")
        entry.click()
        x, y = on_screen(driver, *mid(int(address[1:])))
        check("the finding at %s selects and centres its line" % address,
              driver.execute_script("return location.hash") == "#" + address and
              details(driver).startswith("Linedef %s\n" % address[1:]) and
              abs(x - rect["x"] - rect["width"] / 2) < 2 and abs(y - rect["y"] - rect["height"] / 2) < 2,
              (details(driver)[:20], x, y, rect))

        # The drawing at 1:1 against the PNG, as the vector image is checked.
        open_page(driver, page)
        # The pointer rests on the header, so nothing is highlighted.
        ActionChains(driver).move_to_element(driver.find_element(By.TAG_NAME, "h1")).perform()
        driver.find_element(By.TAG_NAME, "body").send_keys("1")
        check("no highlight while the pointer is off the drawing",
              not driver.execute_script("return document.querySelector('.tw-overlay').childNodes.length"))
        left, top = (round(v) for v in on_screen(driver, 0, 0))
        shot = decodepng(driver.get_screenshot_as_png())
        seen = [row[left:left + SIZE] for row in shot[top:top + SIZE]]
        png = decodepng(open(work + "/MAP01.png", "rb").read())
        background = png[0][0]
        there, drawn = agreement(png, seen, background)
        back, shown = agreement(seen, png, background)
        check("the page at 1:1 agrees with the PNG (%.2f %% of %d pixels, %.2f %% back)" %
              (100 * there, drawn, 100 * back), there >= 0.99 and back >= 0.99 and drawn > 1000)

        hostile(driver, work, map01)
        checkedgallery(driver, work, map01)
        diffpage(driver, work, map01, linedefs)
        if SHOTS:
            screenshots(driver, work, SHOTS)
    finally:
        driver.quit()
        shutil.rmtree(work, ignore_errors=True)
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
