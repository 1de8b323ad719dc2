// Random ECMAScript patterns (the third edition's constructs, with a named group now and then), with short subjects drawn from the same few letters so that
// they match often, and replacements that use every "$" form.
const LETTERS = ["a", "a", "a", "b", "b", "c", "A", "B", "1", " ", "-", "\u00e9"];
const SUBJECT_UNITS = ["a", "a", "a", "b", "b", "c", "A", "B", "x", "1", "2", " ", " ", "-", "_",
  "\n", "\u00e9", "\u00c9", "K"];
const ESCAPES = ["\\d", "\\D", "\\w", "\\W", "\\s", "\\S", "\\n", "\\t", "\\x41", "\\u0062", "\\0",
  "\\.", "\\-", "\\$", "\\(", "\\*", "\\b", "\\B", "\\c", "\\e"];
const REPLACEMENT_PIECES = ["$1", "$2", "$3", "$&", "$`", "$'", "$$", "$", "$0", "$10", "$<n>",
  "[", "]", "x", "-"];

// mulberry32: small, seedable, good enough for choosing.
function generator(seed) {
  let state = seed >>> 0;
  const next = () => {
    state = (state + 0x6d2b79f5) >>> 0;
    let t = state;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
  return {
    below: (n) => Math.floor(next() * n),
    chance: (p) => next() < p,
    pick(list) {
      return list[Math.floor(next() * list.length)];
    },
  };
}

class PatternMaker {
  constructor(random) {
    this.r = random;
    this.groups = 0;
    this.named = false;
  }

  disjunction(depth) {
    const count = this.r.chance(0.2) ? 2 + this.r.below(2) : 1;
    const alternatives = [];
    for (let i = 0; i < count; ++i) alternatives.push(this.alternative(depth));
    return alternatives.join("|");
  }

  alternative(depth) {
    let out = "";
    const terms = 1 + this.r.below(depth === 0 ? 4 : 3);
    for (let i = 0; i < terms; ++i) out += this.term(depth);
    return out;
  }

  term(depth) {
    const r = this.r;
    if (r.chance(0.05)) return r.pick(["^", "$", "\\b", "\\B"]);
    if (depth < 2 && r.chance(0.06)) {
      return r.pick(["(?=", "(?!"]) + this.disjunction(depth + 1) + ")";
    }
    const atom = this.atom(depth);
    return r.chance(0.45) ? atom + this.quantifier() : atom;
  }

  atom(depth) {
    const r = this.r;
    const roll = r.below(100);
    if (roll < 40) return this.literal();
    if (roll < 48) return ".";
    if (roll < 60) return this.characterClass();
    if (roll < 68) return r.pick(ESCAPES.filter((e) => e !== "\\b" && e !== "\\B"));
    if (roll < 74 && this.groups > 0) return "\\" + (1 + r.below(this.groups + 1));
    if (depth < 2) {
      const kind = r.below(10);
      let open = "(";
      if (kind < 3) open = "(?:";
      else if (kind === 3) {
        open = "(?<n>";
        if (this.named) open = "(";
        this.named = true;
      }
      if (open !== "(?:") ++this.groups;
      return open + this.disjunction(depth + 1) + ")";
    }
    return this.literal();
  }

  literal() {
    const c = this.r.pick(LETTERS);
    return c === "\n" ? "\\n" : c;
  }

  characterClass() {
    const r = this.r;
    let out = r.chance(0.3) ? "[^" : "[";
    const members = r.below(4);
    for (let i = 0; i < members; ++i) {
      const roll = r.below(10);
      if (roll < 5) out += r.pick(["a", "b", "c", "A", "x", "1", " ", "-", "\u00e9", "_"]);
      else if (roll < 8) out += r.pick(["a-c", "A-Z", "0-9", "b-x", "\u00c0-\u00ff"]);
      else out += r.pick(["\\d", "\\w", "\\s", "\\W", "\\b", "\\-", "\\]"]);
    }
    return out + "]";
  }

  quantifier() {
    const r = this.r;
    const base = r.pick(["*", "+", "?", "*", "+", "?", "{2}", "{1,}", "{0,2}", "{1,3}", "{,2}"]);
    return r.chance(0.3) ? base + "?" : base;
  }
}

function randomText(random, units, maxLength) {
  let out = "";
  const length = random.below(maxLength + 1);
  for (let i = 0; i < length; ++i) out += random.pick(units);
  return out;
}

export function randomCases(count, seed) {
  const random = generator(seed);
  const cases = [];
  for (let i = 0; i < count; ++i) {
    const maker = new PatternMaker(random);
    const pattern = maker.disjunction(0);
    const flags = random.pick(["", "g", "i", "gi", "g", "g"]);
    let replacement = "";
    for (let n = 1 + random.below(3); n > 0; --n) replacement += random.pick(REPLACEMENT_PIECES);
    cases.push({
      category: "random",
      pattern,
      flags,
      subject: randomText(random, SUBJECT_UNITS, 20),
      replacement,
    });
  }
  return cases;
}
