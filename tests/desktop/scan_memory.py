#!/usr/bin/env python3
"""Counts the copies of each secret in another process's writable private
memory (heap, stacks, anonymous mappings), as UTF-8, UTF-16 and Latin-1.
Usage: scan_memory.py [--show] PID SECRET...  Prints one line per secret:
<count>\t<secret>; --show also prints each copy with what surrounds it.
Needs the right to read /proc/PID/mem (same user and ptrace allowed, or
root with CAP_SYS_PTRACE); exits 3 without it."""
import re
import sys


def regions(pid):
    with open(f"/proc/{pid}/maps") as maps:
        for line in maps:
            parts = line.split(maxsplit=5)
            perms = parts[1]
            name = parts[5].strip() if len(parts) > 5 else ""
            if not perms.startswith("rw") or perms[3] != "p":
                continue
            # Files mapped writable are data sections of libraries: their
            # bytes are the program's own, not what the user gave it.
            if name and not name.startswith("["):
                continue
            start, end = (int(x, 16) for x in parts[0].split("-"))
            yield start, end


def forms(secret):
    seen = []
    for encoding in ("utf-8", "utf-16-le", "latin-1"):
        try:
            b = secret.encode(encoding)
        except UnicodeEncodeError:
            continue
        if b not in seen:
            seen.append(b)
    return seen


SHOW = False


def main():
    global SHOW
    if sys.argv[1] == "--show":
        SHOW = True
        del sys.argv[1]
    pid = int(sys.argv[1])
    secrets = sys.argv[2:]
    patterns = {s: [re.compile(re.escape(f)) for f in forms(s)] for s in secrets}
    counts = dict.fromkeys(secrets, 0)
    try:
        mem = open(f"/proc/{pid}/mem", "rb", buffering=0)
    except PermissionError as e:
        # Root without CAP_SYS_PTRACE (a container) may not read it either.
        print(f"cannot read the memory of {pid}: {e}", file=sys.stderr)
        sys.exit(3)
    readable = 0
    with mem:
        for start, end in regions(pid):
            try:
                mem.seek(start)
                data = mem.read(end - start)
            except (OSError, ValueError, OverflowError):
                continue
            readable += 1
            for s, pats in patterns.items():
                for p in pats:
                    for m in p.finditer(data):
                        counts[s] += 1
                        if SHOW:
                            a = max(0, m.start() - 48)
                            print(hex(start + m.start()), repr(data[a:m.end() + 48]), file=sys.stderr)
    if readable == 0:
        print(f"no memory of {pid} could be read", file=sys.stderr)
        sys.exit(3)
    for s in secrets:
        print(f"{counts[s]}\t{s}")


main()
