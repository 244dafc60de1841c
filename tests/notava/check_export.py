"""Reads an exported .ics or .csv with Python's own readers and compares it,
entry for entry, with the description the pair was generated from (the
notava_mkpair .tsv format). Usage: check_export.py DESCRIPTION.tsv EXPORT"""
import csv
import datetime
import sys

import icalendar

PRIORITY = {"A": 1, "B": 5, "C": 9}


def entries_of(description):
    rows = []
    with open(description, encoding="utf-8") as tsv:
        for line in tsv:
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            due, entered, deleted, rank, secret, request, client, content = line.split("\t")
            rows.append(dict(due=due, entered=entered, deleted=deleted != "0", rank=rank, secret=secret != "0",
                             request=request.replace("\\n", "\n"), client=client.replace("\\n", "\n"),
                             content=content.replace("\\n", "\n")))
    return rows


def day(yyyymmdd):
    return datetime.date(int(yyyymmdd[:4]), int(yyyymmdd[4:6]), int(yyyymmdd[6:]))


def check(condition, message):
    if not condition:
        sys.exit("FAIL: " + message)


def check_ics(expected, path):
    raw = open(path, "rb").read()
    check(b"\n" not in raw.replace(b"\r\n", b""), "a line does not end in CR LF")
    check(all(len(line) <= 75 for line in raw.split(b"\r\n")), "a line is longer than 75 octets")
    calendar = icalendar.Calendar.from_ical(raw.decode("utf-8"))
    todos = calendar.walk("VTODO")
    check(len(todos) == len(expected), f"{len(todos)} VTODOs for {len(expected)} entries")
    uids = set()
    for number, (todo, entry) in enumerate(zip(todos, expected), start=1):
        where = f"entry {number}"
        uids.add(str(todo["UID"]))
        check(todo.decoded("DUE") == day(entry["due"]), f"{where}: DUE {todo.decoded('DUE')}")
        stamp = datetime.datetime.combine(day(entry["entered"]), datetime.time(), datetime.timezone.utc)
        check(todo.decoded("DTSTAMP") == stamp and todo.decoded("CREATED") == stamp, f"{where}: DTSTAMP/CREATED")
        check(str(todo["SUMMARY"]) == entry["content"].split("\n")[0], f"{where}: SUMMARY {todo['SUMMARY']!r}")
        check(str(todo.get("DESCRIPTION", "")) == entry["content"], f"{where}: DESCRIPTION")
        check(int(todo["PRIORITY"]) == PRIORITY[entry["rank"]], f"{where}: PRIORITY")
        check((str(todo.get("CLASS", "PUBLIC")) == "PRIVATE") == entry["secret"], f"{where}: CLASS")
        check(str(todo["STATUS"]) == ("COMPLETED" if entry["deleted"] else "NEEDS-ACTION"), f"{where}: STATUS")
        check(str(todo.get("X-ZENTRIO-REQUESTER", "")) == entry["request"], f"{where}: requester")
        check(str(todo.get("X-ZENTRIO-REQUESTEE", "")) == entry["client"], f"{where}: requestee")
    check(len(uids) == len(expected), "UIDs are not unique")


def check_csv(expected, path):
    with open(path, encoding="utf-8", newline="") as file:
        rows = list(csv.reader(file))
    check(rows[0] == ["entry", "rank", "entered", "due", "requester", "requestee", "content", "secret",
                      "processed"], f"header {rows[0]}")
    check(len(rows) - 1 == len(expected), f"{len(rows) - 1} rows for {len(expected)} entries")
    for number, (row, entry) in enumerate(zip(rows[1:], expected), start=1):
        want = [str(number), entry["rank"], day(entry["entered"]).isoformat(), day(entry["due"]).isoformat(),
                entry["request"], entry["client"], entry["content"], "1" if entry["secret"] else "0",
                "1" if entry["deleted"] else "0"]
        check(row == want, f"row {number}: {row} != {want}")


expected_entries = entries_of(sys.argv[1])
(check_ics if sys.argv[2].lower().endswith(".ics") else check_csv)(expected_entries, sys.argv[2])
print(f"{sys.argv[2]}: {len(expected_entries)} entries as described")
