#!/usr/bin/python3
"""Draws a corpus file's note list with morvane-roll, renders the SVG in
headless Chromium and checks that the picture shows coloured notes; then
that the legend of a score of hundreds of tracks stays inside its picture.
Every SVG is read by an XML parser first.

    roll_in_browser.py MORVANE MORVANE_ROLL SCORE WORK_DIR [PNG_COPY]

Exits 77 (skipped) where Chromium or python3-pil is missing.
"""
import os
import shutil
import subprocess
import sys
import xml.dom.minidom

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
    width, height, _ = size_of(svg)
    image = screenshot(svg, png, work, min(width, 1600), min(height, 1200))
    pixels = list(image.getdata())
    # Notes are the only coloured things: the grid is grey, the page white.
    coloured = sum(1 for r, g, b in pixels if max(r, g, b) - min(r, g, b) > 40)
    shown = sum(1 for p in pixels if p != (255, 255, 255))
    print("%d x %d pixels, %d not white, %d coloured" %
          (image.width, image.height, shown, coloured))
    if len(sys.argv) > 5:
        shutil.copy(png, sys.argv[5])
    ok = coloured >= 200 and shown >= 1000

    # Nothing of the legend of 379 tracks lies right of the grid, where the
    # picture keeps a margin of 16 pixels.
    many = os.path.join(work, "many.txt")
    with open(many, "w") as f:
        f.write("MFile 1 379 480\n")
        for t in range(379):
            f.write("MTrk\n0 Meta TrkName Contrabassoon %d (muted, divisi)\n"
                    "0 On ch=%d n=60 v=90\n480 On ch=%d n=60 v=0\n"
                    "480 Meta TrkEnd\nTrkEnd\n" % (t + 1, t % 16 + 1, t % 16 + 1))
    subprocess.run([morvane, many, notes], check=True, stdout=subprocess.DEVNULL)
    subprocess.run([roll, notes, svg], check=True, stdout=subprocess.DEVNULL)
    width, height, legend_top = size_of(svg)
    image = screenshot(svg, png, work, width, height)
    margin = image.crop((width - 16, legend_top, width, height))
    inked = sum(1 for p in margin.getdata() if min(p) < 200)
    print("legend of 379 tracks: %d x %d pixels, %d inked right of the grid" %
          (width, height, inked))
    ok = ok and inked == 0
    print("%d passed, %d failed" % (ok, not ok))
    return 0 if ok else 1


def size_of(svg):
    """The picture's width and height, and the top of its legend; raises
    where the SVG is not XML."""
    document = xml.dom.minidom.parse(svg)
    root = document.documentElement
    legend = [float(t.getAttribute("y")) for t in root.getElementsByTagName("text")
              if t.getAttribute("text-anchor") == "start"]
    return (int(float(root.getAttribute("width"))),
            int(float(root.getAttribute("height"))), int(min(legend)) - 12)


def screenshot(svg, png, work, width, height):
    from PIL import Image
    if os.path.exists(png):
        os.remove(png)
    subprocess.run([CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu",
                    "--disable-quic", "--no-first-run",
                    "--disable-background-networking",
                    "--disable-component-update", "--disable-sync",
                    "--user-data-dir=" + os.path.join(work, "profile"),
                    "--hide-scrollbars",
                    "--window-size=%d,%d" % (width, height),
                    "--screenshot=" + png, "file://" + os.path.abspath(svg)],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return Image.open(png).convert("RGB")


if __name__ == "__main__":
    sys.exit(main())
