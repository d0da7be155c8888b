#!/usr/bin/python3
# SPDX-License-Identifier: MIT
# The demo window as a screen reader meets it, through AT-SPI (what Orca uses): the button is
# pressed by its own action, the save dialog is filled in and accepted the same way (then all of
# it again from the keyboard: Space, the name typed, Return; Alt+S in the question), and the
# status panel must say "File Saved" as a text change of the status bar's label and as a change
# of its name (a screen reader that watches names, not text, of what is not focused hears that),
# then hold it as text.
# A name the disk refuses (/dev/null, a device) must then bring an alert whose words are there
# to read. The window must be a frame named by its caption. Under a file size limit, "ERROR" must
# be said and an alert must say why; a chip that reads all 0xFF must bring the question, read as
# an alert. Needs a private X server and session bus (screen_reader.sh starts both).
#   screen_reader.py DEMO OUTPUT
import os
import resource
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

demo, output = sys.argv[1], sys.argv[2]
scratch = os.environ["XDG_RUNTIME_DIR"]  # the run's own folder (screen_reader.sh removes it)
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


def alert_saying(what, words):
    """Waits for an alert with a label holding `words`, and returns that label's text."""
    alert = wait_for(what, in_app(lambda a: role(a) == pyatspi.ROLE_ALERT and
                                  find(a, lambda b: role(b) == pyatspi.ROLE_LABEL and words in b.name)))
    label = find(alert, lambda b: role(b) == pyatspi.ROLE_LABEL and words in b.name)
    if "\n" in label.name or "\u2028" in label.name:
        fail(f"the alert's text is broken into lines by hand: {label.name!r}")
    return alert, label.name


def keys(*arguments):
    """Types on the keyboard into the window that has the focus (xdotool key KEYS, or type TEXT)."""
    command = ["xdotool", "key", "--delay", "50", *arguments] if arguments[0] != "type" else \
        ["xdotool", "type", "--delay", "20", *arguments[1:]]
    subprocess.run(command, check=True)


def give_window_the_keyboard(windows=1, named="^Korvane"):
    """The X server has no window manager to give the newest of `windows` shown windows the keyboard:
    given as one would."""
    def shown():
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", named],
                               capture_output=True, text=True).stdout.split()
        return found if len(found) >= windows else None
    subprocess.run(["xdotool", "windowfocus", "--sync", wait_for(f"{windows} windows shown", shown, 30)[-1]],
                   check=True)


def save_by_typing(name):
    """With the save dialog open: the focus in its name field, the name typed there, Return."""
    wait_for("the focus in the save dialog's file name field",
             in_app(lambda a: role(a) == pyatspi.ROLE_TEXT and a.getState().contains(pyatspi.STATE_FOCUSED)))
    keys("type", name)
    keys("Return")
    wait_for(f"{name} saved from the keyboard", lambda: os.path.exists(name) and os.path.getsize(name) == 2048)


def start(*arguments, file_size_limit=None):
    limit = (lambda: resource.setrlimit(resource.RLIMIT_FSIZE, (file_size_limit,) * 2)) if file_size_limit else None
    return subprocess.Popen([demo, *arguments], env=environment, preexec_fn=limit)


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
program = start()
try:
    button = wait_for("the window's button",
                      in_app(lambda a: role(a) == pyatspi.ROLE_PUSH_BUTTON and a.name == button_name))
    window = application()[0]
    if role(window) != pyatspi.ROLE_FRAME or not window.name.startswith("Korvane"):
        fail(f'the window is a {window.getRoleName()} named "{window.name}", not a frame named by its caption')
    # The controls in the order the screen shows them, top to bottom.
    shown = [role(child) for child in window]
    if shown != [pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_PROGRESS_BAR, pyatspi.ROLE_STATUS_BAR]:
        fail(f"the window's controls are read as {[child.getRoleName() for child in window]}, not as on the screen")
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

    # The same from the keyboard, as a user who does not see the screen works: Space on the
    # focused button, the name typed where the dialog puts the focus, Return.
    give_window_the_keyboard()
    wait_for("the focus on the button", lambda: button.getState().contains(pyatspi.STATE_FOCUSED), 30)
    keys("space")
    save_by_typing(os.path.join(scratch, "typed.bin"))
    give_window_the_keyboard()  # back from the closed dialog, as a window manager gives it
    wait_for("the focus back on the button", lambda: button.getState().contains(pyatspi.STATE_FOCUSED), 30)

    press(button)
    save_as("/dev/null")
    _, words = alert_saying("an alert naming the refused name", "/dev/null")
    print(f"screen reader: the alert reads: {words[:100]}...")
    program.kill()
    program.wait()

    # The disk takes only 1 KB: "ERROR" is said, and an alert says why.
    program = start(file_size_limit=1024)
    press(wait_for("the window's button",
                   in_app(lambda a: role(a) == pyatspi.ROLE_PUSH_BUTTON and a.name == button_name)))
    save_as(os.path.join(scratch, "short.bin"))
    wait_for('"ERROR" said as inserted text', lambda: any(event[2] == "ERROR" for event in inserted))
    _, words = alert_saying("an alert saying why", "took only 1024 of the 2048 bytes")
    print(f"screen reader: after ERROR the alert reads: {words[:100]}...")
    program.kill()
    program.wait()

    # A chip that reads all 0xFF: the question comes as an alert, and Don't Save is its answer.
    erased = os.path.join(scratch, "erased.bin")
    with open(erased, "wb") as image:
        image.write(b"\xff" * 2048)
    program = start(erased)
    press(wait_for("the window's button",
                   in_app(lambda a: role(a) == pyatspi.ROLE_PUSH_BUTTON and a.name == button_name)))
    question, words = alert_saying("the question as an alert", "Every byte read is 0xFF")
    dont_save = find(question, lambda a: role(a) == pyatspi.ROLE_PUSH_BUTTON and a.name.replace("&", "") == "Don't Save")
    wait_for("the focus on Don't Save", lambda: dont_save.getState().contains(pyatspi.STATE_FOCUSED), 30)
    press(dont_save)
    wait_for("the question to close", lambda: not in_app(lambda a: role(a) == pyatspi.ROLE_ALERT)(), 30)
    print(f"screen reader: the question reads: {words[:80]}...")
    # Alt+S answers it from the keyboard: the dialog opens, with the focus in its name field.
    press(wait_for("the window's button",
                   in_app(lambda a: role(a) == pyatspi.ROLE_PUSH_BUTTON and a.name == button_name)))
    again, _ = alert_saying("the question again", "Every byte read is 0xFF")
    give_window_the_keyboard(windows=2)
    wait_for("the question to take the keyboard", lambda: again.getState().contains(pyatspi.STATE_ACTIVE), 30)
    keys("alt+s")
    give_window_the_keyboard(named="^Save As$")
    save_by_typing(os.path.join(scratch, "erased-kept.bin"))
finally:
    program.kill()
    program.wait()
