#!/usr/bin/python3
"""Drives the web page in headless Chromium and checks it against the
command: the console, the note list (shown and downloaded, byte for byte)
and the piano roll of each score, a damaged file's message, the
--all-tracks box and its hint, a failure the translator does not catch,
the keyboard, a phone-sized window and a request that finds nothing.

    web_in_browser.py SOURCE_DIR MORVANE MORVANE_ROLL CORPUS WORK_DIR [PNG]

Builds the page with web/build first, into web/ beside WORK_DIR. Exits 77 (skipped) where Emscripten,
Chromium, ChromeDriver or python3-selenium is missing. PNG, if given,
receives a screenshot of the page.
"""
import functools
import http.server
import os
import shutil
import subprocess
import sys
import threading
import time
import xml.dom.minidom

CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"

failures = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what)
    if not ok:
        failures.append(what)


def as_page_text(data):
    """What the page shows for bytes: UTF-8 where they are, else
    windows-1252 as browsers decode it (undefined bytes kept as code
    points)."""
    try:
        return data.decode("utf-8")
    except UnicodeDecodeError:
        return "".join(
            chr(b) if b in (0x81, 0x8D, 0x8F, 0x90, 0x9D)
            else bytes([b]).decode("cp1252") for b in data)


def run_command(morvane, roll, score, work, all_tracks=False):
    """The command's console, note list and roll for score, run as a user
    would, from the score's folder."""
    name = os.path.basename(score)
    folder = os.path.join(work, "command", name + ("-a" if all_tracks else ""))
    os.makedirs(folder, exist_ok=True)
    shutil.copy(score, os.path.join(folder, name))
    notes_name = os.path.splitext(name)[0] + ".notes.txt"
    args = [morvane] + (["--all-tracks"] if all_tracks else []) + [name, notes_name]
    # One pipe for both streams: the order a terminal shows.
    run = subprocess.run(args, cwd=folder, stdout=subprocess.PIPE,
                         stderr=subprocess.STDOUT)
    result = {"status": run.returncode, "console": run.stdout}
    if run.returncode == 0:
        with open(os.path.join(folder, notes_name), "rb") as f:
            result["notes"] = f.read()
        svg = os.path.join(folder, "roll.svg")
        drawn = subprocess.run([roll, notes_name, "roll.svg"], cwd=folder,
                               check=True, capture_output=True)
        result["summary"] = drawn.stdout.decode()
        xml.dom.minidom.parse(svg)  # raises where the picture is not XML
        with open(svg) as f:
            result["rects"] = f.read().count('<rect class="note"')
    return result


class Page:
    def __init__(self, driver, url):
        self.driver = driver
        self.driver.get(url)
        self.wait(lambda d: d.execute_script(
            "return document.body.dataset.ready === 'yes'"))

    def wait(self, condition, seconds=30):
        from selenium.webdriver.support.ui import WebDriverWait
        WebDriverWait(self.driver, seconds).until(condition)

    def runs(self):
        return int(self.driver.execute_script(
            "return document.body.dataset.runs || '0'"))

    def after_run(self, action):
        before = self.runs()
        action()
        self.wait(lambda d: self.runs() > before)

    def choose(self, path):
        from selenium.webdriver.common.by import By
        field = self.driver.find_element(By.ID, "score-file")
        self.after_run(lambda: field.send_keys(os.path.abspath(path)))

    def drop(self, path):
        with open(path, "rb") as f:
            data = list(f.read())
        self.after_run(lambda: self.driver.execute_script("""
            const file = new File([new Uint8Array(arguments[0])], arguments[1]);
            const carried = new DataTransfer();
            carried.items.add(file);
            document.getElementById('console').dispatchEvent(new DragEvent(
                'drop', {dataTransfer: carried, bubbles: true, cancelable: true}));
            """, data, os.path.basename(path)))

    def state(self):
        return self.driver.execute_script(
            "return document.getElementById('state').textContent")

    def shown(self):
        d = self.driver
        return {
            "status": int(d.execute_script("return document.body.dataset.status")),
            "console": d.execute_script(
                "return document.getElementById('console').textContent"),
            "notes": d.execute_script(
                "return document.getElementById('note-list').value"),
            "hidden": d.execute_script(
                "return document.getElementById('result').hidden"),
            "summary": d.execute_script(
                "return document.getElementById('summary').textContent"),
            "rects": d.execute_script(
                "return document.querySelectorAll('#roll rect.note').length"),
            "download_name": d.execute_script(
                "return document.getElementById('download').download"),
        }

    def downloaded(self):
        data = self.driver.execute_async_script("""
            const done = arguments[arguments.length - 1];
            fetch(document.getElementById('download').href)
                .then(r => r.arrayBuffer())
                .then(b => done(Array.from(new Uint8Array(b))));
            """)
        return bytes(data)


def compare(page, expected, label):
    shown = page.shown()
    check(shown["status"] == expected["status"], label + ": status")
    check(shown["console"] == as_page_text(expected["console"]),
          label + ": console as the command prints it")
    if expected["status"] != 0:
        check(shown["hidden"] and shown["notes"] == "" and shown["rects"] == 0,
              label + ": no note list after a failure")
        return
    check(not shown["hidden"], label + ": note list shown")
    check(shown["notes"] == as_page_text(expected["notes"]),
          label + ": note list text")
    check(page.downloaded() == expected["notes"],
          label + ": download byte for byte (%d bytes)" % len(expected["notes"]))
    name = os.path.splitext(label.split()[0])[0] + ".notes.txt"
    check(shown["download_name"] == name, label + ": saved as " + name)
    check(shown["rects"] == expected["rects"] and shown["rects"] > 0,
          label + ": %d notes in the roll" % shown["rects"])
    check(shown["summary"] == expected["summary"], label + ": summary")


# Paths the page asked for and the server did not have (a favicon, say).
missing = []


class Handler(http.server.SimpleHTTPRequestHandler):
    def log_request(self, code="-", size="-"):
        if str(code) == "404":
            missing.append(self.path)

    def log_message(self, *args):
        pass


def serve(site):
    handler = functools.partial(Handler, directory=site)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def start_browser(work):
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for flag in ["--headless=new", "--no-sandbox", "--disable-gpu",
                 "--disable-quic", "--no-first-run",
                 "--disable-background-networking",
                 "--disable-component-update", "--disable-sync",
                 "--hide-scrollbars", "--window-size=1100,1750",
                 "--user-data-dir=" + os.path.join(work, "profile")]:
        options.add_argument(flag)
    return webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)


def main():
    source, morvane, roll, corpus, work = sys.argv[1:6]
    screenshot = sys.argv[6] if len(sys.argv) > 6 else None
    try:
        import selenium  # noqa: F401
    except ImportError:
        print("python3-selenium is not installed: skipped")
        return 77
    for path, package in [(CHROMIUM, "chromium"), (CHROMEDRIVER, "chromium-driver")]:
        if not os.path.exists(path):
            print(package + " is not installed: skipped")
            return 77
    if shutil.which("emcmake") is None:
        print("emscripten is not installed: skipped")
        return 77
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    built = os.path.join(os.path.dirname(os.path.abspath(work)), "web")
    subprocess.run([os.path.join(source, "web", "build"), built], check=True,
                   stdout=subprocess.DEVNULL)
    site = os.path.join(built, "site")
    damaged = os.path.join(work, "damaged.mid")
    with open(os.path.join(corpus, "chords.mid"), "rb") as f:
        whole = f.read()
    with open(damaged, "wb") as f:
        f.write(whole[:len(whole) // 2])
    # A name in Latin-1, as an old Windows editor saved it: the note list
    # keeps its byte, the page shows it.
    latin1 = os.path.join(work, "latin1.txt")
    with open(latin1, "wb") as f:
        f.write(b"MFile 1 2 480\nMTrk\n0 Tempo 500000\n0 Meta TrkEnd\nTrkEnd\n"
                b"MTrk\n0 Meta TrkName Fl\xfcgelhorn\n0 On ch=1 n=70 v=80\n"
                b"480 On ch=1 n=70 v=0\n480 Meta TrkEnd\nTrkEnd\n")
    not_a_score = os.path.join(work, "letter.txt")
    with open(not_a_score, "w") as f:
        f.write("Dear Anna,\nthe parts are in the post.\n")
    scores = [os.path.join(corpus, "names_odd_chars.mid"),
              os.path.join(corpus, "chords.mid"),
              os.path.join(corpus, "six_named_tracks.txt"),
              latin1, damaged, not_a_score]

    server = serve(site)
    driver = start_browser(work)
    try:
        page = Page(driver, "http://127.0.0.1:%d/" % server.server_address[1])

        # The keyboard reaches the score first, then the option.
        from selenium.webdriver.common.action_chains import ActionChains
        from selenium.webdriver.common.keys import Keys
        ActionChains(driver).send_keys(Keys.TAB).perform()
        first = driver.execute_script("return document.activeElement.id")
        ActionChains(driver).send_keys(Keys.TAB).perform()
        second = driver.execute_script("return document.activeElement.id")
        check((first, second) == ("score-file", "all-tracks"),
              "keyboard order: %s then %s" % (first, second))

        for score in scores:
            expected = run_command(morvane, roll, score, work)
            page.choose(score)
            compare(page, expected, os.path.basename(score))

        # A score whose notes are all in a track without a name: the hint
        # names the box on the page, not the command's option.
        nameless = os.path.join(work, "nameless.txt")
        with open(nameless, "w") as f:
            f.write("MFile 1 2 480\nMTrk\n0 Tempo 500000\n0 Meta TrkEnd\n"
                    "TrkEnd\nMTrk\n0 On ch=1 n=70 v=80\n480 On ch=1 n=70 v=0\n"
                    "480 Meta TrkEnd\nTrkEnd\n")
        page.choose(nameless)
        said = page.state()
        check(page.shown()["status"] == 0 and "No note was kept" in said and
              "\u201cKeep every track with notes\u201d" in said and
              "--all-tracks" not in said,
              "no note kept: the hint names the box: " + said)

        # Dropped on the page, as a chosen file is.
        unnamed = os.path.join(corpus, "unnamed_tracks.mid")
        page.drop(unnamed)
        compare(page, run_command(morvane, roll, unnamed, work),
                "unnamed_tracks.mid dropped")
        # The box translates the same score again, every track kept.
        page.after_run(lambda: driver.execute_script(
            "document.getElementById('all-tracks').click()"))
        compare(page, run_command(morvane, roll, unnamed, work, all_tracks=True),
                "unnamed_tracks.mid with every track")
        page.after_run(lambda: driver.execute_script(
            "document.getElementById('all-tracks').click()"))

        # A roll too large for a page is described, not drawn; the note list
        # is whole.
        big = os.path.join(work, "big.txt")
        with open(big, "w") as f:
            f.write("MFile 1 2 480\nMTrk\n0 Meta TrkName Big Band\n")
            for k in range(45000):
                f.write("%d On ch=1 n=%d v=90\n%d On ch=1 n=%d v=0\n"
                        % (480 * k, 40 + k % 50, 480 * k + 240, 40 + k % 50))
            f.write("21600000 Meta TrkEnd\n")
        expected = run_command(morvane, roll, big, work)
        started = time.time()
        page.choose(big)
        print("big.txt: %.1f s in the page" % (time.time() - started))
        shown = page.shown()
        whole = as_page_text(expected["notes"])
        preview = whole[:whole.rindex("\n", 0, 1 << 18) + 1]
        cut = driver.execute_script(
            "return document.getElementById('note-list-cut').textContent")
        check(shown["status"] == 0 and shown["notes"] == preview and
              ("of %s lines" % format(whole.count("\n"), ",")) in cut and
              page.downloaded() == expected["notes"],
              "big.txt: the note list's first %d lines shown, all downloaded"
              % preview.count("\n"))
        said = driver.execute_script(
            "return document.getElementById('roll').textContent")
        check(shown["rects"] == 0 and
              ("A piano roll of %d marks" % expected["rects"]) in said,
              "big.txt: the roll of %d marks described, not drawn" %
              expected["rects"])
        check(shown["summary"] == expected["summary"], "big.txt: summary")

        # A failure the translator lets out, as WebAssembly that runs out of
        # memory aborts, is told; the page is not left on "Reading...".
        driver.execute_script("""
            window.kept = Module.translateScore;
            Module.translateScore = function () {
                throw new WebAssembly.RuntimeError('Aborted(OOM)'); };""")
        page.choose(latin1)
        shown = page.shown()
        check(page.state() == "latin1.txt could not be translated: "
              "out of memory." and shown["hidden"] and shown["status"] == 1,
              "an escaped failure is told: " + page.state())
        driver.execute_script("Module.translateScore = window.kept;")

        page.choose(os.path.join(corpus, "chords.mid"))
        if screenshot:
            driver.save_screenshot(screenshot)

        # On a phone the page does not scroll sideways; the roll and the
        # console scroll inside their boxes.
        driver.set_window_size(390, 844)
        wide = driver.execute_script(
            "return [document.documentElement.scrollWidth, window.innerWidth]")
        check(wide[0] <= wide[1], "phone width: page %d px in a %d px window"
              % tuple(wide))
        driver.save_screenshot(os.path.join(work, "phone.png"))
        # At 400 px the box's label wraps between words, not inside
        # "(--all-tracks)".
        driver.set_window_size(400, 844)
        pieces = driver.execute_script("""return document.querySelector(
            'label[for="all-tracks"] code').getClientRects().length""")
        check(pieces == 1, "400 px: --all-tracks on one line (%d)" % pieces)
        check(missing == [], "every request found: %s" % missing)
    finally:
        driver.quit()
        server.shutdown()

    print("%d failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
