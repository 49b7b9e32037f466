#!/usr/bin/env python3
"""A complete Tolvanex activity in a few lines of standard Python 3.

Tolvanex starts an activity with one argument, the name of the study file,
in the folder that holds it:

    python3 print_and_score.py ~tvx12345.txt

This one prints the student, the subject and every phrase with its
translations, checks that every sound file is there, and adds one row to
tblscores of the student database: the number of phrases shown.

It also shows how an activity reports each phrase: given grades on its
standard input (one per phrase, 1 again, 2 hard, 3 good, 4 easy), it adds one
row per graded phrase to tblResults, so that Tolvanex schedules the phrase's
next review. Try it by hand:

    printf '3\n1\n' | python3 print_and_score.py ~tvx12345.txt
"""

import datetime
import os
import sqlite3
import sys
import time

HEADER_LINES = 15
MOST_PHRASES = 10

NAMES = {"English": "Print and score", "Spanish": "Imprimir y puntuar"}


class StudyFileError(Exception):
    pass


def read_study_file(path):
    """Returns the study file as a dict; raises StudyFileError when damaged."""
    with open(path, "rb") as f:
        data = f.read()
    # UTF-8 everywhere but Windows, where the shell writes the ANSI code page.
    encoding = "mbcs" if sys.platform == "win32" else "utf-8"
    try:
        text = data.decode(encoding)
    except UnicodeDecodeError:
        raise StudyFileError(f"{path} is not a study file (not {encoding} text)")
    if text.startswith("\ufeff"):
        text = text[1:]
    # Lines end in CR LF; str.split("\n") plus stripping "\r" also reads LF.
    lines = [line[:-1] if line.endswith("\r") else line for line in text.split("\n")]
    if lines and lines[-1] == "":
        lines.pop()
    if len(lines) < HEADER_LINES:
        raise StudyFileError(f"{path} has {len(lines)} lines, fewer than {HEADER_LINES}")
    try:
        count = int(lines[7].strip())
    except ValueError:
        count = 0
    if not 1 <= count <= MOST_PHRASES:
        raise StudyFileError(f"line 8 of {path} is not a phrase count from 1 to 10: {lines[7]!r}")
    if len(lines) < HEADER_LINES + 4 * count:
        raise StudyFileError(f"{path} ends before its {count} phrases do")

    def unquote(number):
        line = lines[number - 1]
        first, last = line.find('"'), line.rfind('"')
        if first < 0 or last == first:
            raise StudyFileError(f"line {number} of {path} is not a quoted value: {line!r}")
        return line[first + 1:last]  # nothing is escaped inside

    folder = os.path.dirname(os.path.abspath(path))
    phrases = []
    for k in range(count):
        first = HEADER_LINES + 1 + 4 * k
        phrase, translation, translation2, sound = (unquote(first + i) for i in range(4))
        phrases.append({
            "phrase": phrase,
            "translation": translation,
            "translation2": translation2,
            "sound": os.path.join(folder, sound),  # already a full path
        })
    return {
        "shell_process": lines[0].strip(),
        "language_code": lines[1],
        "product_title": lines[2],
        "learner_language": lines[3],  # "English" or "Spanish"
        "target_language": lines[4],
        "student": lines[5],  # tName of tblscores
        "subject": lines[6],  # tSubject of tblscores
        "database": lines[8],  # the student database, Users.dat
        "format_version": int(lines[14].strip()),
        "phrases": phrases,
    }


def local_date_and_time(moment):
    """nDate (yyyymmdd) and nTime (seconds since midnight) of a local time."""
    return (moment.year * 10000 + moment.month * 100 + moment.day,
            moment.hour * 3600 + moment.minute * 60 + moment.second)


def find_launch(database, study_file_name):
    """The id of the launch that wrote our study file, looked up at start.

    Tolvanex records every study set it hands out in tblLaunches. Our study
    file's launch is the latest one of its name; asking at start (rather
    than when the game ends) keeps a launch made meanwhile by the same
    Tolvanex out. None when the database has no such table (an older
    Tolvanex) or no such launch.
    """
    try:
        with sqlite3.connect(f"file:{database}?mode=rw", uri=True, timeout=5.0) as db:
            row = db.execute(
                "SELECT tLaunch FROM tblLaunches WHERE tStudyFile = ?"
                " ORDER BY nDate DESC, nTime DESC, pkLaunchID DESC LIMIT 1",
                (study_file_name,)).fetchone()
        db.close()
    except sqlite3.Error:
        return None
    return row[0] if row else None


def add_results(database, study_file_name, launch, results):
    """Adds one tblResults row per graded phrase, all in one transaction.

    results: (entry number 1..10, grade 1..4, local time, seconds or None).
    Nothing is written when the database has no tblResults (an older
    Tolvanex): the score row alone is what it reads.
    """
    if not results:
        return
    # mode=rw: never create a missing database.
    with sqlite3.connect(f"file:{database}?mode=rw", uri=True, timeout=5.0) as db:
        if db.execute("SELECT 1 FROM sqlite_master WHERE type = 'table'"
                      " AND name = 'tblResults'").fetchone() is None:
            return
        rows = [(study_file_name, launch, entry, grade, *local_date_and_time(when), seconds)
                for entry, grade, when, seconds in results]
        db.executemany(
            "INSERT INTO tblResults (tStudyFile, tLaunch, nEntry, nGrade, nDate, nTime,"
            " nSeconds) VALUES (?, ?, ?, ?, ?, ?, ?)", rows)
    db.close()


def read_grades(count):
    """Grades piped to standard input, one per phrase; none from a terminal."""
    if sys.stdin is None or sys.stdin.isatty():
        return []
    grades = []
    for word in sys.stdin.read().split()[:count]:
        if word in ("1", "2", "3", "4"):
            grades.append(int(word))
        else:
            break
    return grades


def add_score(database, student, activity, subject, number_score, text_score=""):
    """Adds one row to tblscores, waiting for a database that is busy."""
    n_date, n_time = local_date_and_time(datetime.datetime.now())
    if not os.path.isfile(database):
        # sqlite3 would create an empty database here: never do that.
        raise FileNotFoundError(f"the student database {database} does not exist")
    for attempt in range(3):
        try:
            # timeout: wait up to 5 s for the shell or another activity.
            with sqlite3.connect(database, timeout=5.0) as db:
                db.execute(
                    "INSERT INTO tblscores (tName, tActivity, tSubject, textScore, numberScore,"
                    " nDate, nTime) VALUES (?, ?, ?, ?, ?, ?, ?)",
                    (student, activity, subject, text_score, number_score, n_date, n_time))
            db.close()
            return
        except sqlite3.OperationalError as e:
            if "locked" not in str(e) or attempt == 2:
                raise
            time.sleep(0.3)


def main(argv):
    if len(argv) != 2:
        print("usage: print_and_score.py <study file>", file=sys.stderr)
        return 2
    path = os.path.abspath(argv[1])  # a bare name is taken from the working folder
    try:
        study = read_study_file(path)
    except (OSError, StudyFileError) as e:
        print(f"Cannot use the study file: {e}", file=sys.stderr)
        return 1
    missing = [p["sound"] for p in study["phrases"] if not os.path.isfile(p["sound"])]
    if missing:
        print(f"Missing sound file: {missing[0]}", file=sys.stderr)
        return 1

    # The study file's name, as the command line gave it, names our launch.
    study_file_name = os.path.basename(path)
    launch = find_launch(study["database"], study_file_name)

    print(f"{study['student']} studies {study['subject']} ({study['target_language']}):")
    for p in study["phrases"]:
        extra = f" / {p['translation2']}" if p["translation2"] else ""
        print(f"  {p['phrase']} = {p['translation']}{extra}")
    now = datetime.datetime.now()
    results = [(entry, grade, now, None)
               for entry, grade in enumerate(read_grades(len(study["phrases"])), start=1)]

    activity = NAMES.get(study["learner_language"], NAMES["English"])
    try:
        add_score(study["database"], study["student"], activity, study["subject"],
                  len(study["phrases"]))
    except (OSError, sqlite3.Error) as e:
        print(f"The score was not saved: {e}", file=sys.stderr)
        return 1
    try:
        add_results(study["database"], study_file_name, launch, results)
    except sqlite3.Error as e:
        print(f"The phrases' results were not saved: {e}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
