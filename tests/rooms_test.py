"""The rooms of docs/design.md and what each may include, against the code:
fails on any #include "..." that its room's row does not allow.

A row's last cell names what the room may include in backticks: a folder
(`writer/`) allows every header in it, a file (`driver/run_state.h`) that
header. A room always includes its own headers; no backticks means no
other room."""

import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parents[1]
# The rooms that are folders of their own, beside src/'s.
OUTSIDE_SRC = {"python/": ROOT / "python", "web/": ROOT / "web"}


def rooms_table(design):
    """{room: [allowed, ...]} from the table whose header is
    "| room | holds | may include |"."""
    rooms, inside = {}, False
    for line in design.splitlines():
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        if cells[:1] == ["room"] and cells[-1] == "may include":
            inside = True
        elif inside and line.startswith("|") and not set(line) <= set("|- "):
            room = re.findall(r"`([^`]+)`", cells[0])[0]
            rooms[room] = re.findall(r"`([^`]+)`", cells[-1])
        elif inside and not line.startswith("|"):
            break
    return rooms


def folder_of(room):
    return OUTSIDE_SRC.get(room, ROOT / "src" / room)


def violations(rooms):
    found = []
    for room, allowed in rooms.items():
        files = [p for p in folder_of(room).rglob("*")
                 if p.suffix in (".h", ".cc")]
        if not files:
            found.append("%s: no such room" % room)
        for path in files:
            for header in re.findall(r'^#include "([^"]+)"',
                                     path.read_text(), re.M):
                if "/" not in header or header.startswith(room):
                    continue  # its own room
                if not any(header == a or (a.endswith("/") and
                                           header.startswith(a))
                           for a in allowed):
                    found.append("%s includes %s, which room %s may not" % (
                        path.relative_to(ROOT), header, room))
    # Every folder of src/ has its row.
    for folder in (ROOT / "src").iterdir():
        if folder.is_dir() and folder.name + "/" not in rooms:
            found.append("src/%s/ has no row" % folder.name)
    return found


def main():
    rooms = rooms_table((ROOT / "docs" / "design.md").read_text())
    if len(rooms) < 5:
        print("no table of rooms in docs/design.md")
        return 1
    found = violations(rooms)
    for line in found:
        print(line)
    print("%d rooms, %d includes out of place" % (len(rooms), len(found)))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
