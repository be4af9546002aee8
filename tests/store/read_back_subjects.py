#!/usr/bin/python3
"""Reads every message subject of a .pst with three third-party readers (python3-pypff,
pffexport, readpst), run as black boxes, and compares them with the expected subjects.

usage: read_back_subjects.py STORE.pst EXPECTED.json WORKDIR
EXPECTED.json: one [subject, message class, Internet headers] per message of the store.
Prints one line per difference and exits 1 when there is any."""
import collections
import email
import email.policy
import json
import os
import subprocess
import sys

import pypff

# Message classes readpst does not write out (it counts them as skipped), by its design, and
# contacts, which it writes as vCards: a vCard has no subject.
READPST_SKIPS = ("IPM.StickyNote", "IPM.Task", "IPM.Post", "IPM.Contact")
# pffexport writes no folder for a post (a class its library does not know).
PFFEXPORT_SKIPS = ("IPM.Post",)


def header_subject(headers):
    """The Subject of a message's own Internet headers: readpst writes those when it has them."""
    if not headers:
        return None
    message = email.message_from_string(headers.lstrip() + "\r\n\r\n", policy=email.policy.default)
    subject = message.get("Subject")
    return None if subject is None else str(subject).lstrip(" ")


def pypff_subjects(path):
    store = pypff.file()
    store.open(path)
    out = []

    def walk(folder):
        for m in folder.sub_messages:
            out.append(m.get_subject() or "")
        for sub in folder.sub_folders:
            walk(sub)

    walk(store.get_root_folder())
    return out


def pffexport_subjects(path, work):
    target = os.path.join(work, "pffexport")
    subprocess.run(["pffexport", "-q", "-m", "items", "-f", "text", "-t", target, path],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    out = []
    for root, dirs, files in os.walk(target + ".export"):
        if "Attachments" in root.split(os.sep):
            continue  # attached messages are not messages of the store
        # A mail item's properties are in OutlookHeaders.txt; an appointment's, a contact's, a
        # note's or a task's in a file named after its kind.
        kinds = ("OutlookHeaders.txt", "Appointment.txt", "Contact.txt", "Note.txt", "Task.txt", "Meeting.txt")
        found = [name for name in kinds if name in files]
        if not found:
            continue
        with open(os.path.join(root, found[0]), encoding="utf-8") as f:
            subject = ""
            for line in f:
                if line.startswith("Subject:"):
                    subject = line[len("Subject:"):].lstrip("\t").rstrip("\n")
                    break
            out.append(subject)
    return out


def readpst_subjects(path, work):
    target = os.path.join(work, "readpst")
    os.makedirs(target, exist_ok=True)
    # One process: readpst's parallel jobs may still be writing when it returns.
    subprocess.run(["readpst", "-q", "-j", "0", "-e", "-o", target, path],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    out = []
    for root, dirs, files in os.walk(target):
        for name in files:
            with open(os.path.join(root, name), "rb") as f:
                data = f.read()
            if name.endswith(".eml"):
                message = email.message_from_bytes(data, policy=email.policy.default)
                # Folding may leave a blank before the first encoded word.
                out.append(str(message.get("Subject", "")).lstrip(" "))
            elif name.endswith(".ics"):
                # An appointment's SUMMARY is its subject.
                text = data.decode("utf-8", "replace").replace("\r\n ", "").replace("\n ", "")
                key = "SUMMARY:"
                for line in text.splitlines():
                    if line.startswith(key):
                        value = line[len(key):]
                        out.append(value.replace("\\,", ",").replace("\\;", ";").replace("\\\\", "\\"))
                        break
    return out


def compare(reader, got, expected, alternatives=()):
    """Compares as multisets; a message with an alternative may be read as either."""
    missing = expected - collections.Counter(got)
    extra = collections.Counter(got) - expected
    for subject, alternative in alternatives:
        if missing[subject] and extra[alternative]:
            missing[subject] -= 1
            extra[alternative] -= 1
    missing += collections.Counter()  # drops the zeros
    extra += collections.Counter()
    lines = []
    for s, n in sorted(missing.items()):
        lines.append(f"{reader}: missing {n}x {s!r}")
    for s, n in sorted(extra.items()):
        lines.append(f"{reader}: read {n}x {s!r}, which no .msg holds")
    return lines


def main():
    path, expected_path, work = sys.argv[1:4]
    with open(expected_path, encoding="utf-8") as f:
        expected = json.load(f)
    every = collections.Counter(s for s, c, h in expected)
    pffexport_written = collections.Counter(s for s, c, h in expected if c not in PFFEXPORT_SKIPS)
    readpst_written = collections.Counter(s for s, c, h in expected if c not in READPST_SKIPS)
    from_headers = [(s, header_subject(h)) for s, c, h in expected if c not in READPST_SKIPS and header_subject(h) is not None]
    problems = []
    problems += compare("pypff", pypff_subjects(path), every)
    problems += compare("pffexport", pffexport_subjects(path, work), pffexport_written)
    problems += compare("readpst", readpst_subjects(path, work), readpst_written, from_headers)
    print(f"{len(expected)} messages expected, {sum(readpst_written.values())} of them written by readpst")
    for line in problems:
        print(line)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
