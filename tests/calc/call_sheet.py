"""The shared call tables as a Calc spreadsheet.

Each case of a table (tests/data/member_calls*.txt) becomes one formula of a .fods file without
cached values: texts and numbers as constants, TRUE and FALSE as TRUE() and FALSE(), an omitted
argument as nothing between two ";", an array as an inline array, CELL(v) as a reference to
cells of a second sheet that hold v, EMPTY as a reference to a blank cell. An array answer makes
an array formula over the answer's size. What Calc cannot pass is left out (filter_kind).
"""
import json
import re
from xml.sax.saxutils import quoteattr

TOKEN = re.compile(r'\s*(?:("(?:[^"]|"")*")|(#NULL!|#DIV/0!|#VALUE!|#REF!|#NAME\?|#NUM!|#N/A)'
                   r'|([-+]?(?:\d+\.?\d*|\.\d+)(?:[eE][-+]?\d+)?)|([A-Za-z_][A-Za-z0-9_]*)'
                   r'|([(),;{}]))')
KINDS = ("text", "error", "number", "word", "mark")
IMPLEMENTATION = "ORG.KESTRUNE.FUNCTIONS"


def tokens(text):
    position, found = 0, []
    while position < len(text):
        match = TOKEN.match(text, position)
        if not match:
            if text[position:].strip():
                raise ValueError(f"cannot read {text[position:]!r}")
            break
        found.append((KINDS[match.lastindex - 1], match.group(match.lastindex)))
        position = match.end()
    return found + [("end", "")]


def parse_call(text):
    """The command line's call syntax as (name, arguments), each argument one of ("text", s)
    ("number", s) ("word", W) ("error", E) ("omitted",) ("array", rows) ("cell", value)."""
    found = iter(tokens(text))
    token = next(found)

    def take(expected=None):
        nonlocal token
        taken, token = token, next(found, ("end", ""))
        if expected and taken[1] != expected:
            raise ValueError(f"expected {expected}, found {taken[1]!r}")
        return taken

    def value():
        kind, text = take()
        if text == "{":
            rows = [[]]
            while True:
                rows[-1].append(value())
                mark = take()[1]
                if mark == "}":
                    return ("array", rows)
                if mark == ";":
                    rows.append([])
        if kind == "word" and text.upper() == "CELL":
            take("(")
            inner = value()
            take(")")
            return ("cell", inner)
        return ("word", text.upper()) if kind == "word" else (kind, text)

    name = take()[1]
    take("(")
    arguments = []
    while token[1] != ")" or arguments:
        arguments.append(("omitted",) if token[1] in (",", ")") else value())
        if take()[1] == ")":
            break
    return name, arguments


def walk(value):
    yield value
    inner = ([value[1]] if value[0] == "cell" else
             [v for row in value[1] for v in row] if value[0] == "array" else [])
    for each in inner:
        yield from walk(each)


def values_of(arguments):
    return [v for a in arguments for v in walk(a)]


def filter_kind(arguments):
    """Why Calc cannot pass the call, or None: it answers a formula whose argument is an error
    value with that error without calling the function, has no null value, and passes a range
    or an inline array of one cell as that cell's value."""
    values = values_of(arguments)
    if any(v[0] == "error" for v in values):
        return "error argument"
    if ("word", "NULL") in values:
        return "null argument"
    if any(v[0] == "array" and len(v[1]) == 1 and len(v[1][0]) == 1 for v in values):
        return "one-cell range"
    return None


def as_numbers(call):
    """The call with TRUE as 1 and FALSE and EMPTY as 0, as Calc passes them (the call itself
    when it has none of them)."""
    return re.sub(r'("(?:[^"]|"")*")|\b(TRUE|FALSE|EMPTY)\b',
                  lambda m: m.group(1) or ("1" if m.group(2) == "TRUE" else "0"), call)


class Sheet:
    """The .fods: sheet "Calls" with one formula a case, sheet "Cells" with what CELL(...) and
    EMPTY refer to (its first row stays blank)."""

    def __init__(self):
        self.rows = []  # (formula, height, width); height 0 for a single value
        self.cells = [[]]

    def constant(self, value):
        if value[0] in ("text", "number"):
            return value[1]
        if value in (("word", "TRUE"), ("word", "FALSE")):
            return value[1] + "()"
        raise ValueError(f"no constant for {value}")

    def argument(self, value):
        kind = value[0]
        if kind == "omitted":
            return ""
        if value == ("word", "EMPTY"):
            return "[$Cells.A1]"
        if kind == "array":
            return "{" + "|".join(";".join(map(self.constant, row)) for row in value[1]) + "}"
        if kind != "cell":
            return self.constant(value)
        grid = value[1][1] if value[1][0] == "array" else [[value[1]]]
        first = len(self.cells) + 1
        self.cells.extend(grid)
        if value[1][0] != "array":
            return f"[$Cells.A{first}]"
        last_column = chr(ord("A") + max(len(r) for r in grid) - 1)
        return f"[$Cells.A{first}:.{last_column}{first + len(grid) - 1}]"

    def add(self, name, arguments, answer):
        formula = (f"of:={IMPLEMENTATION}.{name.upper()}(" +
                   ";".join(map(self.argument, arguments)) + ")")
        grid = answer_grid(answer)
        height = len(grid) if is_array(answer) else 0
        self.rows.append((formula, height, len(grid[0]) if height else 0))

    def cell_xml(self, value):
        """A cell of "Cells": a constant as a formula, anything else (EMPTY) blank."""
        try:
            formula = quoteattr("of:=" + self.constant(value))
            return f"<table:table-cell table:formula={formula}/>"
        except ValueError:
            return "<table:table-cell/>"

    def xml(self):
        calls = []
        for formula, height, width in self.rows:
            span = (f' table:number-matrix-columns-spanned="{width}"'
                    f' table:number-matrix-rows-spanned="{height}"' if height else "")
            calls.append(f'<table:table-row><table:table-cell table:formula={quoteattr(formula)}'
                         f'{span}/></table:table-row>')
            calls.extend(["<table:table-row><table:table-cell/></table:table-row>"] *
                         (max(height, 1) - 1))
        cells = ["<table:table-row>" + ("".join(map(self.cell_xml, row)) or
                                        "<table:table-cell/>") + "</table:table-row>"
                 for row in self.cells]
        return ('<?xml version="1.0" encoding="UTF-8"?>\n'
                '<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"'
                ' xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"'
                ' xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"'
                ' xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2"'
                ' office:version="1.3"'
                ' office:mimetype="application/vnd.oasis.opendocument.spreadsheet">'
                '<office:body><office:spreadsheet>'
                '<table:table table:name="Calls">' + "\n".join(calls) + '</table:table>'
                '<table:table table:name="Cells">' + "\n".join(cells) + '</table:table>'
                '</office:spreadsheet></office:body></office:document>\n')


def is_array(answer):
    return isinstance(answer, dict) and "array" in answer


def answer_grid(answer):
    """The expected answer as rows of cells (a one-dimensional array as one row)."""
    if not is_array(answer):
        return [[answer]]
    grid = answer["array"]
    return grid if grid and isinstance(grid[0], list) else [grid]


def read_table(path):
    """The table's decimal separator and its cases as (line number, call, answer)."""
    separator, cases = ".", []
    with open(path, encoding="utf-8") as table:
        for number, line in enumerate(table, 1):
            line = line.rstrip("\r\n")
            if line.startswith("@decimal-separator "):
                separator = line.split(" ", 1)[1]
            elif line and not line.startswith("#"):
                call, expected = line.split("\t", 1)
                cases.append((number, call, json.loads(expected)))
    return separator, cases
