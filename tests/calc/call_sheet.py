"""The shared call tables as a Calc spreadsheet, and Calc's answers checked against them.

Each case of a table (tests/data/member_calls*.txt) becomes one formula in a .fods file without
cached values: the call's text and numbers as constants, TRUE and FALSE as TRUE() and FALSE(),
an omitted argument as nothing between two ";", an array as an inline array, a CELL(v) as a
reference to cells of a second sheet that hold v, EMPTY as a reference to a blank cell. A case
whose answer is an array is entered as an array formula over the answer's size. What Calc
cannot pass is left out, with the reason (FILTERED).
"""
import json
import re
from xml.sax.saxutils import escape, quoteattr

# The kinds of case Calc cannot pass, and why.
FILTERED = {
    "error argument": "Calc answers a formula whose argument is an error value with that error, "
                      "and never calls the function",
    "null argument": "Calc has no null value",
    "one-cell range": "Calc passes a range or an inline array of one cell as that cell's value",
    "truth or blank read as such": "Calc passes TRUE as the number 1 and FALSE and a blank "
                                   "cell as 0; kept where the answer is the same for those "
                                   "numbers",
}
ERROR_NAMES = ("#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A")
TOKEN = re.compile(r'\s*(?:("(?:[^"]|"")*")|(#NULL!|#DIV/0!|#VALUE!|#REF!|#NAME\?|#NUM!|#N/A)'
                   r'|([-+]?(?:\d+\.?\d*|\.\d+)(?:[eE][-+]?\d+)?)|([A-Za-z_][A-Za-z0-9_]*)'
                   r'|([(),;{}]))')
IMPLEMENTATION = "ORG.KESTRUNE.FUNCTIONS"


def tokens(text):
    position, found = 0, []
    while position < len(text):
        match = TOKEN.match(text, position)
        if not match:
            if text[position:].strip():
                raise ValueError(f"cannot read {text[position:]!r}")
            break
        kind = match.lastindex
        found.append((("text", "error", "number", "word", "mark")[kind - 1], match.group(kind)))
        position = match.end()
    return found


class Reader:
    """The call syntax of the command line, read into nested tuples:
    ("text", s) ("number", s) ("word", W) ("error", E) ("omitted",) ("array", rows)
    ("cell", value)."""

    def __init__(self, text):
        self.tokens, self.at = tokens(text), 0

    def peek(self):
        return self.tokens[self.at] if self.at < len(self.tokens) else ("end", "")

    def take(self, expected=None):
        token = self.peek()
        if expected and token[1] != expected:
            raise ValueError(f"expected {expected}, found {token[1]!r}")
        self.at += 1
        return token

    def call(self):
        name = self.take()[1]
        self.take("(")
        arguments = []
        if self.peek()[1] != ")":
            while True:
                arguments.append(self.argument())
                if self.take()[1] == ")":
                    break
        return name, arguments

    def argument(self):
        if self.peek()[1] in (",", ")"):
            return ("omitted",)
        return self.value()

    def value(self):
        kind, text = self.take()
        if text == "{":
            rows, row = [], []
            while True:
                row.append(self.value())
                mark = self.take()[1]
                if mark in (";", "}"):
                    rows.append(row)
                    row = []
                if mark == "}":
                    return ("array", rows)
        if kind == "word" and text.upper() == "CELL":
            self.take("(")
            inner = self.value()
            self.take(")")
            return ("cell", inner)
        if kind == "word":
            return ("word", text.upper())
        return (kind, text)


def walk(value):
    yield value
    for inner in ([value[1]] if value[0] == "cell" else
                  [v for row in value[1] for v in row] if value[0] == "array" else []):
        yield from walk(inner)


def filter_kind(arguments):
    """The kind that keeps a call out of Calc, or None."""
    values = [v for a in arguments for v in walk(a)]
    if any(v[0] == "error" for v in values):
        return "error argument"
    if any(v == ("word", "NULL") for v in values):
        return "null argument"
    if any(v[0] == "array" and len(v[1]) == 1 and len(v[1][0]) == 1 for v in values):
        return "one-cell range"
    return None


def has_truth_or_blank(arguments):
    return any(v[0] == "word" and v[1] in ("TRUE", "FALSE", "EMPTY")
               for a in arguments for v in walk(a))


def as_numbers(call):
    """The call with TRUE as 1 and FALSE and EMPTY as 0, as Calc passes them."""
    return re.sub(r'("(?:[^"]|"")*")|\b(TRUE|FALSE|EMPTY)\b',
                  lambda m: m.group(1) or ("1" if m.group(2) == "TRUE" else "0"), call)


class Sheet:
    """The .fods: sheet "Calls" with one formula a case, sheet "Cells" with what CELL(...) and
    EMPTY refer to (its first row stays blank)."""

    def __init__(self):
        self.rows = []          # (formula, height, width)
        self.cells = [[]]       # rows of the sheet "Cells"; row 1 blank

    def constant(self, value):
        kind, text = value[0], value[1] if len(value) > 1 else None
        if kind in ("text", "number"):
            return text
        if kind == "word" and text in ("TRUE", "FALSE"):
            return text + "()"
        raise ValueError(f"no constant for {value}")

    def cell_block(self, value):
        """Puts value into new rows of "Cells"; returns the reference."""
        grid = value[1] if value[0] == "array" else [[value]]
        first = len(self.cells) + 1
        self.cells.extend(grid)
        last_column = chr(ord("A") + max(len(r) for r in grid) - 1)
        end = f":.{last_column}{first + len(grid) - 1}" if value[0] == "array" else ""
        return f"[$Cells.A{first}{end}]"

    def argument(self, value):
        kind = value[0]
        if kind == "omitted":
            return ""
        if kind == "cell":
            return self.cell_block(value[1])
        if value == ("word", "EMPTY"):
            return "[$Cells.A1]"
        if kind == "array":
            return "{" + "|".join(";".join(self.constant(v) for v in row)
                                  for row in value[1]) + "}"
        return self.constant(value)

    def add(self, name, arguments, height, width):
        formula = (f"of:={IMPLEMENTATION}.{name.upper()}(" +
                   ";".join(self.argument(a) for a in arguments) + ")")
        self.rows.append((formula, height, width))

    def cell_xml(self, value):
        kind, text = value[0], value[1] if len(value) > 1 else ""
        if kind == "number":
            return f'<table:table-cell office:value-type="float" office:value="{float(text)!r}"/>'
        if kind == "text":
            shown = escape(text[1:-1].replace('""', '"'))
            return (f'<table:table-cell office:value-type="string"><text:p>{shown}</text:p>'
                    '</table:table-cell>')
        if kind == "word" and text in ("TRUE", "FALSE"):
            return (f'<table:table-cell office:value-type="boolean" '
                    f'office:boolean-value="{text.lower()}"/>')
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
        cells = ["<table:table-row>" + ("".join(self.cell_xml(v) for v in row) or
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


def answer_size(expected):
    """Rows and columns of an array answer; (0, 0) for a single value."""
    if isinstance(expected, dict) and "array" in expected:
        grid = expected["array"]
        return (len(grid), len(grid[0])) if grid and isinstance(grid[0], list) else (1, len(grid))
    return (0, 0)


def answer_grid(expected):
    """The expected answer as rows of cells."""
    height, width = answer_size(expected)
    if not height:
        return [[expected]]
    grid = expected["array"]
    return grid if isinstance(grid[0], list) else [grid]


def read_table(path):
    separator, cases = ".", []
    with open(path, encoding="utf-8") as table:
        for number, line in enumerate(table, 1):
            line = line.rstrip("\r\n")
            if not line or line.startswith("#"):
                continue
            if line.startswith("@decimal-separator "):
                separator = line.split(" ", 1)[1]
                continue
            call, expected = line.split("\t", 1)
            cases.append((number, call, json.loads(expected)))
    return separator, cases
