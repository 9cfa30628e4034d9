#!/usr/bin/python3
"""Uses the Sweepwell window as a person would, through the accessibility tree.

Builds a home folder with a Trash of two files and a few files that must stay, starts the
program on it, waits for the scan, reads the sidebar, switches the Trash on, unticks one of
its files in the Trash's table, removes the selection, reads the completion popover and
checks that exactly the ticked file went. Where the immutable attribute can be set (as root),
the Trash also holds a root-owned folder with an immutable file that even root cannot remove:
the removal then shows the error screen with the permission reason, whose finish button
leads on to the completion popover. Run by run.sh, inside a virtual display with a private
session bus and accessibility bus.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import time
import traceback

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

import pyatspi  # noqa: E402

POLL_SECONDS = 0.1
START_SECONDS = 10
SCAN_SECONDS = 30
STEP_SECONDS = 10
MAX_TREE_DEPTH = 40

REMOVE_BUTTON = "Remove Selected Files"
CONFIRM_BUTTON = "Remove"
QUIT_BUTTON = "Quit"
SIDEBAR = "Categories"
SCANNING = "Scanning..."
HEADING = "NOTHING FOUND"
TRASH = "Trash"
REMOVED_SENTENCE = re.compile(r"We've successfully removed (.*) from your drive!")
ERROR_TITLE = ("The following files could not be deleted automatically. Use the 'Show in "
               "Folder' button below to manually remove them:")
ERROR_TABLE = "Files not deleted"
PERMISSION_REASON = ("Could not remove this file due to a permissions issue. Click the Delete "
                     "button to remove using Administrative privileges.")
DELETE_BUTTON = "Delete"
SKIP_BUTTON = "Skip"

TRASH_FILES = {".Trash/holiday.jpg": 300_000, ".Trash/draft.odt": 120_000}
# The Trash file the user unticks before removing: it must stay.
UNTICKED = ".Trash/draft.odt"
# A Trash entry that cannot be removed: a root-owned folder holding an immutable file.
LOCKED_FOLDER = ".Trash/locked"
LOCKED_FILE = ".Trash/locked/stuck.bin"
LOCKED_SIZE = 40_000
# One file of no category, one of a category that is never switched on (Downloads) and one
# of a category whose files are ticked by default but which stays off (Application Caches).
KEPT_FILES = {
    "Documents/report.odt": 50_000,
    "Downloads/manual.pdf": 80_000,
    "Library/Caches/org.example.Editor/cache.db": 200_000,
}


class Failure(Exception):
    pass


def formatted_size(size):
    """The program's size text: decimal units, two decimals."""
    units = ["bytes", "KB", "MB", "GB", "TB", "PB", "EB"]
    value, unit = float(size), 0
    while value >= 1000 and unit < len(units) - 1:
        value /= 1000
        unit += 1
    return f"{value:.2f} {units[unit]}"


def category_titles(source_tree):
    folder = os.path.join(source_tree, "engine", "categories")
    pattern = re.compile(r'title\(\) const override \{ return QStringLiteral\("([^"]+)"\)')
    titles = set()
    for name in sorted(os.listdir(folder)):
        if name.endswith(".h"):
            with open(os.path.join(folder, name), encoding="utf-8") as header:
                titles.update(pattern.findall(header.read()))
    if len(titles) != 20:
        raise Failure(f"expected twenty category titles in {folder}, read {sorted(titles)}")
    return titles


def write_file(home, relative, size):
    path = os.path.join(home, relative)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as file:
        file.write(os.urandom(size))
    return path


def build_fixture(home):
    """The home's files; answers whether the unremovable Trash entry could be made."""
    for relative, size in {**TRASH_FILES, **KEPT_FILES}.items():
        write_file(home, relative, size)
    return make_locked_entry(home)


def set_immutable(path, immutable):
    chattr = shutil.which("chattr")
    if chattr is None:
        return False
    flag = "+i" if immutable else "-i"
    return subprocess.run([chattr, flag, path], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0


def make_locked_entry(home):
    """Root cannot be refused by permissions alone: only the immutable attribute stops it.
    Without root or without chattr the entry is left out and the run checks the rest."""
    if os.geteuid() != 0:
        return False
    path = write_file(home, LOCKED_FILE, LOCKED_SIZE)
    for owned in (path, os.path.dirname(path)):
        os.chown(owned, 0, 0)
    if set_immutable(path, True):
        return True
    shutil.rmtree(os.path.join(home, LOCKED_FOLDER))
    return False


def unlock_entry(home):
    path = os.path.join(home, LOCKED_FILE)
    if os.path.lexists(path):
        set_immutable(path, False)


class Session:
    """The running program and the ways of reaching its window."""

    def __init__(self, process):
        self.process = process

    def until(self, what, probe, seconds):
        """Polls `probe` until it answers something true, which is returned."""
        deadline = time.monotonic() + seconds
        while True:
            status = self.process.poll()
            if status is not None:
                raise Failure(f"the program exited with status {status} while waiting for {what}")
            answer = probe()
            if answer:
                return answer
            if time.monotonic() > deadline:
                raise Failure(f"waited {seconds} s for {what}")
            time.sleep(POLL_SECONDS)

    def application(self):
        desktop = pyatspi.Registry.getDesktop(0)
        for index in range(desktop.childCount):
            try:
                app = desktop.getChildAtIndex(index)
                if app is not None and app.get_process_id() == self.process.pid:
                    return app
            except GLib.Error:
                continue
        return None

    def find(self, role, name, showing=True, within=None):
        for node in descendants(within or self.application()):
            try:
                if node.getRole() != role or node.name != name:
                    continue
                if showing and not node.getState().contains(pyatspi.STATE_SHOWING):
                    continue
                return node
            except GLib.Error:
                continue
        return None

    def sidebar_rows(self):
        """Each row's cell texts, or None while the sidebar is not there."""
        table = self.find(pyatspi.ROLE_TABLE, SIDEBAR)
        if table is None:
            return None
        try:
            cells = table.queryTable()
            return [
                [cells.getAccessibleAt(row, column).name for column in range(cells.nColumns)]
                for row in range(cells.nRows)
            ]
        except GLib.Error:
            return None

    def press(self, name, within=None):
        button = self.find(pyatspi.ROLE_PUSH_BUTTON, name, within=within)
        if button is None:
            raise Failure(f"no button {name!r} is showing")
        button.queryAction().doAction(0)

    def check_cell(self, table_name, file_name):
        """The check box cell of a file in a detail table (the last cell of its row), or
        None."""
        table = self.find(pyatspi.ROLE_TABLE, table_name)
        if table is None:
            return None
        cells = table.queryTable()
        for row in range(cells.nRows):
            named = [cells.getAccessibleAt(row, column) for column in range(cells.nColumns)]
            named = [cell for cell in named if cell and cell.name == file_name]
            if named:
                return named[-1]
        return None

    def switch_cell(self, title):
        table = self.find(pyatspi.ROLE_TABLE, SIDEBAR)
        if table is None:
            raise Failure(f"the {SIDEBAR} table is gone")
        cells = table.queryTable()
        for row in range(cells.nRows):
            if cells.getAccessibleAt(row, 1).name.startswith(title + ", "):
                return cells.getAccessibleAt(row, 2)
        raise Failure(f"no sidebar row is titled {title!r}")


def descendants(node, depth=0):
    if node is None or depth > MAX_TREE_DEPTH:
        return
    yield node
    try:
        count = node.childCount
    except GLib.Error:
        return
    for index in range(count):
        try:
            child = node.getChildAtIndex(index)
        except GLib.Error:
            continue
        yield from descendants(child, depth + 1)


def print_tree(node, depth=0):
    if node is None or depth > MAX_TREE_DEPTH:
        return
    try:
        states = node.getState()
        marks = [
            mark
            for mark, state in (
                ("showing", pyatspi.STATE_SHOWING),
                ("sensitive", pyatspi.STATE_SENSITIVE),
                ("checked", pyatspi.STATE_CHECKED),
            )
            if states.contains(state)
        ]
        print(f"{'  ' * depth}{node.getRoleName()}: {node.name!r} [{' '.join(marks)}]")
        children = [node.getChildAtIndex(index) for index in range(node.childCount)]
    except GLib.Error as error:
        print(f"{'  ' * depth}(gone: {error.message})")
        return
    for child in children:
        print_tree(child, depth + 1)


def wait_for_accessibility_bus():
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    deadline = time.monotonic() + START_SECONDS
    while True:
        reply = bus.call_sync(
            "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
            "NameHasOwner", GLib.Variant("(s)", ("org.a11y.Bus",)), GLib.VariantType("(b)"),
            Gio.DBusCallFlags.NONE, 1000, None)
        if reply.unpack()[0]:
            return
        if time.monotonic() > deadline:
            raise Failure("the accessibility bus did not start")
        time.sleep(POLL_SECONDS)


def wait_for_scan(session):
    def finished():
        if session.find(pyatspi.ROLE_PUSH_BUTTON, REMOVE_BUTTON) is None:
            return None
        rows = session.sidebar_rows()
        if not rows or any(SCANNING in text for row in rows for text in row):
            return None
        return rows

    return session.until("the scan to finish", finished, SCAN_SECONDS)


def check_sidebar(rows, titles, trash_size):
    """Every category has its row, the heading is there, the Trash shows its size."""
    category_rows = [row for row in rows if row[1]]
    shown = [row[1].split(", ")[0] for row in category_rows]
    if len(category_rows) != 20 or set(shown) != titles:
        raise Failure(f"the sidebar lists {shown}, expected the twenty categories {sorted(titles)}")
    if not any(row[0] == HEADING for row in rows):
        raise Failure(f"no {HEADING!r} heading among the rows {rows}")
    trash = next(row[1] for row in category_rows if row[1].startswith(TRASH + ", "))
    if not trash.endswith(f" of {trash_size}"):
        raise Failure(f"the Trash row reads {trash!r}, expected its size {trash_size}")


def answer_launcher_offer(session):
    """Run from a build folder the program offers a launcher in a window of its own, which
    could lie over the main window's controls: a person says no."""
    offer = session.find(pyatspi.ROLE_ALERT, "Sweepwell")
    if offer is None:
        return
    session.press("No", within=offer)
    session.until("the launcher offer to close",
                  lambda: session.find(pyatspi.ROLE_ALERT, "Sweepwell") is None, STEP_SECONDS)


def switch_on(session, title, selected_text):
    cell = session.switch_cell(title)
    if cell.getState().contains(pyatspi.STATE_CHECKED):
        raise Failure(f"the {title} switch is on before it was clicked")
    click(cell, f"the {title} switch")

    def switched_on():
        checked = session.switch_cell(title).getState().contains(pyatspi.STATE_CHECKED)
        button = session.find(pyatspi.ROLE_PUSH_BUTTON, REMOVE_BUTTON)
        enabled = button is not None and button.getState().contains(pyatspi.STATE_SENSITIVE)
        return checked and enabled

    session.until(f"the {title} switch to turn on and enable removal",
                  switched_on, STEP_SECONDS)
    rows = session.sidebar_rows()
    expected = f"{title}, {selected_text} of {selected_text}"
    if not any(row[1] == expected for row in rows):
        raise Failure(f"after switching {title} on no row reads {expected!r}: {rows}")


def text_under(session, heading):
    """What the label after a heading label reads, as a screen reader goes on to it."""
    label = session.find(pyatspi.ROLE_LABEL, heading)
    if label is None:
        return None
    try:
        return label.parent.getChildAtIndex(label.getIndexInParent() + 1).name
    except GLib.Error:
        return None


def click(node, what):
    extents = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    if extents.width <= 0 or extents.height <= 0:
        raise Failure(f"{what} has no place on the screen: {extents}")
    pyatspi.Registry.generateMouseEvent(extents.x + extents.width // 2,
                                        extents.y + extents.height // 2, "b1c")


def untick_file(session, title, relative, selected_text):
    """Unticks a file in the category's table; the strip then counts only what is left."""
    name = os.path.basename(relative)
    cell = session.until(f"the check box of {name} in the {title} table",
                         lambda: session.check_cell(title, name), STEP_SECONDS)
    if not cell.getState().contains(pyatspi.STATE_CHECKED):
        raise Failure(f"{name} is not ticked after switching {title} on")
    click(cell, f"the check box of {name}")
    session.until(f"{name} to be unticked",
                  lambda: not session.check_cell(title, name).getState().contains(
                      pyatspi.STATE_CHECKED), STEP_SECONDS)
    session.until(f"the strip to read SELECTED {selected_text}",
                  lambda: text_under(session, "SELECTED") == selected_text, STEP_SECONDS)


def error_rows(session):
    """Each row of the error screen's table as (path, reason, button), or None while the
    screen is not showing."""
    table = session.find(pyatspi.ROLE_TABLE, ERROR_TABLE)
    if table is None:
        return None
    try:
        cells = table.queryTable()
        rows = []
        for row in range(cells.nRows):
            name = cells.getAccessibleAt(row, 1)
            rows.append((name.name, name.description, cells.getAccessibleAt(row, 2).name))
        return rows
    except GLib.Error:
        return None


def pass_error_screen(session, home):
    """The unremovable entry is listed with the permission reason and its Delete button;
    finishing goes on to the completion."""
    session.until("the error screen's title",
                  lambda: session.find(pyatspi.ROLE_LABEL, ERROR_TITLE), STEP_SECONDS)
    rows = session.until("the error screen's rows", lambda: error_rows(session), STEP_SECONDS)
    expected = [(os.path.join(home, LOCKED_FOLDER), PERMISSION_REASON, DELETE_BUTTON)]
    if rows != expected:
        raise Failure(f"the error screen lists {rows}, expected {expected}")
    session.press(SKIP_BUTTON)


def remove_selection(session, size_text, home, locked):
    session.press(REMOVE_BUTTON)
    session.until("the confirmation popover",
                  lambda: session.find(pyatspi.ROLE_PUSH_BUTTON, CONFIRM_BUTTON), STEP_SECONDS)
    session.press(CONFIRM_BUTTON)
    if locked:
        pass_error_screen(session, home)

    def completion_text():
        for node in descendants(session.application()):
            try:
                if node.getRole() == pyatspi.ROLE_LABEL and REMOVED_SENTENCE.search(node.name):
                    return node.name
            except GLib.Error:
                continue
        return None

    sentence = session.until("the completion popover", completion_text, STEP_SECONDS)
    amount = REMOVED_SENTENCE.search(sentence).group(1)
    if size_text not in amount:
        raise Failure(f"the completion popover reads {sentence!r}, expected {size_text}")


def check_disk(home, locked):
    removed = [name for name in TRASH_FILES if name != UNTICKED]
    left = [name for name in removed if os.path.lexists(os.path.join(home, name))]
    if left:
        raise Failure(f"the removed Trash files are still there: {left}")
    if locked and not os.path.isfile(os.path.join(home, LOCKED_FILE)):
        raise Failure(f"{LOCKED_FILE} is immutable, yet it is gone")
    if not os.path.isdir(os.path.join(home, ".Trash")):
        raise Failure("the Trash folder itself was removed")
    kept = {**KEPT_FILES, UNTICKED: TRASH_FILES[UNTICKED]}
    for relative, size in kept.items():
        path = os.path.join(home, relative)
        if not os.path.isfile(path) or os.path.getsize(path) != size:
            raise Failure(f"{relative} was not to be touched, but is gone or changed")


def quit_from_completion(session, process):
    """Quit ends the program cleanly, after a scan that played its sound and a removal."""
    session.press(QUIT_BUTTON)
    try:
        status = process.wait(STEP_SECONDS)
    except subprocess.TimeoutExpired:
        raise Failure("the program did not end after Quit") from None
    if status != 0:
        raise Failure(f"the program ended with status {status} after Quit")


def drive(session, args, locked):
    titles = category_titles(args.source)
    trash_total = sum(TRASH_FILES.values()) + (LOCKED_SIZE if locked else 0)
    trash_size = formatted_size(trash_total)
    session.until("the window in the accessibility tree", session.application, START_SECONDS)
    rows = wait_for_scan(session)
    check_sidebar(rows, titles, trash_size)
    answer_launcher_offer(session)
    switch_on(session, TRASH, trash_size)
    untick_file(session, TRASH, UNTICKED, formatted_size(trash_total - TRASH_FILES[UNTICKED]))
    freed_size = formatted_size(sum(TRASH_FILES.values()) - TRASH_FILES[UNTICKED])
    remove_selection(session, freed_size, args.home, locked)
    check_disk(args.home, locked)
    quit_from_completion(session, session.process)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--app", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--home", required=True)
    parser.add_argument("--log", required=True)
    args = parser.parse_args()

    locked = build_fixture(args.home)
    if not locked:
        print("The unremovable Trash entry needs root and chattr: its part is skipped.")
    wait_for_accessibility_bus()
    with open(args.log, "wb") as log:
        process = subprocess.Popen(
            [args.app, "--home", args.home, "--system-root", args.home],
            stdout=log, stderr=subprocess.STDOUT)
    session = Session(process)
    try:
        drive(session, args, locked)
        print("passed")
        return 0
    except Exception as failure:  # every way of failing shows the window as it was
        if not isinstance(failure, Failure):
            traceback.print_exc()
        print(f"FAILED: {failure}")
        app = session.application()
        print("The program's accessibility tree:" if app else "The program is not in the tree.")
        print_tree(app)
        with open(args.log, encoding="utf-8", errors="replace") as log:
            print("The program's output:\n" + log.read())
        return 1
    finally:
        process.terminate()
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
        unlock_entry(args.home)


if __name__ == "__main__":
    sys.exit(main())
