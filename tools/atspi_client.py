"""A scripted assistive-technology client of Textorum on the AT-SPI bus.

Started by tools/atspi-check inside an X server and a D-Bus session of its
own. It starts the accessibility bus, says a screen reader is on (as Orca
does), starts Textorum with three files listed, and then works the window
through the accessible tree only: ticks Replace with its Toggle action,
sets the Find and With texts, presses Execute and waits for the status bar
to announce the summary. Exits 0 when the files were edited and the summary
was announced and read.
"""
import os
import subprocess
import sys
import tempfile
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Gio, GLib  # noqa: E402
import pyatspi  # noqa: E402

TIMEOUT_S = 30


def start_accessibility_bus():
    launcher = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
    session = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    deadline = time.monotonic() + TIMEOUT_S
    while True:
        try:
            session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Set",
                              GLib.Variant("(ssv)", ("org.a11y.Status", "ScreenReaderEnabled",
                                                     GLib.Variant("b", True))),
                              None, Gio.DBusCallFlags.NONE, -1, None)
            return launcher
        except GLib.Error:
            if time.monotonic() > deadline:
                sys.exit("FAIL: the accessibility bus did not come up")
            time.sleep(0.1)


def wait_for(what, find):
    deadline = time.monotonic() + TIMEOUT_S
    while time.monotonic() < deadline:
        found = find()
        if found is not None:
            return found
        time.sleep(0.1)
    sys.exit("FAIL: " + what + " not found")


def application(name):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name == name:
            return app
    return None


def descendant(root, role, name):
    return pyatspi.findDescendant(root, lambda a: a.getRoleName() == role and a.name == name)


def do_action(accessible, action_name):
    actions = accessible.queryAction()
    for i in range(actions.nActions):
        if actions.getName(i).lower() == action_name:
            return actions.doAction(i)
    sys.exit("FAIL: %s has no %s action" % (accessible.name, action_name))


def pump_events():
    """Lets the events that came in meanwhile reach their listeners."""
    context = GLib.MainContext.default()
    deadline = time.monotonic() + 0.5
    while time.monotonic() < deadline:
        while context.pending():
            context.iteration(False)
        time.sleep(0.02)


def states(accessible):
    state = accessible.getState()
    return "checked" if state.contains(pyatspi.STATE_CHECKED) else "not checked"


def main():
    program = sys.argv[1]
    folder = tempfile.mkdtemp(prefix="textorum-atspi-")
    paths = []
    for name in ("one.txt", "two.txt", "three.txt"):
        path = os.path.join(folder, name)
        with open(path, "wb") as file:
            file.write(b"a cat")
        paths.append(path)

    start_accessibility_bus()
    textorum = subprocess.Popen([program] + paths)
    try:
        app = wait_for("Textorum on the bus", lambda: application("Textorum"))
        print("found application %r on the AT-SPI bus" % app.name)
        window = wait_for("the main window", lambda: descendant(app, "frame", "Orvanta - Textorum"))
        wait_for("the three listed files", lambda: descendant(window, "table cell", "three.txt"))

        modes = wait_for("the mode list", lambda: descendant(window, "list", "Edit mode"))
        print("%s (%s): %s" % (modes.name, modes.getRoleName(),
                               ", ".join("%s %s" % (item.name, states(item)) for item in modes)))
        replace = descendant(modes, "check box", "Replace")
        ticks = []
        pyatspi.Registry.registerEventListener(lambda event: ticks.append((event.source.name, event.detail1)),
                                               "object:state-changed:checked")
        before = states(replace)
        do_action(replace, "toggle")
        pump_events()
        print("Replace (%s): %s -> Toggle -> %s; announced: %s"
              % (replace.getRoleName(), before, states(replace),
                 ", ".join("%s %s" % (name, "checked" if on else "unchecked") for name, on in ticks)))
        if not replace.getState().contains(pyatspi.STATE_CHECKED) or ("Replace", 1) not in ticks:
            sys.exit("FAIL: Toggle did not tick Replace")

        for box_name, text in (("Find", "cat"), ("With", "dog")):
            box = wait_for(box_name, lambda: descendant(window, "text", box_name))
            box.queryEditableText().setTextContents(text)
            print("%s box (%s) set to %r" % (box_name, box.getRoleName(), box.queryText().getText(0, -1)))

        status = wait_for("the status bar", lambda: descendant(window, "status bar", "..."))
        announced = []
        loop = GLib.MainLoop()

        def on_name_change(event):
            if event.source == status or event.source.getRoleName() == "status bar":
                announced.append(event.source.name)
                if event.source.name.startswith("Done Processing"):
                    loop.quit()

        pyatspi.Registry.registerEventListener(on_name_change, "object:property-change:accessible-name")
        execute = descendant(window, "push button", "Execute")
        do_action(execute, "press")
        print("Execute (push button): Press")
        GLib.timeout_add_seconds(TIMEOUT_S, loop.quit)
        loop.run()
        pyatspi.Registry.deregisterEventListener(on_name_change, "object:property-change:accessible-name")

        print("status bar announced %d captions:" % len(announced))
        for caption in announced:
            print("  " + caption.replace("\n", " | "))
        summary = status.name
        print("status bar (%s) reads: %s" % (status.getRoleName(), summary))
        contents = [open(path, "rb").read() for path in paths]
        print("files: " + ", ".join("%s %r" % (os.path.basename(p), c) for p, c in zip(paths, contents)))
        expected = "Done Processing files: 3 | files changed: 3 | files unchanged: 0"
        if summary != expected or not announced or announced[-1] != expected:
            sys.exit("FAIL: the summary was not announced and read")
        if contents != [b"a dog\r\n"] * 3:
            sys.exit("FAIL: the files were not edited")
        print("PASS: ticked, typed, executed and read through AT-SPI alone")
    finally:
        textorum.terminate()
        textorum.wait()
        for path in paths:
            os.remove(path)
        os.rmdir(folder)


if __name__ == "__main__":
    main()
