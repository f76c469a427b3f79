#!/usr/bin/python3
"""Dumps what a screen reader sees of a running program through AT-SPI, or
checks it.

  atspi_tree.py APP dump
  atspi_tree.py APP buttons NAME...   every NAME shows as a push button with a
                                      press action; exits 1 naming what does not
  atspi_tree.py APP absent NAME...    nothing named NAME can be reached
  atspi_tree.py APP press NAME        does the press action of that button
"""
import sys
import time
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

# The action interface calls are deprecated in newer libatspi, not gone.
warnings.filterwarnings("ignore", category=DeprecationWarning)


def application(name, seconds=10):
    deadline = time.time() + seconds
    while time.time() < deadline:
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            if app is not None and (app.get_name() or "").lower() == name.lower():
                return app
        time.sleep(0.2)
    sys.exit(f"atspi: no application {name!r} on the accessibility bus")


def showing(node):
    states = node.get_state_set()
    return states.contains(Atspi.StateType.SHOWING)


def walk(node, depth=0):
    yield node, depth
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            yield from walk(child, depth + 1)


def actions(node):
    action = node.get_action_iface()
    if action is None:
        return []
    return [action.get_action_name(i) for i in range(action.get_n_actions())]


def main():
    app = application(sys.argv[1])
    mode = sys.argv[2]
    nodes = [(n, d) for n, d in walk(app)]
    if mode == "dump":
        for node, depth in nodes:
            if depth > 1 and not showing(node):
                continue
            print("  " * depth + f"[{node.get_role_name()}] {node.get_name()!r} "
                  f"{','.join(actions(node))}")
        return
    shown = [n for n, _ in nodes if showing(n)]
    if mode == "buttons":
        missing = []
        for name in sys.argv[3:]:
            found = [n for n in shown if n.get_name() == name]
            if not any(n.get_role() == Atspi.Role.PUSH_BUTTON and
                       any(a.lower() == "press" for a in actions(n)) for n in found):
                roles = [f"{n.get_role_name()}:{','.join(actions(n))}" for n in found]
                missing.append(f"{name} ({'; '.join(roles) or 'not shown'})")
        if missing:
            sys.exit("atspi: not a push button with a press action: " + ", ".join(missing))
        return
    if mode == "absent":
        reached = [name for name in sys.argv[3:] if any(n.get_name() == name for n, _ in nodes)]
        if reached:
            sys.exit("atspi: hidden, yet in the accessibility tree: " + ", ".join(reached))
        return
    if mode == "press":
        for n in shown:
            if n.get_name() == sys.argv[3]:
                action = n.get_action_iface()
                for i in range(action.get_n_actions()):
                    if action.get_action_name(i).lower() == "press":
                        action.do_action(i)
                        return
        sys.exit(f"atspi: nothing named {sys.argv[3]!r} to press")


main()
