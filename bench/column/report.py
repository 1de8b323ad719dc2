#!/usr/bin/env python3
"""Turns run.sh's measurements (results.txt) into the tables README.md records, and says for
each target whether it is met.

Single-threaded runs (fill on one thread, the floor, Python) are rated by the CPU time they
used, which on an idle machine is their wall time and on a shared one is not inflated by
other people's work; runs on several threads (fill on every core, Calc's recalculation) by
wall time.

    python3 report.py results.txt
"""
import sys

sys.path.insert(0, __file__.rsplit("/", 1)[0])
from formulas import FORMULAS  # noqa: E402

FLOOR_TARGET = 1.5    # fill's time per call at most this many times the floor's
PYTHON_TARGET = 5.0   # fill at least this many times faster than Python
CALC_TARGET = 10.0    # and than Calc's REGEX


def read(path):
    runs, notes, machine = {}, [], ""
    with open(path) as results:
        for line in results:
            words = line.split()
            if words[0] == "machine":
                machine = " ".join(words[1:])
            elif words[0] == "order":
                notes.append(line.strip())
            else:
                tool, family, pairs = words[0], words[1], words[2:]
                runs[(tool, family)] = {pairs[i]: float(pairs[i + 1])
                                        for i in range(0, len(pairs) - 1, 2)}
    return runs, notes, machine


def rate(run, clock):
    return run["rows"] / run[clock] if run and run.get(clock) else None


def number(value):
    return f"{value:,.0f}" if value else "—"


def times(value):
    return f"{value:.1f}×" if value else "—"


def main():
    runs, notes, machine = read(sys.argv[1])
    rows = ["| family | formula | fill, 1 thread | fill, all cores | PCRE2 floor | fill ÷ floor, "
            "time per row / per call | Python `re` | fill ÷ Python, 1 thread / all cores | "
            "Calc REGEX | fill ÷ Calc, 1 thread, per row / per call | same results as Python / Calc |",
            "|---|---|--:|--:|--:|--:|--:|--:|--:|--:|---|"]
    io = runs.get(("io", "baseline"))
    verdicts = {"floor": [], "floor whole row": [], "python": [], "calc": [],
                "calc whole row": [], "calc by cpu": []}
    for formula in FORMULAS:
        family = formula["family"]
        fill1, filln = runs.get(("fill1", family)), runs.get(("fillN", family))
        floor, python, calc = (runs.get((t, family)) for t in ("floor", "python", "calc"))
        r1, rn = rate(fill1, "cpu"), rate(filln, "wall")
        rfloor, rpython, rcalc = rate(floor, "cpu"), rate(python, "cpu"), rate(calc, "wall")
        over_floor = rfloor / r1 if rfloor and r1 else None
        # Per call: fill's time less what reading and writing the table alone costs it.
        per_call = ((fill1["cpu"] - io["cpu"]) / floor["cpu"]
                    if over_floor and io and fill1["cpu"] > io["cpu"] else None)
        over_python = (r1 / rpython, rn / rpython) if rpython and r1 and rn else None
        over_calc = r1 / rcalc if rcalc and r1 else None
        calc_per_call = (fill1["rows"] / (fill1["cpu"] - io["cpu"]) / rcalc
                         if over_calc and io and fill1["cpu"] > io["cpu"] else None)
        # The same per call against the CPU time Calc spent, over all the threads it used.
        calc_cpu_per_call = (calc_per_call * rcalc / rate(calc, "cpu")
                             if calc_per_call and calc.get("cpu") else None)
        if per_call:
            verdicts["floor"].append((per_call, family))
        if over_python:
            verdicts["python"].append((over_python[0], family))
        if over_floor:
            verdicts["floor whole row"].append((over_floor, family))
        if over_calc:
            verdicts["calc"].append((calc_per_call or over_calc, family))
            verdicts["calc whole row"].append((over_calc, family))
        if calc_cpu_per_call:
            verdicts["calc by cpu"].append((calc_cpu_per_call, family))
        same = [f"{int(run['mismatches'])} differ" if run and run.get("mismatches") else
                ("all" if run else "—") for run in (python, calc)]
        calc_rows = f" ({int(calc['rows']):,} rows)" if calc else ""
        rows.append(
            f"| {family} | `{formula['formula']}` | {number(r1)} | {number(rn)} | "
            f"{number(rfloor)} | {times(over_floor)} / {times(per_call)} | {number(rpython)} | "
            + (f"{over_python[0]:.1f}× / {over_python[1]:.1f}×" if over_python else "—")
            + f" | {number(rcalc)}{calc_rows} | {times(over_calc)} / {times(calc_per_call)} | "
            f"{same[0]} / {same[1]} |")

    print(f"Rows per second ({machine}; {int(runs[('fill1', FORMULAS[0]['family'])]['rows']):,} "
          "rows; one-thread figures by CPU time, all-core and Calc figures by wall time)\n")
    print("\n".join(rows))
    if io:
        print(f"\nReading and writing the table alone (fill with krVERSION(), 1 thread): "
              f"{number(rate(io, 'cpu'))} rows per second")

    print("\nPeak memory of kestrune fill (maximum resident set, MiB)\n")
    print("| family | 1 thread, small | 1 thread, large | all cores, small | all cores, large |")
    print("|---|--:|--:|--:|--:|")
    small = large = 0
    for formula in FORMULAS:
        family = formula["family"]
        cells = [runs.get((tool, family), {}).get("maxrss") for tool in
                 ("small1", "fill1", "smallN", "fillN")]
        small, large = max(small, cells[0] or 0, cells[2] or 0), max(large, cells[1] or 0,
                                                                      cells[3] or 0)
        print(f"| {family} | " + " | ".join(f"{c / 1024:.1f}" if c else "—" for c in cells) + " |")
    some = runs.get(("small1", FORMULAS[0]["family"]), {})
    print(f"\n(small: {int(some.get('rows', 0)):,} rows; large: "
          f"{int(runs[('fill1', FORMULAS[0]['family'])]['rows']):,} rows)")

    print("\nTargets")
    def verdict(name, pairs, good, target, wording):
        if not pairs:
            print(f"- {name}: not measured")
            return
        worst = max(pairs) if name.startswith("floor") else min(pairs)  # floor: lower is better
        met = [f for v, f in pairs if good(v)]
        print(f"- {name} ({wording} {target:g}×): met for {len(met)} of {len(pairs)}; "
              f"worst {worst[1]} at {worst[0]:.2f}×")
    verdict("floor", verdicts["floor"], lambda v: v <= FLOOR_TARGET, FLOOR_TARGET,
            "time per call (less CSV in/out) on one thread at most")
    verdict("floor whole row", verdicts["floor whole row"], lambda v: v <= FLOOR_TARGET,
            FLOOR_TARGET, "time per row with CSV in/out on one thread at most")
    verdict("python", verdicts["python"], lambda v: v >= PYTHON_TARGET, PYTHON_TARGET,
            "one thread at least")
    verdict("calc", verdicts["calc"], lambda v: v >= CALC_TARGET, CALC_TARGET,
            "per call (less CSV in/out), one thread, at least")
    verdict("calc whole row", verdicts["calc whole row"], lambda v: v >= CALC_TARGET,
            CALC_TARGET, "per row with CSV in/out, one thread, at least")
    verdict("calc by cpu", verdicts["calc by cpu"], lambda v: v >= CALC_TARGET, CALC_TARGET,
            "per call against the CPU time of Calc's threads, at least")
    growth = large / small if small else None
    print(f"- memory independent of the row count: largest peak {small / 1024:.1f} MiB small, "
          f"{large / 1024:.1f} MiB large" + (f" ({growth:.2f}×)" if growth else ""))
    for note in notes:
        print(f"- {note}")


if __name__ == "__main__":
    main()
