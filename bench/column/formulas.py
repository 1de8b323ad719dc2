#!/usr/bin/env python3
"""The column benchmark's formulas, one per function family, in one place.

For each family: the kestrune formula filled down the table, the column it reads, the floor's
PCRE2 work (mode, pattern in PCRE2 syntax, options; None where the function matches no
pattern), and LibreOffice Calc's formula built on REGEX ("{r}" is the row; None where REGEX
cannot express the function).

    python3 formulas.py families            # one family a line
    python3 formulas.py formula krSEARCH    # the kestrune formula
    python3 formulas.py floor krSEARCH      # the floor's arguments, NUL-separated
"""
import sys

FORMULAS = [
    {
        "family": "krSEARCH",
        "formula": 'krSEARCH(E, "order ?????", FALSE, 3)',
        "column": "E",
        # "?" is any character but a line terminator; the match's text needs the first match.
        "floor": ["first", r"order [^\n\r\x{2028}\x{2029}]{5}", "--caseless"],
        "calc": 'IFERROR(REGEX(E{r};"(?i)order .{{5}}");"#VALUE!")',
    },
    {
        "family": "krREPLACE",
        "formula": r'krREPLACE(D, ",", ".", , , "\d\d")',
        "column": "D",
        "floor": ["substitute-first", r",(?=\d\d)", "--replacement", "."],
        "calc": 'IF(ISNA(REGEX(D{r};",(?=\\d\\d)"));"#VALUE!";REGEX(D{r};",(?=\\d\\d)";"."))',
    },
    {
        "family": "krCOUNTINCELL",
        "formula": 'krCOUNTINCELL(E, "the", FALSE)',
        "column": "E",
        "floor": ["count", "the", "--caseless"],
        "calc": '(LEN(E{r})-LEN(REGEX(E{r};"(?i)the";"";"g")))/3',
    },
    {
        "family": "krREGEX",
        "formula": r'krREGEX(B, "\b\d{5}\b", , , 3)',
        "column": "B",
        "floor": ["first", r"\b\d{5}\b"],
        "calc": 'IFERROR(REGEX(B{r};"\\b\\d{{5}}\\b");"#VALUE!")',
    },
    {
        "family": "krGETWORD",
        "formula": "krGETWORD(A, 2)",
        "column": "A",
        # The default separator: every run of blanks or of tabs, to cut the text into words.
        "floor": ["count", "( {1,}|\t{1,})"],
        "calc": 'IFERROR(REGEX(A{r};"[^ \\t]+";;2);"#VALUE!")',
    },
    {
        "family": "krEXTRACTNUM",
        "formula": "krEXTRACTNUM(D)",
        "column": "D",
        "floor": None,  # a character state machine, no pattern
        # Equal on this column's prices (no signs, brackets or exponents), not in general.
        "calc": 'REGEX(D{r};"[^0-9.]";"";"g")',
    },
    {
        "family": "krST",
        "formula": "krST(F)",
        "column": "F",
        "floor": None,
        "calc": None,
    },
    {
        "family": "krCONCATULA",
        "formula": "krCONCATULA(G)",
        "column": "G",
        # The operator: the first match of the operator pattern.
        "floor": ["first", r"(><|<>|>=|=>|<=|=<|\+|-|\^|\*|/|=|<|>)"],
        "calc": None,
    },
]

BY_FAMILY = {f["family"]: f for f in FORMULAS}


def main():
    what = sys.argv[1]
    if what == "families":
        print("\n".join(f["family"] for f in FORMULAS))
    elif what == "formula":
        print(BY_FAMILY[sys.argv[2]]["formula"])
    elif what == "floor":
        floor = BY_FAMILY[sys.argv[2]]["floor"]
        if floor:
            column = BY_FAMILY[sys.argv[2]]["column"]
            sys.stdout.write("\0".join([column] + floor) + "\0")


if __name__ == "__main__":
    main()
