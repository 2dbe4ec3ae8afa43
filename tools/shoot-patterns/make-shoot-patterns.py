#!/usr/bin/env python3
"""Write the factory recoil patterns of DefaultData/.

    python3 tools/shoot-patterns/make-shoot-patterns.py [--check] [OUTPUT_DIR]

Writes ShootData_0.Shoot ... ShootData_3.Shoot into OUTPUT_DIR (default:
DefaultData/ of the source tree), one per gun slot of the mouse's recoil
memory. Each is a macro file ("MacroName", "Guid", "Events", "Version" 64)
whose 180 events are 30 bullets of six events each:

    click down   Button 1, Delay 10, Type 1
    click up     Button 1, Delay 0,  Type 1
    horizontal   distance, Delay 5,  Type 4 ("down" left, "up" right)
    vertical     distance, the bullet's delay, Type 5 ("down" upwards,
                 "up" downwards)
    horizontal   0, Delay 0, Type 4 (same direction)
    vertical     0, Delay 0, Type 5 (same direction)

Every value is a JSON integer, "Delay" too. The four patterns are our own
models of four kinds of weapon: a vertical pull (compensated by moving the
pointer down) that grows over the first shots and then settles, a
horizontal drift that swings from one side to the other, and a fixed time
between shots. Nothing is random: the same script writes the same bytes.

The output imitates jsoncpp's StyledWriter (three-space indentation, object
keys in byte order), the form the program writes the files in, so that a
pattern edited by the program differs from its factory file only where a
value changed.

With --check nothing is written: the script compares the files on disk with
what it would write and exits 1 when any differs.

Only the Python standard library is used.
"""

import json
import math
import os
import sys

BULLETS = 30
EVENTS_PER_BULLET = 6
VERSION = 64

TYPE_BUTTON = 1
TYPE_HORIZONTAL = 4
TYPE_VERTICAL = 5
LEFT_BUTTON = 1
CLICK_DELAY = 10
MOVE_DELAY = 5


# ---------------------------------------------------------------------------
# The weapons. Vertical pull per shot: from `start` up to `peak` at shot
# `peak_at` (counted from 0), then easing towards `settle` with the time
# constant `ease` (in shots). Horizontal drift per shot: a sine of amplitude
# `sway` and period `period` shots, shifted by `phase` shots, plus `lean`
# (positive: to the right). `delay` is the pause after each shot's move, in
# milliseconds; with the click and the move it gives the time between shots.
# ---------------------------------------------------------------------------
WEAPONS = [
    # Assault rifle: a strong pull that rises over the first ten shots.
    dict(name="ShootData_0", guid="2025_03_01_10_00_00_000", delay=65,
         start=3, peak=14, peak_at=9, settle=9, ease=6.0,
         sway=3.5, period=18.0, phase=0.0, lean=0.5),
    # Submachine gun: quick shots, little pull, a short fast wobble.
    dict(name="ShootData_1", guid="2025_03_01_10_00_00_001", delay=45,
         start=2, peak=6, peak_at=6, settle=4, ease=5.0,
         sway=2.0, period=10.0, phase=2.0, lean=0.0),
    # Battle rifle: heavy rounds, the steepest climb, wide drift to the left
    # first.
    dict(name="ShootData_2", guid="2025_03_01_10_00_00_002", delay=85,
         start=5, peak=20, peak_at=7, settle=13, ease=5.0,
         sway=5.5, period=22.0, phase=11.0, lean=-0.5),
    # Pistol-like: slow aimed shots, an early modest kick, hardly any drift.
    dict(name="ShootData_3", guid="2025_03_01_10_00_00_003", delay=95,
         start=4, peak=9, peak_at=3, settle=7, ease=4.0,
         sway=1.5, period=8.0, phase=0.0, lean=0.0),
]


def vertical_pull(w, shot):
    if shot < w["peak_at"]:
        rise = (shot / w["peak_at"]) ** 0.8
        value = w["start"] + (w["peak"] - w["start"]) * rise
    else:
        fade = math.exp(-(shot - w["peak_at"]) / w["ease"])
        value = w["settle"] + (w["peak"] - w["settle"]) * fade
    return int(round(value))


def horizontal_drift(w, shot):
    angle = 2.0 * math.pi * (shot + w["phase"]) / w["period"]
    return w["lean"] + w["sway"] * math.sin(angle)


def event(down, button, delay, kind):
    return {
        "Action": "down" if down else "up",
        "Button": button,
        "Delay": delay,
        "Type": kind,
    }


def bullet_events(left, horizontal, upwards, vertical, delay):
    return [
        event(True, LEFT_BUTTON, CLICK_DELAY, TYPE_BUTTON),
        event(False, LEFT_BUTTON, 0, TYPE_BUTTON),
        event(left, horizontal, MOVE_DELAY, TYPE_HORIZONTAL),
        event(upwards, vertical, delay, TYPE_VERTICAL),
        event(left, 0, 0, TYPE_HORIZONTAL),
        event(upwards, 0, 0, TYPE_VERTICAL),
    ]


def pattern(w):
    events = []
    for shot in range(BULLETS):
        drift = horizontal_drift(w, shot)
        distance = int(round(abs(drift)))
        # Recoil throws the aim up; the pointer is moved down against it
        # ("up" is downwards). Against a drift to the right the pointer
        # moves left ("down").
        left = drift > 0 and distance > 0
        events += bullet_events(left, distance, False, vertical_pull(w, shot), w["delay"])
    return {
        "MacroName": w["name"],
        "Guid": w["guid"],
        "Events": events,
        "Version": VERSION,
    }


# The writer of the program's layout, shared with the other scripts.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir))
from styled_json import styled  # noqa: E402


# ---------------------------------------------------------------------------
# Checks of the patterns before anything is written.
# ---------------------------------------------------------------------------
def self_check(documents):
    seen = set()
    for doc in documents:
        events = doc["Events"]
        assert len(events) == BULLETS * EVENTS_PER_BULLET, doc["MacroName"]
        for e in events:
            assert 0 <= e["Button"] <= 255 and 0 <= e["Delay"] <= 65535
        verticals = [events[6 * b + 3]["Button"] for b in range(BULLETS)]
        sides = {events[6 * b + 2]["Action"] for b in range(BULLETS)
                 if events[6 * b + 2]["Button"] > 0}
        # The pull grows, then settles below its peak; the drift changes
        # side.
        assert verticals[0] < max(verticals) and verticals[-1] < max(verticals), doc["MacroName"]
        assert sides == {"down", "up"}, doc["MacroName"]
        key = json.dumps(events)
        assert key not in seen, "two guns share a pattern"
        seen.add(key)


def main(argv):
    check = "--check" in argv
    args = [a for a in argv if a != "--check"]
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = args[0] if args else os.path.join(here, "..", "..", "DefaultData")
    out_dir = os.path.normpath(out_dir)
    documents = [pattern(w) for w in WEAPONS]
    self_check(documents)
    differs = False
    for gun, doc in enumerate(documents):
        text = styled(doc)
        assert json.loads(text) == doc
        path = os.path.join(out_dir, "ShootData_%d.Shoot" % gun)
        if check:
            try:
                with open(path, "r", encoding="utf-8", newline="") as f:
                    same = f.read() == text
            except OSError:
                same = False
            if not same:
                print("differs: %s" % path)
                differs = True
            continue
        os.makedirs(out_dir, exist_ok=True)
        with open(path, "w", encoding="utf-8", newline="\n") as f:
            f.write(text)
        print("wrote %s (%d bytes)" % (path, len(text.encode("utf-8"))))
    return 1 if differs else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
