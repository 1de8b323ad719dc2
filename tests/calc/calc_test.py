#!/usr/bin/python3
"""The Calc add-in, headless: installs kestrune.oxt into a throwaway office, has Calc compute
every case of the shared call tables (a table with the decimal separator "," under the locale
de-DE, one with "." under en-US) and compares each cell with the table's answer; then reads the
Function Wizard's texts back through UNO and compares them with the member table's (run by
src/calc's calc.headless test). Prints a line per failing cell and "N passed, M failed".
"""
import argparse
import json
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
ADD_IN_CATEGORY = 11  # Calc's "Add-In" category, where it lists every add-in function


def q(name):
    prefix, local = name.split(":")
    return "{%s}%s" % (NS[prefix], local)


class Office:
    """A throwaway installation: the extension in a shared cache, a user profile per locale."""

    def __init__(self, work):
        self.work = work
        self.cache = os.path.join(work, "cache")

    def command(self, locale, *arguments):
        """soffice with the profile whose locale setting is `locale`."""
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
        return ["soffice", "--headless", "--norestore", "--nologo",
                f"-env:UserInstallation=file://{profile}",
                f"-env:UNO_SHARED_PACKAGES_CACHE=file://{self.cache}", *arguments]

    def install(self, oxt):
        command = ["unopkg", "add", "--shared", *self.command("en-US")[4:], oxt]
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL)

    def convert(self, locale, document, folder):
        """The document computed and saved as .fods in `folder`."""
        command = self.command(locale, "--convert-to", "fods", "--outdir", folder, document)
        for _ in range(2):
            result = subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            if result.returncode != FIRST_START_RESTART:
                break
        if result.returncode != 0:
            raise SystemExit(f"soffice failed ({result.returncode}): {result.stderr.decode()}")
        return os.path.join(folder, os.path.basename(document))


def build_sheet(cases, kestrune, separator):
    """The cases Calc can pass, in a Sheet. A case with TRUE, FALSE or EMPTY stays when the
    command line answers it the same with them as numbers."""
    parsed = [(case, *call_sheet.parse_call(case[1])) for case in cases]
    kinds = [call_sheet.filter_kind(arguments) for _, _, arguments in parsed]
    numeric = [i for i, ((_, call, _), _, _) in enumerate(parsed)
               if not kinds[i] and call_sheet.as_numbers(call) != call]
    if numeric:
        calls = "".join(call_sheet.as_numbers(parsed[i][0][1]) + "\n" for i in numeric)
        answers = subprocess.run([kestrune, "--json", "--decimal-separator", separator],
                                 input=calls, capture_output=True, text=True).stdout.splitlines()
        for i, answer in zip(numeric, answers):
            if json.loads(answer) != parsed[i][0][2]:
                kinds[i] = "truth or blank read as such"
    sheet, kept = call_sheet.Sheet(), []
    for ((number, call, expected), name, arguments), kind in zip(parsed, kinds):
        if not kind:
            sheet.add(name, arguments, expected)
            kept.append((number, call, call_sheet.answer_grid(expected)))
    return sheet, kept


def cell_text(cell):
    """The text a cell shows, with ODF's space, tab and line-break elements read back."""
    lines = []
    for paragraph in cell.findall("text:p", NS):
        parts = [paragraph.text or ""]
        for child in paragraph:
            shown = {q("text:s"): " " * int(child.get(q("text:c"), "1")), q("text:tab"): "\t",
                     q("text:line-break"): "\n"}
            parts += [shown.get(child.tag, "".join(child.itertext())), child.tail or ""]
        lines.append("".join(parts))
    return "\n".join(lines)


def cell_value(cell):
    """(kind, value): kind "float" (truths and currencies too), "string", "error" or "empty"."""
    kind = cell.get(q("calcext:value-type")) or cell.get(q("office:value-type"), "empty")
    if kind in ("float", "percentage", "currency", "boolean"):
        truth = 1.0 if cell.get(q("office:boolean-value")) == "true" else 0.0
        return "float", float(cell.get(q("office:value"), truth))
    value = cell.get(q("office:string-value")) if kind == "string" else None
    return kind, cell_text(cell) if value is None else value


def read_cells(path, sheet_name, rows):
    """{(row, column): (kind, value)} of the first `rows` rows, from 0."""
    table = next(t for t in ET.parse(path).getroot().iter(q("table:table"))
                 if t.get(q("table:name")) == sheet_name)
    cells, row = {}, 0
    for row_element in table.iter(q("table:table-row")):
        for _ in range(min(int(row_element.get(q("table:number-rows-repeated"), "1")), rows)):
            column = 0
            for cell in row_element:
                for _ in range(min(int(cell.get(q("table:number-columns-repeated"), "1")), 64)):
                    cells[(row, column)] = cell_value(cell)
                    column += 1
            row += 1
        if row >= rows:
            break
    return cells


def matches(got, expected):
    kind, value = got
    if expected is None:
        return kind == "empty" or (kind == "float" and value == 0.0)
    if isinstance(expected, (bool, int, float)):
        return kind == "float" and value == float(expected)
    if isinstance(expected, str):
        # The file writes a formula's empty text with no value type, as it writes no value.
        return (kind == "string" and value == expected) or (kind == "empty" and not expected)
    if "number" in expected:
        return kind == "error" and value == ERROR_SHOWN[expected["number"]]
    return "failure" in expected and kind == "error" and value == "#VALUE!"


def check_table(office, path, kestrune, work):
    separator, cases = call_sheet.read_table(path)
    sheet, kept = build_sheet(cases, kestrune, separator)
    name = os.path.splitext(os.path.basename(path))[0]
    document = os.path.join(work, name + ".fods")
    with open(document, "w", encoding="utf-8") as out:
        out.write(sheet.xml())
    computed = office.convert(LOCALES[separator], document, os.path.join(work, "computed"))
    cells = read_cells(computed, "Calls", sum(len(grid) for _, _, grid in kept))
    failures, wrong_cases, row = [], set(), 0
    for number, call, grid in kept:
        for r, expected_row in enumerate(grid):
            for c, element in enumerate(expected_row):
                got = cells.get((row + r, c), ("empty", ""))
                if not matches(got, element):
                    wrong_cases.add(number)
                    failures.append(f"{name}:{number}: {call}: cell ({r + 1}, {c + 1}) "
                                    f"expected {json.dumps(element)}, Calc gave {got}")
        row += len(grid)
    return len(kept) - len(wrong_cases), failures


def wizard_texts(office):
    """The Function Wizard's entries of the add-in, by upper-case name, through UNO."""
    import uno
    from com.sun.star.connection import NoConnectException
    pipe = "kestrune_calc_test_%d" % os.getpid()
    process = subprocess.Popen(office.command("en-US", "--nodefault",
                                              f"--accept=pipe,name={pipe};urp;"),
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext(
        "com.sun.star.bridge.UnoUrlResolver", local)
    try:
        for _ in range(120):
            try:
                context = resolver.resolve(f"uno:pipe,name={pipe};urp;StarOffice.ComponentContext")
                break
            except NoConnectException:
                time.sleep(0.5)
        else:
            raise SystemExit("soffice did not start")
        manager = context.ServiceManager
        descriptions = manager.createInstanceWithContext(
            "com.sun.star.sheet.FunctionDescriptions", context)
        entries = {}
        for index in range(descriptions.getCount()):
            entry = {p.Name: p.Value for p in descriptions.getByIndex(index)}
            entries[entry["Name"].upper()] = entry
        try:
            manager.createInstanceWithContext("com.sun.star.frame.Desktop", context).terminate()
        except Exception:  # the bridge goes down with the office
            pass
        process.wait(timeout=30)
        return entries
    finally:
        if process.poll() is None:
            process.kill()


def check_wizard(office, wizard_path):
    with open(wizard_path, encoding="utf-8") as f:
        functions = json.load(f)
    entries = wizard_texts(office)
    failures, wrong = [], set()
    for function in functions:
        name = function["name"]
        entry = entries.get(name.upper())
        if entry is None:
            failures.append(f"wizard: {name} is not listed")
            wrong.add(name)
            continue
        listed = [(a.Name, a.Description) for a in entry["Arguments"] or ()]
        wanted = [(a["name"], a["description"]) for a in function["arguments"]]
        for what, got, expected in (("description", entry["Description"],
                                     function["description"]),
                                    ("arguments", listed[:len(wanted)], wanted),
                                    ("category", entry["Category"], ADD_IN_CATEGORY)):
            if got != expected:
                failures.append(f"wizard: {name} {what}: {got!r}, expected {expected!r}")
                wrong.add(name)
    return len(functions) - len(wrong), failures


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
        results = [check_table(office, table, options.kestrune, work) for table in options.tables]
        if options.wizard:
            results.append(check_wizard(office, options.wizard))
    for good, wrong in results:
        passed, failures = passed + good, failures + wrong
    print("".join(f"{failure}\n" for failure in failures), end="")
    print(f"{passed} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
