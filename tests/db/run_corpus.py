#!/usr/bin/env python3
"""Runs the statement corpus against a database: every entry in a transaction that is rolled back.

usage: run_corpus.py DATABASE LOGIN PASSWORD FILE...

An entry is a header line "-- <form> <handler or query>: what [flags]" followed by its statement
(one or more SQL statements, up to the next header). The first comment block of a file describes
the file. Flags: [rows] the statement must return at least one row; [corrected: why] marks a
statement corrected from the screen's text. Prints each failing entry with the server's error.
"""
import os
import re
import subprocess
import sys
import tempfile

HEADER = re.compile(r"^-- (.*)$")


def parse(path):
    entries = []
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()
    i = 0
    while i < len(lines) and lines[i].startswith("--"):  # the file's description
        i += 1
    current = None
    for number, line in enumerate(lines[i:], start=i + 1):
        m = HEADER.match(line)
        if m:
            current = {"file": os.path.basename(path), "line": number, "title": m.group(1), "sql": []}
            entries.append(current)
        elif current is not None:
            current["sql"].append(line)
        elif line.strip():
            raise SystemExit(f"{path}:{number}: statement without a header")
    for e in entries:
        e["sql"] = "\n".join(e["sql"]).strip()
        if not e["sql"]:
            raise SystemExit(f"{path}:{e['line']}: entry without a statement")
    return entries


def script(entries):
    out = ["\\set ON_ERROR_STOP 0",
           "CREATE FUNCTION pg_temp.kiv_expect_rows(q text) RETURNS void LANGUAGE plpgsql AS $f$"
           " DECLARE n bigint; BEGIN EXECUTE 'SELECT count(*) FROM (' || q || ') kiv_q' INTO n;"
           " IF n = 0 THEN RAISE EXCEPTION 'the statement returned no rows'; END IF; END $f$;"]
    ranges = []
    for e in entries:
        start = len(out) + 1
        out.append("BEGIN;")
        sql = e["sql"]
        if "[rows]" in e["title"]:
            body = sql.rstrip().rstrip(";")
            out.append("SELECT pg_temp.kiv_expect_rows($kivq$" + body + "$kivq$);")
        else:
            out.append(sql if sql.rstrip().endswith(";") else sql + ";")
        out.append("ROLLBACK;")
        ranges.append((start, len("\n".join(out).splitlines())))
    return "\n".join(out) + "\n", ranges


def main():
    if len(sys.argv) < 5:
        raise SystemExit(__doc__)
    database, login, password, files = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
    entries = [e for path in files for e in parse(path)]
    text, ranges = script(entries)
    with tempfile.NamedTemporaryFile("w", suffix=".sql", encoding="utf-8", delete=False) as f:
        f.write(text)
        path = f.name
    try:
        env = dict(os.environ, PGPASSWORD=password, PGCLIENTENCODING="UTF8")
        run = subprocess.run(["psql", "-X", "-q", "-h", "localhost", "-p", "5432", "-U", login, "-d", database,
                              "-o", "/dev/null", "-f", path],
                             env=env, capture_output=True, text=True)
    finally:
        os.unlink(path)
    errors = {}
    last = -1
    for line in run.stderr.splitlines():
        m = re.match(r"^psql:[^:]*:(\d+): (.*)$", line)
        if not m:
            if line.strip():  # DETAIL, CONTEXT and the like belong to the error before them
                errors.setdefault(last, []).append(line.strip())
            continue
        number = int(m.group(1))
        last = -1
        for index, (start, end) in enumerate(ranges):
            if start <= number <= end:
                last = index
                break
        errors.setdefault(last, []).append(m.group(2))
    for message in errors.get(-1, []):
        print(f"psql: {message}")
    failed = 0
    for index, e in enumerate(entries):
        if index in errors:
            failed += 1
            print(f"FAIL {e['file']}:{e['line']}: {e['title']}")
            for message in errors[index][:3]:
                print(f"     {message}")
    print(f"{len(entries) - failed} passed, {failed} failed")
    return 1 if failed or -1 in errors or run.returncode not in (0, 3) else 0


if __name__ == "__main__":
    sys.exit(main())
