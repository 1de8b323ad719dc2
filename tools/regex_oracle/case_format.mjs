// The case format shared by the conformance table and the random batches, and Node's answer for
// one case. One case a line, fields separated by tabs:
//
//   category  pattern  flags  subject  replacement  matches  replaced  [engine_matches  engine_replaced]
//
// Texts are escaped to ASCII: \\ \t \n \r and \uXXXX for every unit outside printable ASCII.
// `flags` is "-" or a mix of "i" and "g". `matches` is "error" when the pattern does not compile,
// "none" when nothing matched, else the matches (all of them with "g", else the first) separated
// by ";", each as the spans of group 0, 1, 2 ... separated by ",", a span as "start:end" in units
// and an unset group as "-". `replaced` is the subject after replace() ("-" after an error).
// A category starting with "known-difference" marks a case where this engine is known to differ
// from Node; the two extra fields then hold what this engine gives.

export function escapeText(text) {
  let out = "";
  for (let i = 0; i < text.length; ++i) {
    const c = text.charCodeAt(i);
    if (c === 0x5c) out += "\\\\";
    else if (c === 0x09) out += "\\t";
    else if (c === 0x0a) out += "\\n";
    else if (c === 0x0d) out += "\\r";
    else if (c >= 0x20 && c < 0x7f) out += text[i];
    else out += "\\u" + c.toString(16).toUpperCase().padStart(4, "0");
  }
  return out;
}

function encodeMatch(match) {
  return match.indices.map((span) => (span ? `${span[0]}:${span[1]}` : "-")).join(",");
}

// What Node gives for one case: the matches of the global-match loop (or the first match) and
// the replaced text.
export function nodeOutcome(pattern, flags, subject, replacement) {
  let re;
  try {
    re = new RegExp(pattern, flags + "d");
  } catch {
    return { matches: "error", replaced: "-" };
  }
  const found = [];
  if (re.global) {
    for (let m; (m = re.exec(subject)) !== null; ) {
      found.push(encodeMatch(m));
      if (m[0].length === 0) re.lastIndex++;
    }
  } else {
    const m = re.exec(subject);
    if (m) found.push(encodeMatch(m));
  }
  return {
    matches: found.length ? found.join(";") : "none",
    replaced: escapeText(subject.replace(new RegExp(pattern, flags), replacement)),
  };
}

export function caseLine({ category, pattern, flags, subject, replacement, engine }) {
  const outcome = nodeOutcome(pattern, flags, subject, replacement);
  const fields = [
    category,
    escapeText(pattern),
    flags || "-",
    escapeText(subject),
    escapeText(replacement),
    outcome.matches,
    outcome.replaced,
  ];
  if (engine) fields.push(engine.matches, escapeText(engine.replaced));
  return fields.join("\t");
}
