#!/usr/bin/env python3
"""Two Syncthing instances on loopback, each with a folder of its own that
the other shares: the way a team shares a database folder through a sync
tool. Nothing leaves the machine (no discovery, relays, NAT traversal,
usage or crash reports, upgrades).

  syncthing_rig.py up WORK      starts both; folders WORK/a and WORK/b
  syncthing_rig.py settle WORK  waits until both folders hold the same files
  syncthing_rig.py down WORK    stops both
"""
import hashlib
import json
import os
import signal
import socket
import subprocess
import sys
import time
import urllib.request
import xml.etree.ElementTree as ET

MEMBERS = ("a", "b")
FOLDER = "team"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def set_text(parent, tag, text):
    node = parent.find(tag)
    if node is None:
        node = ET.SubElement(parent, tag)
    node.text = str(text)


def up(work):
    state = {}
    for m in MEMBERS:
        home = os.path.join(work, "st-" + m)
        out = subprocess.run(
            ["syncthing", "generate", "--home=" + home, "--no-default-folder",
             "--skip-port-probing"], capture_output=True, text=True, check=True)
        device = [l.split(": ", 1)[1] for l in (out.stdout + out.stderr).splitlines()
                  if "Device ID:" in l][0].strip()
        os.makedirs(os.path.join(work, m), exist_ok=True)
        state[m] = {"home": home, "device": device, "port": free_port(),
                    "gui": free_port(), "key": "tavrino-test-" + m}
    for m in MEMBERS:
        me = state[m]
        other = state["b" if m == "a" else "a"]
        path = os.path.join(me["home"], "config.xml")
        tree = ET.parse(path)
        root = tree.getroot()
        options = root.find("options")
        for tag, value in {
            "listenAddress": "tcp://127.0.0.1:%d" % me["port"],
            "globalAnnounceEnabled": "false", "localAnnounceEnabled": "false",
            "relaysEnabled": "false", "natEnabled": "false", "urAccepted": "-1",
            "autoUpgradeIntervalH": "0", "crashReportingEnabled": "false",
            "startBrowser": "false", "reconnectionIntervalS": "1",
        }.items():
            set_text(options, tag, value)
        gui = root.find("gui")
        set_text(gui, "address", "127.0.0.1:%d" % me["gui"])
        set_text(gui, "apikey", me["key"])
        peer = ET.SubElement(root, "device", id=other["device"], name="peer",
                             compression="metadata", introducer="false")
        set_text(peer, "address", "tcp://127.0.0.1:%d" % other["port"])
        folder = ET.SubElement(root, "folder", id=FOLDER, label=FOLDER,
                               path=os.path.join(work, m), type="sendreceive",
                               rescanIntervalS="30", fsWatcherEnabled="true",
                               fsWatcherDelayS="1", ignorePerms="false")
        for d in (me["device"], other["device"]):
            ET.SubElement(folder, "device", id=d)
        # Syncthing's own default: the oldest copies beyond it are deleted.
        set_text(folder, "maxConflicts", "10")
        tree.write(path)
        log = open(os.path.join(work, "st-%s.log" % m), "w")
        proc = subprocess.Popen(
            ["syncthing", "serve", "--home=" + me["home"], "--no-browser", "--no-restart",
             "--no-upgrade"], stdout=log, stderr=subprocess.STDOUT,
            env=dict(os.environ, STNOUPGRADE="1", STNORESTART="1"), start_new_session=True)
        me["pid"] = proc.pid
    with open(os.path.join(work, "syncthing.json"), "w") as f:
        json.dump(state, f)
    deadline = time.time() + 60
    while time.time() < deadline:
        try:
            if all(connected(state, m) for m in MEMBERS):
                return 0
        except OSError:
            pass
        time.sleep(0.5)
    print("the two instances did not connect", file=sys.stderr)
    return 1


def rest(state, m, path):
    me = state[m]
    req = urllib.request.Request("http://127.0.0.1:%d%s" % (me["gui"], path),
                                 headers={"X-API-Key": me["key"]})
    with urllib.request.urlopen(req, timeout=5) as r:
        return json.load(r)


def connected(state, m):
    other = state["b" if m == "a" else "a"]["device"]
    conns = rest(state, m, "/rest/system/connections")["connections"]
    return conns.get(other, {}).get("connected", False)


def load(work):
    with open(os.path.join(work, "syncthing.json")) as f:
        return json.load(f)


def files(folder):
    seen = {}
    for name in os.listdir(folder):
        if name.startswith(".st") or name.startswith(".syncthing"):
            continue
        p = os.path.join(folder, name)
        if os.path.isfile(p) and not os.path.islink(p):
            with open(p, "rb") as f:
                seen[name] = hashlib.sha256(f.read()).hexdigest()
    return seen


def settle(work, timeout=120):
    state = load(work)
    alike = 0
    deadline = time.time() + timeout
    while time.time() < deadline:
        time.sleep(0.5)
        try:
            idle = all(rest(state, m, "/rest/db/status?folder=" + FOLDER)["state"] == "idle"
                       for m in MEMBERS)
        except OSError:
            idle = False
        same = files(os.path.join(work, "a")) == files(os.path.join(work, "b"))
        alike = alike + 1 if idle and same else 0
        # Seen alike and idle across the watcher's delay: nothing in flight.
        if alike >= 4:
            return 0
    print("the folders did not settle: a=%s b=%s" % (sorted(files(os.path.join(work, "a"))),
                                                     sorted(files(os.path.join(work, "b")))),
          file=sys.stderr)
    return 1


def down(work):
    try:
        state = load(work)
    except OSError:
        return 0
    for m in MEMBERS:
        try:
            os.killpg(state[m]["pid"], signal.SIGTERM)
        except (OSError, KeyError):
            pass
    return 0


if __name__ == "__main__":
    command, work = sys.argv[1], sys.argv[2]
    sys.exit({"up": up, "settle": settle, "down": down}[command](work))
