#!/usr/bin/python3
"""The Calc add-in against Calc's own REGEX on the column benchmark's cells: each family's
kestrune formula (bench/column/formulas.py) as an add-in call filled down 100,000 rows, and the
REGEX formula where REGEX can express the family, each timed as Calc recalculates the column
and checked against `kestrune fill`'s results for the same rows.

    /usr/bin/python3 calc_addin.py kestrune.oxt INPUT.csv ROWS KESTRUNE_OUTPUT_PATTERN [ROUNDS]

Each round recalculates every column once, the add-in's and REGEX's of a family one after the
other, so that both meet the same load; the table gives each column's median over the ROUNDS
(default 3). Prints "addin FAMILY rows N wall S cpu S mismatches M" and "calc FAMILY ..." lines
for every round, then the table README.md records.
"""
import os
import re
import statistics
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "column"))
from calc_regex import Column, read_table, report, start_calc, stop_calc  # noqa: E402
from formulas import FORMULAS  # noqa: E402

PIECE = re.compile(r'("(?:[^"]|"")*")|\b(TRUE|FALSE)\b|\b([A-G])\b(?!\()|(,)')
CALL_ALONE = "krVERSION()"
# The add-in answers a truth value as 1 or 0: Calc shows a returned boolean as a number.
TRUTH_AS_NUMBER = {"TRUE": "1", "FALSE": "0"}


def addin_formula(formula):
    """A kestrune fill formula in Calc's syntax: a column as the row's cell, ";" between the
    arguments, TRUE() and FALSE(); braces doubled for str.format."""
    def piece(match):
        text, truth, column, comma = match.groups()
        if text:
            return text.replace("{", "{{").replace("}", "}}")
        if truth:
            return truth + "()"
        return column + "{r}" if column else ";"
    return PIECE.sub(piece, formula)


def median_run(runs):
    """(cells, wall seconds, CPU seconds): the medians of a column's rounds."""
    return (runs[0][0], statistics.median(r[1] for r in runs), statistics.median(r[2] for r in runs))


def main():
    oxt, input_path, rows, output_pattern = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
    rounds = int(sys.argv[5]) if len(sys.argv) > 5 else 3
    table = read_table(input_path, rows)
    lines = {}
    with tempfile.TemporaryDirectory(ignore_cleanup_errors=True) as work:
        profile, cache = os.path.join(work, "profile"), os.path.join(work, "cache")
        environment = [f"-env:UserInstallation=file://{profile}",
                       f"-env:UNO_SHARED_PACKAGES_CACHE=file://{cache}"]
        subprocess.run(["unopkg", "add", "--shared", *environment, os.path.abspath(oxt)],
                       check=True, stdout=subprocess.DEVNULL)
        office, context = start_calc(profile, environment[1:])
        try:
            column = Column(context, profile, table)
            for _ in range(rounds):
                # What Calc's call of an add-in function costs alone: no argument, no work.
                floor = column.compute(CALL_ALONE)
                print(f"floor {CALL_ALONE} rows {column.rows} wall {floor[0]:.3f} "
                      f"cpu {floor[1]:.3f}")
                lines.setdefault(("floor", CALL_ALONE), []).append((column.rows, *floor[:2]))
                for formula in FORMULAS:
                    family = formula["family"]
                    expected = output_pattern.format(family=family)
                    runs = [("addin", addin_formula(formula["formula"]))]
                    if formula["calc"]:
                        runs.append(("calc", formula["calc"]))
                    for tool, text in runs:
                        measured = column.compute(text)
                        report(tool, family, column.rows, *measured, expected,
                               TRUTH_AS_NUMBER if tool == "addin" else {})
                        lines.setdefault((tool, family), []).append((column.rows, *measured[:2]))
            column.document.close(True)
        finally:
            stop_calc(context, office)

    print(f"\neach column the median of {rounds} rounds")
    print("\n| family | add-in formula | add-in, cells/s | Calc REGEX, cells/s | "
          "add-in ÷ REGEX, wall / CPU time |")
    print("|---|---|--:|--:|--:|")
    for formula in FORMULAS:
        family = formula["family"]
        count, seconds, cpu = median_run(lines[("addin", family)])
        regex = median_run(lines[("calc", family)]) if ("calc", family) in lines else None
        ratios = (f"{regex[1] / seconds:.1f}× / {regex[2] / cpu:.1f}×" if regex else "—")
        shown = addin_formula(formula["formula"]).format(r=1)
        print(f"| {family} | `={shown}` | {count / seconds:,.0f} | "
              f"{f'{regex[0] / regex[1]:,.0f}' if regex else '—'} | {ratios} |")
    count, seconds, cpu = median_run(lines[("floor", CALL_ALONE)])
    print(f"\nCalc's call of an add-in function alone (`={CALL_ALONE}`): "
          f"{count / seconds:,.0f} cells/s, {cpu / count * 1e6:.2f} µs of CPU time a cell")

if __name__ == "__main__":
    main()
