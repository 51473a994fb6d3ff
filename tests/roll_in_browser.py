#!/usr/bin/python3
"""Draws a corpus file's note list with morvane-roll, renders the SVG in
headless Chromium and checks that the picture shows coloured notes.

    roll_in_browser.py MORVANE MORVANE_ROLL SCORE WORK_DIR [PNG_COPY]

Exits 77 (skipped) where Chromium or python3-pil is missing.
"""
import os
import shutil
import subprocess
import sys

CHROMIUM = "/usr/bin/chromium"


def main():
    morvane, roll, score, work = sys.argv[1:5]
    try:
        from PIL import Image
    except ImportError:
        print("python3-pil is not installed: skipped")
        return 77
    if not os.path.exists(CHROMIUM):
        print("chromium is not installed: skipped")
        return 77
    os.makedirs(work, exist_ok=True)
    notes = os.path.join(work, "notes.txt")
    svg = os.path.join(work, "roll.svg")
    png = os.path.join(work, "roll.png")
    subprocess.run([morvane, score, notes], check=True, stdout=subprocess.DEVNULL)
    summary = subprocess.run([roll, notes, svg], check=True, capture_output=True,
                             text=True).stdout
    print(summary, end="")
    with open(svg) as f:
        head = f.readline()
    width = int(float(head.split('width="')[1].split('"')[0]))
    height = int(float(head.split('height="')[1].split('"')[0]))
    if os.path.exists(png):
        os.remove(png)
    subprocess.run([CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu",
                    "--disable-quic", "--no-first-run",
                    "--disable-background-networking",
                    "--disable-component-update", "--disable-sync",
                    "--user-data-dir=" + os.path.join(work, "profile"),
                    "--hide-scrollbars",
                    "--window-size=%d,%d" % (min(width, 1600), min(height, 1200)),
                    "--screenshot=" + png, "file://" + os.path.abspath(svg)],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    image = Image.open(png).convert("RGB")
    pixels = list(image.getdata())
    # Notes are the only coloured things: the grid is grey, the page white.
    coloured = sum(1 for r, g, b in pixels if max(r, g, b) - min(r, g, b) > 40)
    shown = sum(1 for p in pixels if p != (255, 255, 255))
    print("%d x %d pixels, %d not white, %d coloured" %
          (image.width, image.height, shown, coloured))
    if len(sys.argv) > 5:
        shutil.copy(png, sys.argv[5])
    ok = coloured >= 200 and shown >= 1000
    print("%d passed, %d failed" % (ok, not ok))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
