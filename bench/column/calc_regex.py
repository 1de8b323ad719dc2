#!/usr/bin/python3
"""LibreOffice Calc's own REGEX over the benchmark table, headless, for the formulas REGEX can
express (formulas.py), timed as Calc recalculates the whole column, and checked against
kestrune's results for the same rows.

    /usr/bin/python3 calc_regex.py INPUT.csv ROWS KESTRUNE_OUTPUT_PATTERN

KESTRUNE_OUTPUT_PATTERN holds "{family}", e.g. out/fill1_{family}.csv. Prints, per family:
"calc FAMILY rows N wall SECONDS cpu SECONDS mismatches M".

Needs libreoffice-calc-nogui and python3-uno (Debian), and the system python for uno. The
table is put into a new sheet (a field that reads as a number becomes a number, as kestrune
reads it), automatic calculation is switched off, the family's formula is filled down column
H, and calculateAll() is timed: its wall time, and the CPU time soffice used meanwhile (Calc
may spread a column of like formulas over several threads).
"""
import csv
import os
import re
import subprocess
import sys
import tempfile
import time

import uno
from com.sun.star.beans import PropertyValue
from com.sun.star.connection import NoConnectException

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from formulas import FORMULAS  # noqa: E402

NUMBER = re.compile(r"[ \t]*[+-]?(?:[0-9]+\.?[0-9]*|\.[0-9]+)(?:[eE][+-]?[0-9]+)?[ \t]*\Z")
PIPE = "kestrune_column_bench"
TO_BOTTOM = uno.Enum("com.sun.star.sheet.FillDirection", "TO_BOTTOM")
CLEAR_EVERYTHING = 1023  # com.sun.star.sheet.CellFlags: every kind of content
COLUMNS = 7  # A to G


def start_calc(profile, environment=()):
    """soffice on `profile` (with further -env: options), and its component context."""
    office = subprocess.Popen(
        ["soffice", "--headless", "--norestore", "--nologo", "--nodefault",
         f"-env:UserInstallation=file://{profile}", *environment,
         f"--accept=pipe,name={PIPE};urp;"],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext(
        "com.sun.star.bridge.UnoUrlResolver", local)
    for _ in range(120):
        try:
            context = resolver.resolve(f"uno:pipe,name={PIPE};urp;StarOffice.ComponentContext")
            return office, context
        except NoConnectException:
            time.sleep(0.5)
    office.kill()
    raise SystemExit("calc_regex: soffice did not start")


def calc_process(profile):
    """The soffice.bin process running on `profile` (soffice itself starts it as a child)."""
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as cmdline:
                words = cmdline.read().split(b"\0")
        except OSError:
            continue
        if words[0].endswith(b"soffice.bin") and any(profile.encode() in w for w in words):
            return pid
    return None


def cpu_seconds(pid):
    """User and system time of the process so far (all its threads)."""
    if pid is None:
        return 0.0
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def cell(field):
    return float(field) if field and NUMBER.match(field) else field


def shown(value):
    """A Calc result as the CSV cell kestrune writes."""
    if isinstance(value, float):
        # kestrune writes 15 significant digits, a whole number of more in exponent form.
        return str(int(value)) if value.is_integer() and abs(value) < 1e15 else "%.15G" % value
    return value


def read_table(input_path, rows):
    """The first `rows` rows of the table, COLUMNS cells each, numbers read as kestrune reads
    them."""
    with open(input_path, newline="", encoding="utf-8") as source:
        table = []
        for row in csv.reader(source):
            table.append(tuple(cell(f) for f in (row + [""] * COLUMNS)[:COLUMNS]))
            if len(table) == rows:
                break
    return table


class Column:
    """A new sheet holding the table, with automatic calculation off, and a column H to fill
    formulas down."""

    def __init__(self, context, profile, table):
        desktop = context.ServiceManager.createInstanceWithContext(
            "com.sun.star.frame.Desktop", context)
        hidden = PropertyValue()
        hidden.Name, hidden.Value = "Hidden", True
        self.document = desktop.loadComponentFromURL("private:factory/scalc", "_blank", 0,
                                                     (hidden,))
        self.rows = len(table)
        self.sheet = self.document.Sheets.getByIndex(0)
        self.sheet.getCellRangeByName(f"A1:G{self.rows}").setDataArray(tuple(table))
        self.document.enableAutomaticCalculation(False)
        self.results = self.sheet.getCellRangeByName(f"H1:H{self.rows}")
        self.office_process = calc_process(profile)

    def compute(self, formula):
        """Fills `formula` ("{r}" the row) down column H and recalculates: the wall and CPU
        seconds of the recalculation and the results as kestrune writes them."""
        # The first row's formula filled down (setting 100,000 formulas one by one takes Calc
        # minutes: it grows with the square of the count).
        self.sheet.getCellRangeByName("H1").setFormula("=" + formula.format(r=1))
        self.results.fillAuto(TO_BOTTOM, 1)
        cpu, start = cpu_seconds(self.office_process), time.perf_counter()
        self.document.calculateAll()
        seconds = time.perf_counter() - start
        cpu = cpu_seconds(self.office_process) - cpu
        got = [shown(v[0]) for v in self.results.getDataArray()]
        self.results.clearContents(CLEAR_EVERYTHING)
        return seconds, cpu, got


def report(tool, family, rows, seconds, cpu, got, expected_path, as_calc_shows=dict()):
    """Prints the run's line, and the first rows that differ from kestrune's on stderr;
    `as_calc_shows` maps kestrune's cells that Calc shows otherwise."""
    with open(expected_path, newline="", encoding="utf-8") as theirs:
        expected = [as_calc_shows.get(row[-1], row[-1])
                    for _, row in zip(range(rows), csv.reader(theirs))]
    wrong = [(n, a, b) for n, (a, b) in enumerate(zip(got, expected), 1) if a != b]
    for n, a, b in wrong[:3]:
        print(f"{tool} {family} row {n}: calc {a!r}, kestrune {b!r}", file=sys.stderr)
    print(f"{tool} {family} rows {rows} wall {seconds:.3f} cpu {cpu:.3f} "
          f"mismatches {len(wrong)}", flush=True)


def stop_calc(context, office):
    try:
        context.ServiceManager.createInstanceWithContext(
            "com.sun.star.frame.Desktop", context).terminate()
    except Exception:  # the office may be gone already
        pass
    try:
        office.wait(timeout=20)
    except subprocess.TimeoutExpired:
        office.kill()


def main():
    input_path, rows, output_pattern = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    table = read_table(input_path, rows)
    with tempfile.TemporaryDirectory(ignore_cleanup_errors=True) as profile:
        office, context = start_calc(profile)
        try:
            column = Column(context, profile, table)
            for formula in FORMULAS:
                if formula["calc"]:
                    family = formula["family"]
                    report("calc", family, column.rows, *column.compute(formula["calc"]),
                           output_pattern.format(family=family))
            column.document.close(True)
        finally:
            stop_calc(context, office)


if __name__ == "__main__":
    main()
