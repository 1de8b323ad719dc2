#!/usr/bin/env python3
"""What each call of calls_bench costs a Python user: the same 100,000 cells (column.hpp's
generator, ported), the same answers, with `re` patterns compiled once, timed in process (CPU
time, median of REPEATS runs; no CSV, no kestrune).

    python3 bench/calls_python.py [--repeats 5] [--check build/release/cli/kestrune]

Prints one line a call: "python NAME ns_per_call N". With --check, every answer is compared
with kestrune's for the same call (kestrune --json, calls on standard input) and the number of
mismatches is printed too; the benchmark's cells hold only ASCII, where code points and UTF-16
units count alike.
"""
import argparse
import json
import re
import statistics
import subprocess
import sys
import time

CELLS = 100_000
NOT_FOUND = "#VALUE!"


class Lcg:
    def __init__(self, seed):
        self.state = seed

    def next(self):
        self.state = (self.state * 6364136223846793005 + 1442695040888963407) % 2**64
        return self.state >> 33

    def below(self, n):
        return self.next() % n


FIRST = ["Anna", "Ben", "Chloe", "David", "Emma", "Farid", "Grace", "Hugo"]
LAST = ["Smith", "Mueller", "Garcia", "Nguyen", "Okafor", "Rossi"]
STREETS = ["Main St", "Elm Road", "Rue de la Paix", "Hauptstrasse"]
WORDS = ["the", "quick", "brown", "fox", "jumps", "over", "lazy", "dog", "order", "shipped",
         "invoice", "paid"]


def make_cell(r):
    n = lambda limit: str(r.below(limit))
    kind = r.below(6)
    if kind == 0:
        return FIRST[r.below(8)] + " " + LAST[r.below(6)]
    if kind == 1:
        a = n(999)
        return a + " " + STREETS[r.below(4)] + ", " + n(99999)
    if kind == 2:
        a = n(10000)
        letter = chr(ord("A") + r.below(26))
        return "SKU-" + a + "-" + letter + n(10)
    if kind == 3:
        a = n(10000)
        sep = "." if r.below(2) else ","
        return a + sep + n(100) + " EUR"
    if kind == 4:
        month = n(12)
        day = n(28)
        return "2026-" + month + "-" + day + " order " + n(100000)
    count = 3 + r.below(6)
    return " ".join(WORDS[r.below(12)] for _ in range(count))


def column():
    r = Lcg(20261206)
    return [make_cell(r) for _ in range(CELLS)]


def formulas():
    ops = ["+", "*", "/", ">=", "<>", "^"]
    return ["=%d%s%d.5" % (1 + i % 9, ops[i % 6], 1 + i % 7) for i in range(CELLS)]


ORDER = re.compile("order")
DIGITS = re.compile("[0-9]+")
O_E = re.compile("o[^\n\r\u2028\u2029]e")
SEPARATOR = re.compile(" +|\t+")
OPERATOR = re.compile(r"><|<>|>=|=>|<=|=<|\+|-|\^|\*|/|=|<|>")


def first_position(pattern):
    def answer(s):
        m = pattern.search(s)
        return m.start() + 1 if m else NOT_FOUND
    return answer


def first_length(s):
    m = DIGITS.search(s)
    return m.end() - m.start() if m else NOT_FOUND


def first_text(s):
    m = DIGITS.search(s)
    return m.group(0) if m else NOT_FOUND


def replaced(count):
    def answer(s):
        out, n = DIGITS.subn("#", s, count=count)
        return out if n else NOT_FOUND
    return answer


def count_o_e(s):
    return len(O_E.findall(s))


def count_digits(s):
    n = len(DIGITS.findall(s))
    return n if n else NOT_FOUND


def all_digits(s):
    found = DIGITS.findall(s)
    return found if found else NOT_FOUND


def second_word(s):
    pieces = SEPARATOR.split(s)
    if len(pieces) == 1:
        return NOT_FOUND
    words = [p for p in pieces if p]
    return words[1] if len(words) > 1 else NOT_FOUND


def formula_value(f):
    f = f[1:]
    m = OPERATOR.search(f)
    a, b, op = float(f[:m.start()]), float(f[m.end():]), m.group(0)
    return {"+": lambda: a + b, "*": lambda: a * b, "/": lambda: a / b, "^": lambda: a ** b,
            ">=": lambda: a >= b, "<>": lambda: a != b}[op]()


# name, the kestrune call for a cell, the Python answer, whether its cells are formulas
CALLS = [
    ("krSEARCH_code1", 'krSEARCH("{}","order",,1)', first_position(ORDER), False),
    ("krSEARCH_code3", 'krSEARCH("{}","[0-9]{{1,}}",,3)', first_text, False),
    ("krREPLACE_first", 'krREPLACE("{}","[0-9]{{1,}}","#",,FALSE)', replaced(1), False),
    ("krREPLACE_all", 'krREPLACE("{}","[0-9]{{1,}}","#",,TRUE)', replaced(0), False),
    ("krREPLACE_all_from_right", 'krREPLACE("{}","[0-9]{{1,}}","#",,TRUE,,,TRUE)', replaced(0),
     False),
    ("krCOUNTINCELL", 'krCOUNTINCELL("{}","o?e")', count_o_e, False),
    ("krREGEX_type1", 'krREGEX("{}","[0-9]+",,,1)', first_position(DIGITS), False),
    ("krREGEX_type2", 'krREGEX("{}","[0-9]+",,,2)', first_length, False),
    ("krREGEX_type3", 'krREGEX("{}","[0-9]+",,,3)', first_text, False),
    ("krREGEX_type4", 'krREGEX("{}","[0-9]+",,,4)', count_digits, False),
    ("krREGEX_type7", 'krREGEX("{}","[0-9]+",,,7)', all_digits, False),
    ("krGETWORD_2", 'krGETWORD("{}",2)', second_word, False),
    ("krCONCATULA", 'krCONCATULA("{}")', formula_value, True),
]


def ns_per_call(answer, cells, repeats):
    times = []
    for _ in range(repeats):
        start = time.process_time_ns()
        for cell in cells:
            answer(cell)
        times.append((time.process_time_ns() - start) / len(cells))
    return statistics.median(times)


def as_python(value):
    """kestrune's JSON answer in the Python answers' terms."""
    if isinstance(value, dict) and "array" in value:
        return value["array"]
    return value


def mismatches(kestrune, call, answer, cells):
    lines = "".join(call.format(c) + "\n" for c in cells)
    out = subprocess.run([kestrune, "--json"], input=lines, capture_output=True, text=True,
                         check=True).stdout.splitlines()
    wrong = 0
    for cell, line in zip(cells, out):
        if as_python(json.loads(line)) != answer(cell):
            wrong += 1
            if wrong <= 3:
                print("mismatch", call.format(cell), line, answer(cell), file=sys.stderr)
    return wrong + abs(len(out) - len(cells))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--repeats", type=int, default=5)
    parser.add_argument("--check", metavar="KESTRUNE")
    options = parser.parse_args()
    cells, texts = column(), formulas()
    for name, call, answer, on_formulas in CALLS:
        these = texts if on_formulas else cells
        line = "python %s ns_per_call %.1f" % (name, ns_per_call(answer, these, options.repeats))
        if options.check:
            line += " mismatches %d" % mismatches(options.check, call, answer, these)
        print(line, flush=True)


if __name__ == "__main__":
    main()
