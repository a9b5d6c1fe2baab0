#!/usr/bin/python3
# Reads and drives a running program over the AT-SPI bus, as a screen reader
# does.
#   atspi_client.py tree APP               the program's tree, as JSON
#   atspi_client.py do APP NAME ACTION     runs ACTION of the element named NAME
#   atspi_client.py set APP NAME VALUE     sets the value of the element NAME
#   atspi_client.py listen APP TEXT        prints "ready", then waits for an
#                                          element to be renamed TEXT
import json
import sys
import time

import pyatspi
from gi.repository import GLib

TIMEOUT = 30


def application(name):
    end = time.time() + TIMEOUT
    while time.time() < end:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == name:
                return app
        time.sleep(0.2)
    sys.exit("no application %r on the bus" % name)


def describe(acc):
    node = {
        "name": acc.name,
        "role": acc.getRoleName(),
        "description": acc.description,
        "states": sorted(pyatspi.stateToString(s) for s in acc.getState().getStates()),
        "actions": [],
    }
    try:
        action = acc.queryAction()
        node["actions"] = [action.getName(i) for i in range(action.nActions)]
    except NotImplementedError:
        pass
    try:
        value = acc.queryValue()
        node["value"] = value.currentValue
        node["minimum"] = value.minimumValue
        node["maximum"] = value.maximumValue
    except NotImplementedError:
        pass
    node["children"] = [describe(child) for child in acc if child is not None]
    return node


def find(acc, name):
    if acc.name == name and acc.getRoleName() != "application":
        return acc
    for child in acc:
        if child is not None:
            found = find(child, name)
            if found is not None:
                return found
    return None


def element(app_name, name):
    found = find(application(app_name), name)
    if found is None:
        sys.exit("no element %r" % name)
    return found


def listen(app_name, text):
    application(app_name)
    heard = []

    def on_change(event):
        if event.source is not None and event.source.name == text:
            heard.append({"name": event.source.name, "role": event.source.getRoleName()})
            pyatspi.Registry.stop()

    pyatspi.Registry.registerEventListener(on_change, "object:property-change:accessible-name")
    GLib.timeout_add_seconds(TIMEOUT, pyatspi.Registry.stop)
    GLib.idle_add(lambda: print("ready", flush=True) and False)
    pyatspi.Registry.start()
    if not heard:
        sys.exit("no element renamed %r" % text)
    print(json.dumps(heard[0]))


def main(argv):
    command, app = argv[1], argv[2]
    if command == "tree":
        print(json.dumps(describe(application(app))))
    elif command == "do":
        action = element(app, argv[3]).queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        if argv[4] not in names:
            sys.exit("no action %r among %r" % (argv[4], names))
        action.doAction(names.index(argv[4]))
        print("ok")
    elif command == "set":
        element(app, argv[3]).queryValue().currentValue = float(argv[4])
        print("ok")
    elif command == "listen":
        listen(app, argv[3])
    else:
        sys.exit("unknown command %r" % command)


if __name__ == "__main__":
    main(sys.argv)
