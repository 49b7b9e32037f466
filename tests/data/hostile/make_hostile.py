#!/usr/bin/env python3
"""Writes the crafted data files of this folder: subject files, a virtual
folder and an activity descriptor as someone meaning harm (or a careless
tool) could make them. The program and `tvx-subject check` must refuse each
cleanly and at once, or show and keep its texts as they are.

The files are committed; run this script again only to change them:

    python3 tests/data/hostile/make_hostile.py

Every file carries the password table the program's files carry, so each
opens as a real file of its kind does and the harm starts only when it is
read.
"""
import hashlib
import os
import sqlite3
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SUBJECT_PASSWORD = "marpelin4729"
TEMPLATE_PASSWORD = "kqw6081"
# A fixed salt: the files come out the same on every run.
SALT = "00112233445566778899aabbccddeeff"

# A recursive common table expression that never ends.
ENDLESS = "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) "


def wave(label):
    """A tiny but real RIFF/WAVE sound: 8 kHz, 16 bits, mono."""
    samples = b"".join(struct.pack("<h", 800 if (i % 16) < 8 else -800) for i in range(80))
    samples += label.encode()
    fmt = struct.pack("<4sIHHIIHH", b"fmt ", 16, 1, 1, 8000, 16000, 2, 16)
    data = struct.pack("<4sI", b"data", len(samples)) + samples
    body = b"WAVE" + fmt + data
    return b"RIFF" + struct.pack("<I", len(body)) + body


def make(name, password, statements, rows=()):
    path = os.path.join(HERE, name)
    if os.path.exists(path):
        os.remove(path)
    db = sqlite3.connect(path)
    db.execute("PRAGMA application_id = 1414944817")
    for sql in statements:
        db.execute(sql)
    for sql, values in rows:
        db.execute(sql, values)
    digest = hashlib.sha256((SALT + password).encode()).hexdigest()
    db.execute("CREATE TABLE MSysPassword(tSalt TEXT, tHash TEXT)")
    db.execute("INSERT INTO MSysPassword VALUES (?, ?)", (SALT, digest))
    db.commit()
    db.execute("VACUUM")
    db.close()


PHRASES = ("CREATE TABLE tblPhrases(pkPhraseNo INTEGER PRIMARY KEY, tPhrase TEXT, "
           "tTranslation TEXT, tTranslation2 TEXT, bsound BLOB)")
PROPERTIES = "CREATE TABLE tblProperties(tProgramCode TEXT)"
CODE = ("INSERT INTO tblProperties VALUES (?)", ("tvxito",))


def phrase(number, text, translation, translation2):
    return ("INSERT INTO tblPhrases VALUES (?, ?, ?, ?, ?)",
            (number, text, translation, translation2, wave("p%d" % number)))


GOOD_PHRASES = [phrase(1, "ciao", "hola", "buenas"), phrase(2, "grazie", "gracias", "muchas gracias")]

# tblProperties is a view that never ends: reading the program code would
# fill the memory.
make("Endless_Properties.ito", SUBJECT_PASSWORD,
     [PHRASES,
      "CREATE VIEW tblProperties AS " + ENDLESS + "SELECT 'tvxito' AS tProgramCode FROM n"],
     GOOD_PHRASES)

# tblPhrases is a view that never ends: listing the phrases would fill the
# memory.
make("Endless_Phrases.ito", SUBJECT_PASSWORD,
     [PROPERTIES,
      "CREATE VIEW tblPhrases AS " + ENDLESS +
      "SELECT i AS pkPhraseNo, 'p' || i AS tPhrase, 't' || i AS tTranslation, "
      "'u' || i AS tTranslation2, zeroblob(100000) AS bsound FROM n"],
     [CODE])

# A trigger that empties the subject when one of its phrases is corrected.
make("Trigger_On_Edit.ito", SUBJECT_PASSWORD,
     [PROPERTIES, PHRASES,
      "CREATE TRIGGER trgWipe AFTER UPDATE ON tblPhrases BEGIN DELETE FROM tblPhrases; "
      "DELETE FROM tblProperties; END"],
     [CODE] + GOOD_PHRASES)

# A column computed on every read, a hundred megabytes each time.
make("Computed_Column.ito", SUBJECT_PASSWORD,
     [PROPERTIES,
      "CREATE TABLE tblPhrases(pkPhraseNo INTEGER PRIMARY KEY, tPhrase TEXT, "
      "tTranslation TEXT, tTranslation2 TEXT GENERATED ALWAYS AS "
      "(printf('%.*c', 100000000, 'x')) VIRTUAL, bsound BLOB)"],
     [CODE, ("INSERT INTO tblPhrases(pkPhraseNo, tPhrase, tTranslation, bsound) "
             "VALUES (1, 'ciao', 'hola', ?)", (wave("p1"),))])

# tblProperties is a virtual table: the file's own module code runs on reading.
make("Virtual_Table.ito", SUBJECT_PASSWORD,
     ["CREATE VIRTUAL TABLE tblProperties USING fts4(tProgramCode)", PHRASES],
     [CODE] + GOOD_PHRASES)

# Texts holding "*", which separates the fields of the program's node tags.
make("Star_Texts.ito", SUBJECT_PASSWORD,
     [PROPERTIES, PHRASES],
     [CODE, phrase(1, "ciao*bella", "hola", "buenas"),
      phrase(2, "grazie", "gracias", "muchas gracias")])

# Texts holding a NUL character, which ends a text for an activity.
make("Nul_Texts.ito", SUBJECT_PASSWORD,
     [PROPERTIES, PHRASES],
     [CODE, phrase(1, "buon\0giorno", "buenos\0días", "hola"),
      phrase(2, "grazie", "gracias", "muchas gracias")])

# A check that refuses any text with "!": correcting a phrase fails, and the
# failure carries SQLite's own English text and the statement.
make("Check_Constraint.ito", SUBJECT_PASSWORD,
     [PROPERTIES,
      "CREATE TABLE tblPhrases(pkPhraseNo INTEGER PRIMARY KEY, "
      "tPhrase TEXT CHECK (instr(tPhrase, '!') = 0), tTranslation TEXT, tTranslation2 TEXT, "
      "bsound BLOB)"],
     [CODE] + GOOD_PHRASES)

# A virtual folder whose subject list never ends.
make("Endless_Parents.vito", SUBJECT_PASSWORD,
     ["CREATE VIEW tblParents AS " + ENDLESS + "SELECT i AS nParent, 'S' || i AS tName FROM n",
      "CREATE TABLE tblPhrases(pkPhraseNo INTEGER PRIMARY KEY AUTOINCREMENT, fkParent INTEGER, "
      "tfilename TEXT, nPhraseNo INTEGER, tPhrase TEXT, tTranslation TEXT, tTranslation2 TEXT)"])

# An activity descriptor whose pictures never end.
make("Endless_Images.cfg", TEMPLATE_PASSWORD,
     ["CREATE VIEW tblImages AS " + ENDLESS +
      "SELECT zeroblob(100000) AS bSpanish, zeroblob(100000) AS bEnglish FROM n"])
