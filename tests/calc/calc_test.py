#!/usr/bin/python3
"""The Calc add-in, headless: installs kestrune.oxt into a throwaway office, has Calc compute
every case of the shared call tables and compares each cell with the table's answer; then reads
the Function Wizard's texts back through UNO and compares them with the member table's.

    /usr/bin/python3 calc_test.py --oxt kestrune.oxt --kestrune cli/kestrune \
        --wizard wizard_texts.json TABLE...

A table whose decimal separator is "," runs with Calc's locale setting de-DE, one with "."
with en-US. Prints a line per failing cell, the filtered cases by kind, and "N passed, M failed".
Needs libreoffice-calc-nogui and python3-uno (the system python has uno).
"""
import argparse
import json
import math
import os
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import call_sheet  # noqa: E402

NS = {"office": "urn:oasis:names:tc:opendocument:xmlns:office:1.0",
      "table": "urn:oasis:names:tc:opendocument:xmlns:table:1.0",
      "text": "urn:oasis:names:tc:opendocument:xmlns:text:1.0",
      "calcext": "urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0"}
LOCALES = {".": "en-US", ",": "de-DE"}
FIRST_START_RESTART = 81  # a fresh profile's first start asks to be started again
ERROR_SHOWN = {"Infinity": "#NUM!", "-Infinity": "#NUM!", "NaN": "#NUM!"}


def q(name):
    prefix, local = name.split(":")
    return "{%s}%s" % (NS[prefix], local)


class Office:
    """A throwaway installation: the extension in a shared cache, a user profile per locale."""

    def __init__(self, work):
        self.work = work
        self.cache = os.path.join(work, "cache")

    def environment(self, profile):
        return [f"-env:UserInstallation=file://{profile}",
                f"-env:UNO_SHARED_PACKAGES_CACHE=file://{self.cache}"]

    def profile(self, locale):
        """A user profile whose locale setting is `locale`."""
        profile = os.path.join(self.work, "profile-" + locale)
        os.makedirs(os.path.join(profile, "user"), exist_ok=True)
        with open(os.path.join(profile, "user", "registrymodifications.xcu"), "w") as xcu:
            xcu.write('<?xml version="1.0" encoding="UTF-8"?>\n'
                      '<oor:items xmlns:oor="http://openoffice.org/2001/registry"'
                      ' xmlns:xs="http://www.w3.org/2001/XMLSchema"'
                      ' xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">\n'
                      '<item oor:path="/org.openoffice.Setup/L10N">'
                      '<prop oor:name="ooSetupSystemLocale" oor:op="fuse">'
                      f'<value>{locale}</value></prop></item>\n</oor:items>\n')
        return profile

    def install(self, oxt):
        subprocess.run(["unopkg", "add", "--shared", *self.environment(self.profile("en-US")),
                        oxt], check=True, stdout=subprocess.DEVNULL)

    def soffice(self, profile, *arguments, **popen):
        command = ["soffice", "--headless", "--norestore", "--nologo", *self.environment(profile),
                   *arguments]
        for _ in range(2):
            result = subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                    **popen)
            if result.returncode != FIRST_START_RESTART:
                break
        if result.returncode != 0:
            raise SystemExit(f"soffice failed ({result.returncode}): {result.stderr.decode()}")

    def convert(self, profile, document, folder):
        self.soffice(profile, "--convert-to", "fods", "--outdir", folder, document)
        return os.path.join(folder, os.path.basename(document))


def oracle_answers(kestrune, separator, calls):
    """The command line's JSON answers to `calls`."""
    if not calls:
        return []
    result = subprocess.run([kestrune, "--json", "--decimal-separator", separator],
                            input="\n".join(calls) + "\n", capture_output=True, text=True)
    return result.stdout.splitlines()


def build_sheet(cases, kestrune, separator):
    """The cases Calc can pass, in a Sheet, and the filtered ones by kind."""
    sheet, kept, filtered = call_sheet.Sheet(), [], {}
    parsed = []
    for number, call, expected in cases:
        name, arguments = call_sheet.Reader(call).call()
        kind = call_sheet.filter_kind(arguments)
        parsed.append((number, call, expected, name, arguments, kind))
    numeric = [p for p in parsed if not p[5] and call_sheet.has_truth_or_blank(p[4])]
    answers = oracle_answers(kestrune, separator, [call_sheet.as_numbers(p[1]) for p in numeric])
    for p, answer in zip(numeric, answers):
        if json.loads(answer) != p[2]:
            parsed[parsed.index(p)] = p[:5] + ("truth or blank read as such",)
    for number, call, expected, name, arguments, kind in parsed:
        if kind:
            filtered.setdefault(kind, []).append(f"{number}: {call}")
            continue
        height, width = call_sheet.answer_size(expected)
        sheet.add(name, arguments, height, width)
        kept.append((number, call, expected, max(height, 1)))
    return sheet, kept, filtered


def cell_text(cell):
    """The text a cell shows, with ODF's space and tab elements read back."""
    lines = []
    for paragraph in cell.findall("text:p", NS):
        parts = [paragraph.text or ""]
        for child in paragraph:
            if child.tag == q("text:s"):
                parts.append(" " * int(child.get(q("text:c"), "1")))
            elif child.tag == q("text:tab"):
                parts.append("\t")
            elif child.tag == q("text:line-break"):
                parts.append("\n")
            else:
                parts.append("".join(child.itertext()))
            parts.append(child.tail or "")
        lines.append("".join(parts))
    return "\n".join(lines)


def read_cells(path, sheet_name, rows):
    """{(row, column): (kind, value)} of the first `rows` rows, from 0; kind is "float",
    "string", "error" or "empty"."""
    table = next(t for t in ET.parse(path).getroot().iter(q("table:table"))
                 if t.get(q("table:name")) == sheet_name)
    cells, row = {}, 0
    for row_element in table.iter(q("table:table-row")):
        repeat = min(int(row_element.get(q("table:number-rows-repeated"), "1")), rows)
        for _ in range(repeat):
            column = 0
            for cell in row_element:
                count = min(int(cell.get(q("table:number-columns-repeated"), "1")), 64)
                kind = cell.get(q("calcext:value-type")) or cell.get(q("office:value-type"),
                                                                      "empty")
                if kind in ("float", "percentage", "currency", "boolean"):
                    value = float(cell.get(q("office:value"),
                                           1.0 if cell.get(q("office:boolean-value")) == "true"
                                           else 0.0))
                    kind = "float"
                elif kind == "string":
                    value = cell.get(q("office:string-value"))
                    value = cell_text(cell) if value is None else value
                else:
                    value = cell_text(cell)
                for _ in range(count):
                    cells[(row, column)] = (kind, value)
                    column += 1
            row += 1
        if row >= rows:
            break
    return cells


def matches(got, expected):
    kind, value = got
    if expected is None:
        return kind == "empty" or (kind == "float" and value == 0.0)
    if isinstance(expected, bool):
        return kind == "float" and value == float(expected)
    if isinstance(expected, (int, float)):
        return kind == "float" and value == float(expected)
    if isinstance(expected, str):
        # The file writes a formula's empty text with no value type, as it writes no value.
        return (kind == "string" and value == expected) or (kind == "empty" and not expected)
    if "number" in expected:
        return kind == "error" and value == ERROR_SHOWN[expected["number"]]
    if "failure" in expected:
        return kind == "error" and value == "#VALUE!"
    return False


def check_table(office, path, kestrune, work):
    separator, cases = call_sheet.read_table(path)
    sheet, kept, filtered = build_sheet(cases, kestrune, separator)
    name = os.path.splitext(os.path.basename(path))[0]
    document = os.path.join(work, name + ".fods")
    with open(document, "w", encoding="utf-8") as out:
        out.write(sheet.xml())
    computed = office.convert(office.profile(LOCALES[separator]), document,
                              os.path.join(work, "computed"))
    cells = read_cells(computed, "Calls", sum(k[3] for k in kept))
    failures, row = [], 0
    for number, call, expected, height in kept:
        for r, expected_row in enumerate(call_sheet.answer_grid(expected)):
            for c, element in enumerate(expected_row):
                got = cells.get((row + r, c), ("empty", ""))
                if not matches(got, element):
                    failures.append(f"{name}:{number}: {call}: cell ({r + 1}, {c + 1}) "
                                    f"expected {json.dumps(element)}, Calc gave {got}")
        row += height
    for kind, lines in filtered.items():
        print(f"{name}: {len(lines)} filtered ({kind}: {call_sheet.FILTERED[kind]})")
        for line in lines:
            print(f"    {line}")
    return len(kept) - len({f.split(":")[1] for f in failures}), failures


def wizard_texts(office, work):
    """The Function Wizard's entries of the add-in, by upper-case name, through UNO."""
    import uno
    from com.sun.star.connection import NoConnectException
    pipe = "kestrune_calc_test_%d" % os.getpid()
    profile = office.profile("en-US")
    command = ["soffice", "--headless", "--norestore", "--nologo", "--nodefault",
               *office.environment(profile), f"--accept=pipe,name={pipe};urp;"]
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext(
        "com.sun.star.bridge.UnoUrlResolver", local)
    try:
        for _ in range(120):
            try:
                context = resolver.resolve(
                    f"uno:pipe,name={pipe};urp;StarOffice.ComponentContext")
                break
            except NoConnectException:
                time.sleep(0.5)
        else:
            raise SystemExit("soffice did not start")
        descriptions = context.ServiceManager.createInstanceWithContext(
            "com.sun.star.sheet.FunctionDescriptions", context)
        entries = {}
        for index in range(descriptions.getCount()):
            entry = {p.Name: p.Value for p in descriptions.getByIndex(index)}
            entries[entry["Name"].upper()] = entry
        desktop = context.ServiceManager.createInstanceWithContext(
            "com.sun.star.frame.Desktop", context)
        try:
            desktop.terminate()
        except Exception:  # the bridge goes down with the office
            pass
        process.wait(timeout=30)
        return entries
    finally:
        if process.poll() is None:
            process.kill()


def check_wizard(office, wizard_path, work):
    with open(wizard_path, encoding="utf-8") as f:
        functions = json.load(f)
    entries = wizard_texts(office, work)
    failures = []
    for function in functions:
        entry = entries.get(function["name"].upper())
        if entry is None:
            failures.append(f"wizard: {function['name']} is not listed")
            continue
        listed = [(a.Name, a.Description) for a in entry["Arguments"] or ()]
        wanted = [(a["name"], a["description"]) for a in function["arguments"]]
        checks = {"description": (entry["Description"], function["description"]),
                  "arguments": (listed[:len(wanted)], wanted),
                  "category": (entry["Category"], ADD_IN_CATEGORY)}
        for what, (got, expected) in checks.items():
            if got != expected:
                failures.append(f"wizard: {function['name']} {what}: {got!r}, expected "
                                f"{expected!r}")
    return len(functions), failures


ADD_IN_CATEGORY = 11  # Calc's "Add-In" category, where it lists every add-in function


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--oxt", required=True)
    parser.add_argument("--kestrune", required=True)
    parser.add_argument("--wizard")
    parser.add_argument("tables", nargs="+")
    options = parser.parse_args()
    passed, failures = 0, []
    with tempfile.TemporaryDirectory(prefix="kestrune_calc_") as work:
        office = Office(work)
        office.install(os.path.abspath(options.oxt))
        for table in options.tables:
            good, wrong = check_table(office, table, options.kestrune, work)
            passed, failures = passed + good, failures + wrong
        if options.wizard:
            count, wrong = check_wizard(office, options.wizard, work)
            passed, failures = passed + count - len({w.split()[1] for w in wrong}), failures + wrong
    for failure in failures:
        print(failure)
    print(f"{passed} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
