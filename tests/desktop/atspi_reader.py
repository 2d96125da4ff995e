"""Reads Veltrop's windows through the accessibility bus, as a screen reader does.

tree OUT: writes one line per accessible object of the program:
    depth role|name[|selected][|focused]
  and for a table: table|name|rows=N|columns=M|column descriptions.
focus COUNT OUT READY: creates READY once listening, then writes the name of each
  table cell that gets the focus, until COUNT did or 30 seconds have passed.
windows OUT: writes one line per window of the program: role|name, and |showing when
  it is on screen.
press NAME: presses the program's button NAME as a screen reader user does; exits 1
  when there is none, and does not wait for a modal window that the press opens.
"""
import sys

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

PROGRAM = "veltrop"
FOCUS_TIMEOUT_SECONDS = 30
PRESS_TIMEOUT_MILLISECONDS = 3000


def program():
    desktop = Atspi.get_desktop(0)
    for index in range(desktop.get_child_count()):
        application = desktop.get_child_at_index(index)
        if application is not None and application.get_name() == PROGRAM:
            return application
    return None


def describe(node):
    fields = [node.get_role_name(), node.get_name() or ""]
    if "Table" in node.get_interfaces():
        columns = Atspi.Table.get_n_columns(node)
        descriptions = [Atspi.Table.get_column_description(node, c) for c in range(columns)]
        fields += ["rows=%d" % Atspi.Table.get_n_rows(node), "columns=%d" % columns,
                   ",".join(descriptions)]
    elif node.get_role() == Atspi.Role.TABLE:
        fields.append("no table interface")
    states = node.get_state_set()
    for name, state in (("selected", Atspi.StateType.SELECTED),
                        ("focused", Atspi.StateType.FOCUSED)):
        if states.contains(state):
            fields.append(name)
    return "|".join(fields)


def walk(node, depth, lines):
    lines.append("%d %s" % (depth, describe(node)))
    for index in range(node.get_child_count()):
        child = node.get_child_at_index(index)
        if child is not None:
            walk(child, depth + 1, lines)


def tree(out):
    application = program()
    lines = []
    if application is not None:
        walk(application, 0, lines)
    with open(out, "w") as file:
        file.write("\n".join(lines) + "\n")


def focus(count, out, ready):
    names = []

    def focused(event):
        if event.detail1 == 1 and event.source.get_role() == Atspi.Role.TABLE_CELL:
            names.append(event.source.get_name())
            if len(names) >= count:
                Atspi.event_quit()

    listener = Atspi.EventListener.new(focused)
    listener.register("object:state-changed:focused")
    GLib.timeout_add_seconds(FOCUS_TIMEOUT_SECONDS, Atspi.event_quit)
    open(ready, "w").close()
    Atspi.event_main()
    with open(out, "w") as file:
        file.write("\n".join(names) + "\n")


def windows(out):
    application = program()
    lines = []
    for index in range(application.get_child_count() if application is not None else 0):
        window = application.get_child_at_index(index)
        if window is not None:
            showing = window.get_state_set().contains(Atspi.StateType.SHOWING)
            lines.append("%s|%s%s" % (window.get_role_name(), window.get_name() or "",
                                      "|showing" if showing else ""))
    with open(out, "w") as file:
        file.write("\n".join(lines) + "\n")


def find_button(node, name):
    if node.get_role() == Atspi.Role.PUSH_BUTTON and node.get_name() == name:
        return node
    for index in range(node.get_child_count()):
        child = node.get_child_at_index(index)
        found = find_button(child, name) if child is not None else None
        if found is not None:
            return found
    return None


def press(name):
    application = program()
    button = find_button(application, name) if application is not None else None
    if button is None:
        sys.exit(1)
    # A press that opens a modal window is answered only once that window closes: what
    # the press started is under way when the call goes unanswered.
    Atspi.set_timeout(PRESS_TIMEOUT_MILLISECONDS, -1)
    try:
        button.do_action(0)
    except GLib.Error as error:
        if "NoReply" not in error.message and "imeout" not in error.message:
            raise


if __name__ == "__main__":
    if sys.argv[1] == "tree":
        tree(sys.argv[2])
    elif sys.argv[1] == "windows":
        windows(sys.argv[2])
    elif sys.argv[1] == "press":
        press(sys.argv[2])
    else:
        focus(int(sys.argv[2]), sys.argv[3], sys.argv[4])
