#!/usr/bin/env python3
"""Writes the benchmark table: ROWS rows of realistic cells as CSV, the same on every run.

Columns: A a name, B an address, C a product code, D a price ("." or "," as the decimal mark,
sometimes a bare number), E a note (a sentence; 1% of the notes are long, 10,000 to 12,000
characters), F a quantity (a whole number), G a little formula as text ("12*3.5", "7>=3").

    python3 make_column.py 1000000 > column.csv
"""
import random
import sys

SEED = 20261206
LONG_NOTE_EVERY = 100  # 1% of the rows
LONG_NOTE_MIN, LONG_NOTE_MAX = 10_000, 12_000

FIRST = ["Anna", "Ben", "Chloé", "David", "Emma", "Farid", "Grace", "Hugo", "Ines", "Jürgen",
         "Kofi", "Lena", "Mateo", "Nadia", "Oskar", "Priya", "Quentin", "Rosa", "Sven", "Yuki"]
LAST = ["Smith", "Müller", "Garcia", "Nguyen", "Okafor", "Rossi", "O'Brien", "van Dijk",
        "Kowalski", "Dubois", "Tanaka", "Ivanova", "Haddad", "Silva", "Larsen", "Novak"]
STREETS = ["Main St", "Elm Road", "Rue de la Paix", "Hauptstraße", "Via Roma", "Calle Mayor",
           "Baker Street", "Kingsway", "Oak Avenue", "Station Rd"]
CITIES = ["Berlin", "Paris", "London", "Madrid", "Roma", "Wien", "Oslo", "Praha", "Porto",
          "Springfield"]
WORDS = ["the", "quick", "brown", "fox", "jumps", "over", "lazy", "dog", "order", "shipped",
         "invoice", "paid", "customer", "asked", "about", "delivery", "there", "other", "was",
         "late", "café", "Straße", "refund", "and", "then", "again", "warehouse", "Their"]
OPERATORS = ["+", "-", "*", "/", "^", "=", "<", ">", ">=", "<=", "<>"]


def name(r):
    return f"{r.choice(FIRST)} {r.choice(LAST)}"


def address(r):
    number = r.randrange(1, 999)
    postal = f"{r.randrange(1000, 99999):05d}"
    if r.random() < 0.5:
        return f"{number} {r.choice(STREETS)}, {postal} {r.choice(CITIES)}"
    return f"{r.choice(STREETS)} {number}, {postal} {r.choice(CITIES)}"


def product_code(r):
    kind = r.randrange(3)
    if kind == 0:
        return f"SKU-{r.randrange(10000):04d}-{chr(65 + r.randrange(26))}{r.randrange(10)}"
    if kind == 1:
        return f"PRD/{r.randrange(100000):05d}/{r.choice(['S', 'M', 'L', 'XL'])}"
    return f"{chr(65 + r.randrange(26))}{chr(65 + r.randrange(26))}{r.randrange(100, 999)}"


def price(r):
    whole, cents = r.randrange(1, 20000), r.randrange(100)
    kind = r.randrange(5)
    if kind == 0:
        return f"{whole}.{cents:02d} EUR"
    if kind == 1:
        thousands = f"{whole // 1000}.{whole % 1000:03d}" if whole >= 1000 else str(whole)
        return f"{thousands},{cents:02d} €"
    if kind == 2:
        return f"${whole:,}.{cents:02d}"
    if kind == 3:
        return f"{whole},{cents:02d}"
    return f"{whole}.{cents:02d}"  # a bare number: the cell is read as a number


def sentence(r, length_in_words):
    words = []
    for _ in range(length_in_words):
        if r.random() < 0.06:
            words.append(f"order {r.randrange(10000, 99999)}")
        else:
            words.append(r.choice(WORDS))
    text = " ".join(words)
    return text[0].upper() + text[1:] + "."


def note(r, row):
    if row % LONG_NOTE_EVERY == LONG_NOTE_EVERY - 1:
        target = r.randrange(LONG_NOTE_MIN, LONG_NOTE_MAX)
        text = sentence(r, 12)
        while len(text) < target:
            text += " " + sentence(r, 12)
        return text
    return sentence(r, r.randrange(3, 16))


def formula(r):
    a = r.choice([str(r.randrange(1, 1000)), f"{r.randrange(1, 100)}.{r.randrange(10)}"])
    b = str(r.randrange(1, 20)) if r.random() < 0.9 else "x"
    return f"{a}{r.choice(OPERATORS)}{b}"


def quote(field):
    if any(c in field for c in ',"\r\n'):
        return '"' + field.replace('"', '""') + '"'
    return field


def main():
    rows = int(sys.argv[1])
    r = random.Random(SEED)
    out = sys.stdout
    for row in range(rows):
        cells = [name(r), address(r), product_code(r), price(r), note(r, row),
                 str(r.randrange(1, 1000)), formula(r)]
        out.write(",".join(quote(c) for c in cells) + "\n")


if __name__ == "__main__":
    main()
