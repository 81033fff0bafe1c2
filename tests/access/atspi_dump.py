#!/usr/bin/python3
# What a screen reader finds in the program's windows: for each shown window of the
# application named argv[1], its name and description, then every control it holds as
# "<role>: <name>", "*" marking the one with the keyboard focus.
import sys

import pyatspi

ROLES = {
    pyatspi.ROLE_PUSH_BUTTON: "button",
    pyatspi.ROLE_TEXT: "field",
    pyatspi.ROLE_PASSWORD_TEXT: "field",
    pyatspi.ROLE_COMBO_BOX: "field",
    pyatspi.ROLE_PROGRESS_BAR: "progress",
    pyatspi.ROLE_LABEL: "label",
}


def name_of(node):
    # A drop-down list reads its choice as its name; what names it is its label.
    if node.getRole() == pyatspi.ROLE_COMBO_BOX:
        for relation in node.getRelationSet():
            if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
                return relation.getTarget(0).name
    return node.name


def walk(node, out):
    for child in node:
        if child is None:
            continue
        states = child.getState()
        if not states.contains(pyatspi.STATE_SHOWING):
            continue
        role = ROLES.get(child.getRole())
        if role == "label" and (child.name == "" or child.parent.getRole() == pyatspi.ROLE_COMBO_BOX):
            continue
        if role is not None:
            mark = "*" if states.contains(pyatspi.STATE_FOCUSED) else " "
            line = f"{mark}{role}: {name_of(child)}"
            if states.contains(pyatspi.STATE_CHECKED):
                line += " (checked)"
            if role != "label" and not states.contains(pyatspi.STATE_SENSITIVE):
                line += " (unavailable)"
            if role == "progress":
                line += f" = {child.queryValue().currentValue:g}"
            out.append(line)
            if role == "field":
                continue  # an address field's four parts carry its name
        walk(child, out)


def main():
    app_name = sys.argv[1]
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is None or app.name != app_name:
            continue
        for window in app:
            if window is None or not window.getState().contains(pyatspi.STATE_SHOWING):
                continue
            print(f"# window {window.name}")
            print(f"description: {window.description}")
            lines = []
            walk(window, lines)
            print("\n".join(lines))
    return 0


sys.exit(main())
