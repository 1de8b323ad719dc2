#include "regexp/pattern_parser.hpp"

#include <algorithm>
#include <optional>
#include <string>

#include "base/failure.hpp"
#include "regexp/identifier_chars.hpp"

namespace kestrune::regexp_internal {
namespace {

constexpr char32_t kLastCodePoint = 0x10FFFF;

bool is_decimal_digit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool is_octal_digit(char16_t c) { return c >= u'0' && c <= u'7'; }
bool is_ascii_letter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool is_lead_surrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool is_trail_surrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

int hex_value(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

char32_t combine_surrogates(char32_t lead, char32_t trail) {
  return 0x10000 + ((lead - 0xD800) << 10) + (trail - 0xDC00);
}

void append_code_point(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out += char16_t(cp);
  } else {
    out += char16_t(0xD800 + ((cp - 0x10000) >> 10));
    out += char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
  }
}

PatternNode characters(CharSet set, bool negated = false) {
  PatternNode node;
  node.kind = PatternNode::Kind::kCharacters;
  node.characters = std::move(set);
  node.negated = negated;
  return node;
}

PatternNode assertion(PatternNode::Kind kind) {
  PatternNode node;
  node.kind = kind;
  return node;
}

PatternNode with_child(PatternNode::Kind kind, PatternNode child) {
  PatternNode node;
  node.kind = kind;
  node.children.push_back(std::move(child));
  return node;
}

// What one class atom stands for: a single unit, or a whole set (\d, \w, \s and their
// complements), which cannot bound a range.
struct ClassAtom {
  std::optional<char16_t> unit;
  CharSet set;
};

// A braced quantifier {n}, {n,} or {n,m} as read, and where it ends.
struct BracedQuantifier {
  std::uint32_t min;
  std::uint32_t max;
  std::size_t end;
};

class Parser {
 public:
  explicit Parser(std::u16string_view source) : s_(source) { take_census(); }

  ParsedPattern parse() {
    ParsedPattern parsed;
    parsed.root = parse_disjunction();
    if (!at_end()) reject("unmatched ')'");
    parsed.group_count = group_total_;
    parsed.group_names = std::move(names_opened_);
    parsed.has_back_references = has_back_references_;
    return parsed;
  }

 private:
  // ---- the whole pattern, read ahead --------------------------------------------------------

  // Back-references are resolved against every group of the pattern, including groups that open
  // later, so the groups are counted (and named) before the real reading starts.
  void take_census() {
    bool in_class = false;
    for (std::size_t i = 0; i < s_.size(); ++i) {
      const char16_t c = s_[i];
      if (c == u'\\') {
        ++i;
      } else if (in_class) {
        in_class = c != u']';
      } else if (c == u'[') {
        in_class = true;
      } else if (c == u'(') {
        if (peek_at(i + 1) != u'?') {
          ++group_total_;
        } else if (peek_at(i + 2) == u'<' && peek_at(i + 3) != u'=' && peek_at(i + 3) != u'!') {
          ++group_total_;
          has_names_ = true;
          census_name_at(i + 3);
        }
      }
    }
  }

  void census_name_at(std::size_t at) {
    const std::size_t saved = pos_;
    pos_ = at;
    if (auto name = read_group_name()) names_in_census_.emplace_back(*name, group_total_);
    pos_ = saved;
  }

  // ---- structure ----------------------------------------------------------------------------

  PatternNode parse_disjunction() {
    PatternNode first = parse_alternative();
    if (peek() != u'|') return first;
    PatternNode alternatives;
    alternatives.kind = PatternNode::Kind::kAlternatives;
    alternatives.children.push_back(std::move(first));
    while (peek() == u'|') {
      ++pos_;
      alternatives.children.push_back(parse_alternative());
    }
    return alternatives;
  }

  PatternNode parse_alternative() {
    PatternNode sequence;
    sequence.kind = PatternNode::Kind::kSequence;
    while (!at_end() && peek() != u'|' && peek() != u')') parse_term(sequence.children);
    return sequence;
  }

  void parse_term(std::vector<PatternNode>& items) {
    switch (peek()) {
      case u'^':
        ++pos_;
        items.push_back(assertion(PatternNode::Kind::kInputStart));
        return;
      case u'$':
        ++pos_;
        items.push_back(assertion(PatternNode::Kind::kInputEnd));
        return;
      case u'\\':
        if (peek_at(pos_ + 1) == u'b' || peek_at(pos_ + 1) == u'B') {
          items.push_back(assertion(peek_at(pos_ + 1) == u'b'
                                        ? PatternNode::Kind::kWordBoundary
                                        : PatternNode::Kind::kNotWordBoundary));
          pos_ += 2;
          return;
        }
        break;
      case u'(':
        if (peek_at(pos_ + 1) == u'?' && peek_at(pos_ + 2) == u'<' &&
            (peek_at(pos_ + 3) == u'=' || peek_at(pos_ + 3) == u'!')) {
          // Lookbehinds take no quantifier: a following one is "nothing to repeat".
          items.push_back(parse_lookaround(/*ahead=*/false, peek_at(pos_ + 3) == u'!', 4));
          return;
        }
        break;
      default:
        break;
    }
    PatternNode atom = parse_atom();
    if (auto repetition = parse_quantifier()) {
      PatternNode repeat = with_child(PatternNode::Kind::kRepeat, std::move(atom));
      repeat.repetition = *repetition;
      items.push_back(std::move(repeat));
    } else {
      items.push_back(std::move(atom));
    }
  }

  std::optional<Repetition> parse_quantifier() {
    Repetition r;
    switch (peek()) {
      case u'*':
        r = {0, Repetition::kUnbounded, true};
        ++pos_;
        break;
      case u'+':
        r = {1, Repetition::kUnbounded, true};
        ++pos_;
        break;
      case u'?':
        r = {0, 1, true};
        ++pos_;
        break;
      case u'{': {
        const auto braced = read_braced_quantifier(pos_);
        if (!braced) return std::nullopt;  // a literal "{", read as the next atom
        r = {braced->min, braced->max, true};
        pos_ = braced->end;
        break;
      }
      default:
        return std::nullopt;
    }
    if (peek() == u'?') {
      r.greedy = false;
      ++pos_;
    }
    if (r.min > r.max) reject("numbers out of order in {} quantifier");
    return r;
  }

  std::optional<BracedQuantifier> read_braced_quantifier(std::size_t at) const {
    std::size_t i = at + 1;
    const auto min = read_decimal(i);
    if (!min) return std::nullopt;
    std::uint32_t max = *min;
    if (peek_at(i) == u',') {
      ++i;
      const auto upper = read_decimal(i);
      max = upper ? *upper : Repetition::kUnbounded;
    }
    if (peek_at(i) != u'}') return std::nullopt;
    return BracedQuantifier{*min, max, i + 1};
  }

  // Digits at `i` (advanced past them), saturated at Repetition::kUnbounded.
  std::optional<std::uint32_t> read_decimal(std::size_t& i) const {
    if (!is_decimal_digit(peek_at(i))) return std::nullopt;
    std::uint64_t value = 0;
    for (; is_decimal_digit(peek_at(i)); ++i) {
      value = std::min<std::uint64_t>(value * 10 + (s_[i] - u'0'), Repetition::kUnbounded);
    }
    return std::uint32_t(value);
  }

  PatternNode parse_atom() {
    const char16_t c = peek();
    switch (c) {
      case u'.':
        ++pos_;
        return characters(line_terminators(), /*negated=*/true);
      case u'(':
        return parse_group();
      case u'[':
        return parse_class();
      case u'\\':
        return parse_atom_escape();
      case u'*':
      case u'+':
      case u'?':
        reject("nothing to repeat");
      case u'{':
        if (read_braced_quantifier(pos_)) reject("nothing to repeat");
        break;
      default:
        break;
    }
    ++pos_;
    return characters(CharSet::of(c));
  }

  PatternNode parse_group() {
    if (peek_at(pos_ + 1) != u'?') {
      ++pos_;
      return finish_group(++groups_opened_);
    }
    switch (peek_at(pos_ + 2)) {
      case u':':
        pos_ += 3;
        return finish_group(0);
      case u'=':
        return parse_lookaround(/*ahead=*/true, /*negated=*/false, 3);
      case u'!':
        return parse_lookaround(/*ahead=*/true, /*negated=*/true, 3);
      case u'<': {
        pos_ += 3;
        const auto name = read_group_name();
        if (!name) reject("invalid capture group name");
        for (const auto& [seen, number] : names_opened_) {
          if (seen == *name) reject("duplicate capture group name");
        }
        names_opened_.emplace_back(*name, ++groups_opened_);
        return finish_group(groups_opened_);
      }
      default:
        reject("invalid group");
    }
  }

  PatternNode finish_group(std::uint32_t number) {
    PatternNode group = with_child(PatternNode::Kind::kGroup, parse_nested());
    group.group = number;
    return group;
  }

  PatternNode parse_lookaround(bool ahead, bool negated, std::size_t opener_length) {
    pos_ += opener_length;
    PatternNode lookaround = with_child(PatternNode::Kind::kLookaround, parse_nested());
    lookaround.ahead = ahead;
    lookaround.negated = negated;
    return lookaround;
  }

  // The disjunction inside a group, up to and including its ")".
  PatternNode parse_nested() {
    if (++depth_ > kMaxGroupNesting) reject("groups nested too deeply");
    PatternNode body = parse_disjunction();
    if (peek() != u')') reject("unterminated group");
    ++pos_;
    --depth_;
    return body;
  }

  // ---- group names --------------------------------------------------------------------------

  // RegExpIdentifierName followed by ">", as UTF-16; nothing when it is not one.
  std::optional<std::u16string> read_group_name() {
    std::u16string name;
    for (;;) {
      if (at_end()) return std::nullopt;
      if (peek() == u'>') {
        ++pos_;
        if (name.empty()) return std::nullopt;
        return name;
      }
      const auto cp = read_name_code_point();
      if (!cp) return std::nullopt;
      if (!(name.empty() ? is_identifier_start(*cp) : is_identifier_part(*cp))) {
        return std::nullopt;
      }
      append_code_point(name, *cp);
    }
  }

  std::optional<char32_t> read_name_code_point() {
    const char16_t c = s_[pos_];
    if (c == u'\\') {
      if (peek_at(pos_ + 1) != u'u') return std::nullopt;
      pos_ += 2;
      return read_unicode_escape_in_name();
    }
    ++pos_;
    if (is_lead_surrogate(c) && is_trail_surrogate(peek())) {
      return combine_surrogates(c, s_[pos_++]);
    }
    return c;
  }

  // After "\u" in a group name, where escapes follow the unicode-mode rules: \u{...} and
  // surrogate pairs written as two escapes.
  std::optional<char32_t> read_unicode_escape_in_name() {
    if (peek() == u'{') {
      std::size_t i = pos_ + 1;
      char32_t value = 0;
      std::size_t digits = 0;
      for (; hex_value(peek_at(i)) >= 0; ++i, ++digits) {
        value = value * 16 + hex_value(s_[i]);
        if (value > kLastCodePoint) return std::nullopt;
      }
      if (digits == 0 || peek_at(i) != u'}') return std::nullopt;
      pos_ = i + 1;
      return value;
    }
    const auto lead = read_hex_digits(pos_, 4);
    if (!lead) return std::nullopt;
    pos_ += 4;
    if (is_lead_surrogate(*lead) && peek() == u'\\' && peek_at(pos_ + 1) == u'u') {
      const auto trail = read_hex_digits(pos_ + 2, 4);
      if (trail && is_trail_surrogate(*trail)) {
        pos_ += 6;
        return combine_surrogates(*lead, *trail);
      }
    }
    return *lead;
  }

  // ---- escapes ------------------------------------------------------------------------------

  PatternNode parse_atom_escape() {
    ++pos_;  // the backslash
    if (at_end()) reject("\\ at end of pattern");
    const char16_t e = peek();
    if (auto set = class_escape(e)) {
      ++pos_;
      return characters(std::move(*set));
    }
    if (e >= u'1' && e <= u'9') {
      std::size_t end = pos_;
      const std::uint32_t number = *read_decimal(end);
      if (number <= group_total_) {
        pos_ = end;
        return back_reference(number);
      }
      // Not a group of this pattern: an octal escape, or "8" and "9" as themselves.
      return characters(CharSet::of(e >= u'8' ? s_[pos_++] : read_legacy_octal()));
    }
    if (e == u'k' && has_names_) return parse_named_reference();
    if (e == u'c') {
      if (is_ascii_letter(peek_at(pos_ + 1))) {
        pos_ += 2;
        return characters(CharSet::of(char16_t(s_[pos_ - 1] % 32)));
      }
      // "\c" without a letter is a backslash; the "c" is read again as an atom of its own.
      return characters(CharSet::of(u'\\'));
    }
    return characters(CharSet::of(read_character_escape()));
  }

  PatternNode back_reference(std::uint32_t number) {
    has_back_references_ = true;
    PatternNode node;
    node.kind = PatternNode::Kind::kBackReference;
    node.group = number;
    return node;
  }

  PatternNode parse_named_reference() {
    ++pos_;  // the "k"
    if (peek() != u'<') reject("invalid named reference");
    ++pos_;
    const auto name = read_group_name();
    if (!name) reject("invalid named reference");
    for (const auto& [known, number] : names_in_census_) {
      if (known == *name) return back_reference(number);
    }
    reject("invalid named capture referenced");
  }

  // \d \D \s \S \w \W.
  static std::optional<CharSet> class_escape(char16_t e) {
    switch (e) {
      case u'd':
        return decimal_digits();
      case u'D':
        return decimal_digits().complement();
      case u's':
        return white_space_and_line_terminators();
      case u'S':
        return white_space_and_line_terminators().complement();
      case u'w':
        return word_characters();
      case u'W':
        return word_characters().complement();
      default:
        return std::nullopt;
    }
  }

  // The escapes that stand for one unit, alike in and out of classes: at the letter after the
  // backslash, which is consumed with whatever belongs to it.
  char16_t read_character_escape() {
    const char16_t e = s_[pos_];
    switch (e) {
      case u'f':
        ++pos_;
        return 0x0C;
      case u'n':
        ++pos_;
        return 0x0A;
      case u'r':
        ++pos_;
        return 0x0D;
      case u't':
        ++pos_;
        return 0x09;
      case u'v':
        ++pos_;
        return 0x0B;
      case u'x':
        return read_hex_escape(2);
      case u'u':
        return read_hex_escape(4);
      default:
        if (is_octal_digit(e)) return read_legacy_octal();
        ++pos_;  // any other unit stands for itself (identity escape)
        return e;
    }
  }

  // \xHH or \uHHHH; without all the digits the letter stands for itself.
  char16_t read_hex_escape(std::size_t digits) {
    const auto value = read_hex_digits(pos_ + 1, digits);
    if (!value) return s_[pos_++];
    pos_ += 1 + digits;
    return char16_t(*value);
  }

  std::optional<char32_t> read_hex_digits(std::size_t at, std::size_t count) const {
    char32_t value = 0;
    for (std::size_t i = 0; i < count; ++i) {
      const int digit = hex_value(peek_at(at + i));
      if (digit < 0) return std::nullopt;
      value = value * 16 + digit;
    }
    return value;
  }

  // Up to three octal digits, at most \377: a leading 0-3 takes two more, 4-7 one more.
  char16_t read_legacy_octal() {
    const char16_t first = s_[pos_++];
    std::uint32_t value = first - u'0';
    if (is_octal_digit(peek())) {
      value = value * 8 + (s_[pos_++] - u'0');
      if (first <= u'3' && is_octal_digit(peek())) value = value * 8 + (s_[pos_++] - u'0');
    }
    return char16_t(value);
  }

  // ---- classes ------------------------------------------------------------------------------

  PatternNode parse_class() {
    ++pos_;  // "["
    const bool negated = peek() == u'^' && !at_end();
    if (negated) ++pos_;
    std::vector<UnitRange> ranges;
    for (;;) {
      if (at_end()) reject("unterminated character class");
      if (peek() == u']') {
        ++pos_;
        break;
      }
      const ClassAtom from = parse_class_atom();
      if (peek() == u'-' && pos_ + 1 < s_.size() && s_[pos_ + 1] != u']') {
        ++pos_;
        const ClassAtom to = parse_class_atom();
        if (from.unit && to.unit) {
          if (*from.unit > *to.unit) reject("range out of order in character class");
          ranges.push_back({*from.unit, *to.unit});
          continue;
        }
        // A class escape at either end: both atoms and the "-" are members.
        add_atom(ranges, from);
        ranges.push_back({u'-', u'-'});
        add_atom(ranges, to);
        continue;
      }
      add_atom(ranges, from);
    }
    return characters(CharSet::from_ranges(std::move(ranges)), negated);
  }

  static void add_atom(std::vector<UnitRange>& ranges, const ClassAtom& atom) {
    if (atom.unit) {
      ranges.push_back({*atom.unit, *atom.unit});
    } else {
      ranges.insert(ranges.end(), atom.set.ranges().begin(), atom.set.ranges().end());
    }
  }

  ClassAtom parse_class_atom() {
    const char16_t c = s_[pos_++];
    if (c != u'\\') return {c, {}};
    if (at_end()) reject("\\ at end of pattern");
    const char16_t e = peek();
    if (auto set = class_escape(e)) {
      ++pos_;
      return {std::nullopt, std::move(*set)};
    }
    switch (e) {
      case u'b':
        ++pos_;
        return {char16_t(0x08), {}};
      case u'c': {
        const char16_t letter = peek_at(pos_ + 1);
        if (is_ascii_letter(letter) || is_decimal_digit(letter) || letter == u'_') {
          pos_ += 2;
          return {char16_t(letter % 32), {}};
        }
        return {u'\\', {}};  // the "c" is the next class atom
      }
      case u'8':
      case u'9':
        ++pos_;
        return {e, {}};
      case u'k':
        if (has_names_) reject("invalid escape");
        break;
      default:
        break;
    }
    return {read_character_escape(), {}};
  }

  // ---- reading ------------------------------------------------------------------------------

  bool at_end() const { return pos_ >= s_.size(); }
  char16_t peek() const { return peek_at(pos_); }
  // The unit at `i`, or 0 past the end (0 takes no part in any syntax checked with it).
  char16_t peek_at(std::size_t i) const { return i < s_.size() ? s_[i] : char16_t(0); }

  [[noreturn]] void reject(const char* what) const {
    fail(std::string("invalid regular expression: ") + what + " (at unit " + std::to_string(pos_) +
         ")");
  }

  std::u16string_view s_;
  std::size_t pos_ = 0;
  int depth_ = 0;
  std::uint32_t group_total_ = 0;
  std::uint32_t groups_opened_ = 0;
  bool has_names_ = false;
  bool has_back_references_ = false;
  GroupNames names_in_census_;
  GroupNames names_opened_;
};

}  // namespace

ParsedPattern parse_pattern(std::u16string_view source) { return Parser(source).parse(); }

}  // namespace kestrune::regexp_internal
