#!/usr/bin/env python3
"""What a Python user would write instead of `kestrune fill`: the same formulas over the same
table with the standard library (csv, re), giving the same result cells.

    python3 python_re.py FAMILY INPUT.csv OUTPUT.csv [--check KESTRUNE_OUTPUT.csv]

Times reading, computing and writing (as `kestrune fill` does all three) and prints
"python FAMILY rows N wall SECONDS cpu SECONDS"; with --check, it compares every result cell
with kestrune's and adds "mismatches M" (the first few mismatches go to stderr).

Cells are read as kestrune reads them: a field that reads as a number (C locale) is a number,
whose text is then its 15-significant-digit form ("12.50" reads as "12.5").

Where the results cannot be equal in general (none of it occurs in the benchmark's table):
re counts code points where kestrune counts UTF-16 units (positions and lengths differ past a
character outside the BMP); re.IGNORECASE folds case by Unicode's simple folding, ECMAScript by
upper-casing with no non-ASCII-to-ASCII mappings ("ſ" matches "s" in re only). What re does not
share with ECMAScript is spelled out here ("." as [^\n\r\u2028\u2029], \d as [0-9], \b with
re.ASCII, kestrune's number rule before float(), which alone would read "1_000" or "nan");
the number filter of krEXTRACTNUM and the rule of krST are ported by hand, as re cannot
express them.
"""
import csv
import re
import sys
import time

NUMBER = re.compile(r"[ \t]*[+-]?(?:[0-9]+\.?[0-9]*|\.[0-9]+)(?:[eE][+-]?[0-9]+)?[ \t]*\Z")
NOT_FOUND = "#VALUE!"


def number_text(x):
    return "%.15G" % x


def cell_text(field):
    """The text kestrune reads from a CSV field: numbers in their 15-digit form."""
    if field and NUMBER.match(field):
        return number_text(float(field))
    return field


def read_number(text):
    return float(text) if NUMBER.match(text) else None


ORDER = re.compile(r"order [^\n\r\u2028\u2029]{5}", re.IGNORECASE)


def search_order(s):
    m = ORDER.search(s)
    return m.group(0) if m else NOT_FOUND


DECIMAL_COMMA = re.compile(r",(?=[0-9][0-9])")


def replace_decimal_comma(s):
    if not DECIMAL_COMMA.search(s):
        return NOT_FOUND
    return DECIMAL_COMMA.sub(".", s, count=1)


THE = re.compile("the", re.IGNORECASE)


def count_the(s):
    return str(len(THE.findall(s)))


POSTAL = re.compile(r"\b[0-9]{5}\b", re.ASCII)


def regex_postal(s):
    m = POSTAL.search(s)
    return m.group(0) if m else NOT_FOUND


SEPARATOR = re.compile(r" +|\t+")


def second_word(s):
    if not SEPARATOR.search(s):
        return NOT_FOUND  # no separator, no words
    words = [piece for piece in SEPARATOR.split(s) if piece != ""]
    return words[1] if len(words) >= 2 else NOT_FOUND


def extract_number(s, separator="."):
    """krEXTRACTNUM with no items: the characters that belong to a number."""
    out = []
    started = open_paren = negative_paren = decimal_seen = False
    exponent_allowed, exponent_ready, first_digit = True, False, False
    exponent_written = e_pending = False
    for c in s:
        keep = False
        if "0" <= c <= "9":
            e_pending, keep, started, negative_paren = False, True, True, False
            if exponent_allowed:
                if not first_digit:
                    exponent_ready = first_digit = True
                elif not decimal_seen:
                    exponent_allowed = exponent_ready = False
        elif ord(c) >= 58:
            if exponent_ready and c == "E" and not e_pending and not exponent_written:
                e_pending = True
        elif c == separator:
            if not decimal_seen:
                keep, started, negative_paren, decimal_seen = True, True, False, True
                if exponent_allowed:
                    e_pending, exponent_ready = False, True
        elif c == "-":
            if not started:
                open_paren, started, negative_paren, keep = False, True, False, True
            if e_pending:
                out.append("E-")
                exponent_written = True
                e_pending = exponent_allowed = exponent_ready = first_digit = False
        elif c == "(":
            if not started:
                open_paren = True
        elif c == ")":
            if open_paren:
                negative_paren = True
        elif c == "+" and exponent_allowed and e_pending:
            out.append("E+")
            exponent_written = True
            e_pending = exponent_allowed = exponent_ready = first_digit = False
        if keep:
            out.append(c)
    result = "".join(out)
    if result.endswith("E"):
        result = result[:-1]
    if len(result) > 1 and result[-2] == "E":
        result = result[:-2]
    return "-" + result if negative_paren else result


def ordinal(s):
    if not s or not "0" <= s[-1] <= "9":
        return NOT_FOUND
    digit = s[-1]
    teen = len(s) >= 2 and s[-2] == "1"
    suffix = "th" if teen else {"1": "st", "2": "nd", "3": "rd"}.get(digit, "th")
    return s + suffix


OPERATOR = re.compile(r"><|<>|>=|=>|<=|=<|\+|-|\^|\*|/|=|<|>")
COMPARE = {
    "=": lambda a, b: a == b, ">": lambda a, b: a > b, "<": lambda a, b: a < b,
    ">=": lambda a, b: a >= b, "=>": lambda a, b: a >= b, "<=": lambda a, b: a <= b,
    "=<": lambda a, b: a <= b, "<>": lambda a, b: a != b, "><": lambda a, b: a != b,
}


def text_formula(s):
    if s.startswith("="):
        s = s[1:]
    m = OPERATOR.search(s)
    if not m:
        return NOT_FOUND
    a, b = read_number(s[:m.start()]), read_number(s[m.end():])
    if a is None or b is None:
        return NOT_FOUND
    op = m.group(0)
    if op in COMPARE:
        return "TRUE" if COMPARE[op](a, b) else "FALSE"
    try:
        value = {"+": lambda: a + b, "-": lambda: a - b, "*": lambda: a * b,
                 "/": lambda: a / b, "^": lambda: a ** b}[op]()
    except (OverflowError, ZeroDivisionError, ValueError):
        return NOT_FOUND
    if isinstance(value, complex):
        return NOT_FOUND
    return number_text(value)


FAMILIES = {
    "krSEARCH": (4, search_order),
    "krREPLACE": (3, replace_decimal_comma),
    "krCOUNTINCELL": (4, count_the),
    "krREGEX": (1, regex_postal),
    "krGETWORD": (0, second_word),
    "krEXTRACTNUM": (3, extract_number),
    "krST": (5, ordinal),
    "krCONCATULA": (6, text_formula),
}


def fill(family, input_path, output_path):
    column, function = FAMILIES[family]
    results = []
    with open(input_path, newline="", encoding="utf-8") as source, \
            open(output_path, "w", newline="", encoding="utf-8") as target:
        writer = csv.writer(target, lineterminator="\n")
        for row in csv.reader(source):
            result = function(cell_text(row[column] if column < len(row) else ""))
            results.append(result)
            row.append(result)
            writer.writerow(row)
    return results


def check(results, kestrune_output):
    mismatches = 0
    with open(kestrune_output, newline="", encoding="utf-8") as source:
        for number, (row, ours) in enumerate(zip(csv.reader(source), results), 1):
            theirs = row[-1]
            if theirs != ours:
                mismatches += 1
                if mismatches <= 5:
                    print(f"row {number}: kestrune {theirs!r}, python {ours!r}", file=sys.stderr)
    return mismatches


def main():
    family, input_path, output_path = sys.argv[1:4]
    wall, cpu = time.perf_counter(), time.process_time()
    results = fill(family, input_path, output_path)
    wall, cpu = time.perf_counter() - wall, time.process_time() - cpu
    line = f"python {family} rows {len(results)} wall {wall:.3f} cpu {cpu:.3f}"
    if len(sys.argv) > 5 and sys.argv[4] == "--check":
        line += f" mismatches {check(results, sys.argv[5])}"
    print(line)


if __name__ == "__main__":
    main()
