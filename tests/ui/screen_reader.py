#!/usr/bin/python3
# The demo window as a screen reader meets it, through AT-SPI (what Orca uses): the button is
# pressed by its own action, the save dialog is filled in and accepted the same way, and the
# status panel must say "File Saved" as a text change of the status bar's label and as a change
# of its name (a screen reader that watches names, not text, of what is not focused hears that),
# then hold it as text.
# A name the disk refuses (/dev/null, a device) must then bring an alert whose words are there
# to read. Needs a private X server and session bus (screen_reader.sh starts both).
#   screen_reader.py DEMO OUTPUT
import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

demo, output = sys.argv[1], sys.argv[2]
button_name = "Read And Save Content Of EEPROM 25160"
inserted = []  # (time, source, text) of each text inserted anywhere
renamed = []  # (source, new name) of each name change anywhere


def fail(message):
    print(f"screen reader: {message}", file=sys.stderr)
    sys.exit(1)


def on_text_inserted(event):
    inserted.append((time.monotonic(), event.source, event.any_data))


def on_name_changed(event):
    renamed.append((event.source, event.source.name))


def wait_for(what, found, seconds=120):
    """Runs the event loop until found() gives something, and returns it."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        while GLib.MainContext.default().iteration(False):
            pass
        result = found()
        if result:
            return result
        time.sleep(0.05)
    fail(f"waited {seconds} s for {what}")


def application():
    for running in pyatspi.Registry.getDesktop(0):
        if running is not None and running.get_process_id() == program.pid:
            return running
    return None


def find(accessible, test):
    if accessible is None:
        return None
    try:
        if test(accessible):
            return accessible
        for child in accessible:
            found = find(child, test)
            if found is not None:
                return found
    except GLib.Error:  # a window that closed while it was looked at
        return None
    return None


def in_app(test):
    return lambda: find(application(), test)


def role(accessible):
    return accessible.getRole()


def press(accessible):
    accessible.queryAction().doAction(0)


def save_as(name):
    """Fills in the save dialog's file name and presses its Save button."""
    field = wait_for("the save dialog's file name field",
                     in_app(lambda a: role(a) == pyatspi.ROLE_TEXT and a.getState().contains(pyatspi.STATE_FOCUSED)))
    field.queryEditableText().setTextContents(name)
    save = wait_for("the save dialog's Save button",
                    in_app(lambda a: role(a) == pyatspi.ROLE_PUSH_BUTTON and a.name.replace("&", "") == "Save"))
    press(save)
    return time.monotonic()


pyatspi.Registry.registerEventListener(on_text_inserted, "object:text-changed:insert")
pyatspi.Registry.registerEventListener(on_name_changed, "object:property-change:accessible-name")
environment = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb", QT_QPA_PLATFORMTHEME="")
program = subprocess.Popen([demo], env=environment)
try:
    button = wait_for("the window's button",
                      in_app(lambda a: role(a) == pyatspi.ROLE_PUSH_BUTTON and a.name == button_name))
    press(button)
    saved_at = save_as(output)
    said = wait_for('"File Saved" said as inserted text',
                    lambda: next((event for event in inserted if event[2] == "File Saved"), None))
    panel = said[1]
    if role(panel) != pyatspi.ROLE_LABEL or role(panel.parent) != pyatspi.ROLE_STATUS_BAR:
        fail(f'"File Saved" came from a {panel.getRoleName()} in a {panel.parent.getRoleName()}, '
             "not from the status bar's text")
    wait_for('"File Saved" said as the panel\'s new name',
             lambda: any(source == panel and name == "File Saved" for source, name in renamed))
    held = panel.queryText().getText(0, -1)
    if held != "File Saved":
        fail(f'the status panel holds "{held}" as text, not "File Saved"')
    if os.path.getsize(output) != 2048:
        fail(f"{output} holds {os.path.getsize(output)} bytes, not 2048")
    print(f'screen reader: "File Saved" heard {1000 * (said[0] - saved_at):.0f} ms after Save was pressed')

    press(button)
    save_as("/dev/null")
    alert = wait_for("an alert for the refused name", in_app(lambda a: role(a) == pyatspi.ROLE_ALERT))
    words = [label.name for label in [find(alert, lambda a: role(a) == pyatspi.ROLE_LABEL and "/dev/null" in a.name)]
             if label is not None]
    if not words:
        fail("the alert has no label naming /dev/null for a screen reader to read")
    print(f"screen reader: the alert reads: {words[0][:100]}...")
finally:
    program.kill()
    program.wait()
