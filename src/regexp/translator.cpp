#include "regexp/translator.hpp"

#include <algorithm>
#include <optional>

#include "base/failure.hpp"
#include "regexp/case_folding.hpp"
#include "regexp/pattern_parser.hpp"

namespace kestrune::regexp_internal {
namespace {

using Kind = PatternNode::Kind;

// PCRE2 refuses larger quantifier bounds.
constexpr std::uint32_t kEngineMaxRepeat = 65535;
// Testing a unit against a set costs about one step per this many ranges.
constexpr std::size_t kRangesPerStep = 16;
constexpr std::uint64_t kStepCeiling = UINT32_MAX;

constexpr std::u16string_view kWordClass = u"[0-9A-Z_a-z]";
// The largest translation, counting the copies PCRE2 makes of repeated groups: larger ones are
// refused as they grow, before they take much time or memory (PCRE2 compiles this many units in
// about 0.2 s). A cell of "\S", the set that takes most units to write, needs 1.6 million.
constexpr std::uint64_t kMaxTranslatedLength = std::uint64_t(1) << 21;
// Wide enough for any group number PCRE2 takes (up to 65,535).
constexpr std::u16string_view kGroupNumberPlaceholder = u"00000";

// Applies IgnoreCase and negation to every set, so that what is written is the final set.
void settle_sets(PatternNode& node, bool ignore_case) {
  if (node.kind == Kind::kCharacters) {
    if (ignore_case) node.characters = close_under_case(node.characters);
    if (node.negated) node.characters = node.characters.complement();
    node.negated = false;
  }
  for (PatternNode& child : node.children) settle_sets(child, ignore_case);
}

std::uint64_t set_steps(const CharSet& set) { return 1 + set.ranges().size() / kRangesPerStep; }

// The units that may come first are worked out only while they stay few: a set of more ranges,
// or a list of more alternatives, than this is taken as not known. That costs the written
// pattern some speed only, and keeps writing a long pattern linear: sets would otherwise grow
// with every nullable item, and each alternative be visited again for every enclosing item.
constexpr std::size_t kMaxKnownRanges = 256;

// `a` and `b` united, or not known when that has more than kMaxKnownRanges ranges.
std::optional<CharSet> united_if_few(const CharSet& a, const CharSet& b) {
  CharSet both = a.united_with(b);
  if (both.ranges().size() > kMaxKnownRanges) return std::nullopt;
  return both;
}

// What a match of a node consumes first: one of `units` (not known when unset), or nothing at
// all when `nullable`, in which case what comes after it is consumed first.
struct Lead {
  std::optional<CharSet> units;
  bool nullable = false;
};

Lead lead_of(const PatternNode& node);

Lead lead_of_items(const std::vector<PatternNode>& items, std::size_t from) {
  std::optional<CharSet> units = CharSet();
  for (std::size_t i = from; i < items.size() && units; ++i) {
    const Lead lead = lead_of(items[i]);
    if (!lead.units) return {};
    units = united_if_few(*units, *lead.units);
    if (!lead.nullable) return {units, false};
  }
  return {units, true};
}

Lead lead_of(const PatternNode& node) {
  switch (node.kind) {
    case Kind::kCharacters:
      return {node.characters, false};
    case Kind::kSequence:
      return lead_of_items(node.children, 0);
    case Kind::kGroup:
      return lead_of(node.children.front());
    case Kind::kRepeat: {
      Lead lead = lead_of(node.children.front());
      lead.nullable = lead.nullable || node.repetition.min == 0;
      return lead;
    }
    case Kind::kAlternatives: {
      if (node.children.size() > kMaxKnownRanges) return {};
      Lead all{CharSet(), false};
      for (const PatternNode& child : node.children) {
        const Lead lead = lead_of(child);
        if (!lead.units) return {};
        all.units = united_if_few(*all.units, *lead.units);
        if (!all.units) return {};
        all.nullable = all.nullable || lead.nullable;
      }
      return all;
    }
    case Kind::kInputEnd:
      // Fails before the end wherever it fails: it cannot make a shorter repeat succeed.
      return {CharSet(), true};
    default:
      return {};  // zero-width tests whose answer depends on the position, back-references
  }
}

bool can_match_empty(const PatternNode& node) {
  switch (node.kind) {
    case Kind::kCharacters:
      return false;
    case Kind::kSequence:
      return std::all_of(node.children.begin(), node.children.end(), can_match_empty);
    case Kind::kAlternatives:
      return std::any_of(node.children.begin(), node.children.end(), can_match_empty);
    case Kind::kGroup:
      return can_match_empty(node.children.front());
    case Kind::kRepeat:
      return node.repetition.min == 0 || can_match_empty(node.children.front());
    default:
      return true;  // assertions, lookarounds, back-references
  }
}

bool has_groups(const PatternNode& node) {
  if (node.kind == Kind::kGroup && node.group != 0) return true;
  return std::any_of(node.children.begin(), node.children.end(), has_groups);
}

bool matches_only_empty(const PatternNode& node) {
  switch (node.kind) {
    case Kind::kCharacters:
    case Kind::kBackReference:
      return false;
    case Kind::kSequence:
    case Kind::kAlternatives:
      return std::all_of(node.children.begin(), node.children.end(), matches_only_empty);
    case Kind::kGroup:
      return matches_only_empty(node.children.front());
    case Kind::kRepeat:
      return node.repetition.max == 0 || matches_only_empty(node.children.front());
    default:
      return true;  // assertions, lookarounds
  }
}

// ECMAScript fails every pass beyond the minimum that matches nothing, so a repeated item that
// only ever matches nothing runs its minimum passes, and at most one is needed.
Repetition passes_that_count(const PatternNode& item, Repetition r) {
  if (matches_only_empty(item)) r.min = r.max = std::min<std::uint32_t>(r.min, 1);
  return r;
}

// How many leading units of two alternatives are compared to tell them apart.
constexpr std::size_t kComparedLeadingUnits = 4;

// Appends the sets of the units that every match of `node` starts with, in order, as far as
// they are fixed and up to `limit` of them; false when what comes next is no longer fixed.
bool collect_leading_units(const PatternNode& node, std::size_t limit, std::vector<CharSet>& out) {
  if (out.size() >= limit) return false;
  switch (node.kind) {
    case Kind::kCharacters:
      out.push_back(node.characters);
      return true;
    case Kind::kSequence:
      for (const PatternNode& child : node.children) {
        if (!collect_leading_units(child, limit, out)) return false;
      }
      return true;
    case Kind::kGroup:
      return collect_leading_units(node.children.front(), limit, out);
    case Kind::kRepeat: {
      const PatternNode& item = node.children.front();
      if (item.kind != Kind::kCharacters) return false;
      for (std::uint32_t i = 0; i < node.repetition.min && out.size() < limit; ++i) {
        out.push_back(item.characters);
      }
      return node.repetition.min == node.repetition.max;
    }
    default:
      return false;
  }
}

std::vector<CharSet> leading_units(const PatternNode& node) {
  std::vector<CharSet> units;
  collect_leading_units(node, kComparedLeadingUnits, units);
  return units;
}

// Two alternatives that differ in one of their leading units cannot both match at one place.
bool exclusive(const std::vector<CharSet>& a, const std::vector<CharSet>& b) {
  for (std::size_t k = 0; k < std::min(a.size(), b.size()); ++k) {
    if (!a[k].intersects(b[k])) return true;
  }
  return false;
}

// Compared pairwise, so only for a few alternatives: more than kStretchSteps of them are never
// without choice anyway, their static work alone being more than a stretch.
bool alternatives_exclusive(const std::vector<PatternNode>& alternatives) {
  if (alternatives.size() > kStretchSteps) return false;
  std::vector<std::vector<CharSet>> leads;
  for (const PatternNode& alternative : alternatives) {
    leads.push_back(leading_units(alternative));
    for (std::size_t i = 0; i + 1 < leads.size(); ++i) {
      if (!exclusive(leads[i], leads.back())) return false;
    }
  }
  return true;
}

// The static work of one match of `node` (every alternative tried), for nodes that make no
// choice.
std::uint64_t fixed_steps(const PatternNode& node) {
  switch (node.kind) {
    case Kind::kCharacters:
      return set_steps(node.characters);
    case Kind::kRepeat:
      return std::min(fixed_steps(node.children.front()) * node.repetition.max, kStepCeiling);
    default: {
      std::uint64_t steps = node.children.empty() ? 1 : 0;  // an assertion tests once
      for (const PatternNode& child : node.children) steps += fixed_steps(child);
      return std::min(steps, kStepCeiling);
    }
  }
}

// Whether the engine never has another way to try when `node` fails: no repeat of variable
// length, no alternatives that could match at the same place, no back-reference or lookaround.
bool makes_no_choice(const PatternNode& node) {
  switch (node.kind) {
    case Kind::kCharacters:
    case Kind::kInputStart:
    case Kind::kInputEnd:
    case Kind::kWordBoundary:
    case Kind::kNotWordBoundary:
      return true;
    case Kind::kSequence:
    case Kind::kGroup:
      return std::all_of(node.children.begin(), node.children.end(), makes_no_choice);
    case Kind::kAlternatives:
      return alternatives_exclusive(node.children) &&
             std::all_of(node.children.begin(), node.children.end(), makes_no_choice);
    case Kind::kRepeat:
      return node.children.front().kind == Kind::kCharacters &&
             node.repetition.min == node.repetition.max;
    default:
      return false;
  }
}

// What may come after the item being written.
struct Follow {
  // Nothing after the item can fail, so the engine never backtracks into it.
  bool tail = false;
  // The units that what follows can consume first (an empty set when nothing follows); not
  // known when unset.
  std::optional<CharSet> first;
  // What follows cannot succeed without consuming one of `first`.
  bool must_consume = false;
};

// What follows each item of a sequence that `after` follows.
std::vector<Follow> follows_in_sequence(const std::vector<PatternNode>& items,
                                        const Follow& after) {
  std::vector<Follow> follows(items.size());
  if (items.empty()) return follows;
  follows.back() = after;
  for (std::size_t i = items.size() - 1; i > 0; --i) {
    const Lead next = lead_of(items[i]);
    const Follow& beyond = follows[i];
    if (!next.units) continue;
    if (!next.nullable) {
      follows[i - 1].first = next.units;
      follows[i - 1].must_consume = true;
    } else if (beyond.first) {
      follows[i - 1].first = united_if_few(*next.units, *beyond.first);
      follows[i - 1].must_consume = beyond.must_consume;
    }
  }
  return follows;
}

// The first item of every match, when it is a greedy unbounded repeat of a set: if the rest of
// the pattern fails after it, every start inside the units it swallowed fails the same way.
const PatternNode* leading_repeat(const PatternNode& root) {
  const PatternNode* node = &root;
  for (;;) {
    switch (node->kind) {
      case Kind::kSequence: {
        // A leading ^ allows one start only, which (*SKIP) does not change.
        const auto first =
            std::find_if(node->children.begin(), node->children.end(),
                         [](const PatternNode& item) { return item.kind != Kind::kInputStart; });
        if (first == node->children.end()) return nullptr;
        node = &*first;
        break;
      }
      case Kind::kGroup:
        node = &node->children.front();
        break;
      case Kind::kRepeat:
        if (node->children.front().kind == Kind::kCharacters && node->repetition.greedy &&
            node->repetition.max == Repetition::kUnbounded) {
          return node;
        }
        return nullptr;
      default:
        return nullptr;
    }
  }
}

Repetition engine_repetition(Repetition r) {
  r.min = std::min(r.min, kEngineMaxRepeat);
  if (r.max > kEngineMaxRepeat) r.max = Repetition::kUnbounded;
  return r;
}

bool is_ascii_alphanumeric(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

void append_number(std::u16string& out, std::uint64_t n) {
  for (char c : std::to_string(n)) out += char16_t(c);
}

void append_hex_unit(std::u16string& out, char16_t unit) {
  static constexpr char16_t kDigits[] = u"0123456789abcdef";
  out += u"\\x{";
  bool leading = true;
  for (int shift = 12; shift >= 0; shift -= 4) {
    const int digit = (unit >> shift) & 0xF;
    if (digit == 0 && leading && shift > 0) continue;
    leading = false;
    out += kDigits[digit];
  }
  out += u'}';
}

class PcreWriter {
 public:
  PcreWriter(std::uint32_t group_count, bool unicode_case, bool has_back_references)
      : unicode_case_(unicode_case),
        has_back_references_(has_back_references),
        group_numbers_(group_count + 1, 0) {}

  void write_pattern(const PatternNode& root) {
    leading_repeat_ = leading_repeat(root);
    write(root, Follow{true, CharSet()});
    number_back_references();
  }

  std::u16string take_source() { return std::move(out_); }
  BudgetSites take_sites() { return std::move(sites_); }
  std::uint32_t scan_cost() const { return scan_cost_; }
  std::uint32_t engine_group_count() const { return engine_groups_; }
  // PCRE2's number of each ECMAScript group (index 0: the whole match).
  std::vector<std::uint32_t> take_group_numbers() { return std::move(group_numbers_); }

 private:
  void write(const PatternNode& node, const Follow& follow) {
    require_translation_size();
    switch (node.kind) {
      case Kind::kSequence: {
        const std::vector<Follow> follows = follows_in_sequence(node.children, follow);
        for (std::size_t i = 0; i < node.children.size(); ++i) write(node.children[i], follows[i]);
        break;
      }
      case Kind::kAlternatives:
        write_alternatives(node.children, follow);
        break;
      case Kind::kCharacters:
        charge(set_steps(node.characters));
        write_set(node.characters);
        break;
      case Kind::kInputStart:
        charge(1);
        out_ += u"\\A";
        break;
      case Kind::kInputEnd:
        charge(1);
        out_ += u"\\z";
        break;
      case Kind::kWordBoundary:
      case Kind::kNotWordBoundary:
        write_word_boundary(node.kind == Kind::kWordBoundary);
        break;
      case Kind::kGroup:
        open_group(node);
        write(node.children.front(), follow);
        out_ += u')';
        break;
      case Kind::kLookaround:
        write_lookaround(node);
        break;
      case Kind::kBackReference:
        write_back_reference(node.group);
        break;
      case Kind::kRepeat:
        write_repeat(node, follow);
        break;
    }
  }

  // Alternatives that differ from every earlier one in a leading unit need no site: at any
  // position at most one of them gets past its first few units, so they add no branching. Once
  // the work of the earlier ones failing passes kStretchSteps a site is due all the same, so
  // later alternatives are not compared, which keeps a long list linear to write.
  void write_alternatives(const std::vector<PatternNode>& alternatives, const Follow& follow) {
    const std::uint64_t entry = pending_;
    std::uint64_t exit = 0;
    std::vector<std::vector<CharSet>> earlier;
    bool earlier_known = true;
    for (std::size_t i = 0; i < alternatives.size(); ++i) {
      // Each earlier alternative failed within its first few units.
      const std::uint64_t after_earlier = entry + i * kComparedLeadingUnits;
      const bool compared = after_earlier <= kStretchSteps;
      std::vector<CharSet> lead;
      if (compared) lead = leading_units(alternatives[i]);
      if (i > 0) {
        out_ += u'|';
        const bool apart =
            compared && earlier_known && !lead.empty() &&
            std::all_of(earlier.begin(), earlier.end(),
                        [&](const std::vector<CharSet>& e) { return exclusive(e, lead); });
        if (apart) {
          pending_ = after_earlier;
        } else {
          write_site();
        }
      }
      write(alternatives[i], follow);
      exit = std::max(exit, pending_);
      earlier_known = earlier_known && !lead.empty();
      if (compared) earlier.push_back(std::move(lead));
    }
    pending_ = exit;
  }

  void write_lookaround(const PatternNode& node) {
    out_ += node.ahead ? (node.negated ? u"(?!" : u"(?=") : (node.negated ? u"(?<!" : u"(?<=");
    const std::uint64_t outer_peak = peak_;
    peak_ = pending_;
    const std::size_t sites_before = sites_.size();
    // Nothing backtracks into a finished lookaround, but its body runs again at every position
    // it is tried, so it is no tail.
    write(node.children.front(), Follow{false, CharSet()});
    out_ += u')';
    // A negative lookaround succeeds when its body fails, wherever that was.
    if (node.negated) pending_ = peak_;
    peak_ = std::max(outer_peak, peak_);
    if (sites_.size() != sites_before) write_lookaround_exit_site();
  }

  // The group's PCRE2 number is known only once the whole pattern is written (the group may
  // come later): a fixed-width placeholder keeps its place.
  void write_back_reference(std::uint32_t group) {
    out_ += unicode_case_ ? u"(?i:" : u"(?:";
    write_site(group);
    out_ += u"\\g{";
    back_references_.push_back({out_.size(), group});
    out_ += kGroupNumberPlaceholder;
    out_ += u"})";
    charge(1);
  }

  void number_back_references() {
    for (const auto& [at, group] : back_references_) {
      std::u16string digits;
      append_number(digits, group_numbers_[group]);
      digits.insert(0, kGroupNumberPlaceholder.size() - digits.size(), u'0');
      out_.replace(at, digits.size(), digits);
    }
    sites_.renumber_back_references(group_numbers_);
  }

  void open_group(const PatternNode& group) {
    if (group.group == 0) {
      out_ += u"(?:";
      return;
    }
    out_ += u'(';
    group_numbers_[group.group] = ++engine_groups_;
  }

  // An empty group that records where a pass (or a loop) starts; its PCRE2 number.
  std::uint32_t write_position_marker() {
    out_ += u"()";
    return ++engine_groups_;
  }

  void write_word_boundary(bool boundary) {
    if (!unicode_case_) {
      charge(1);
      out_ += boundary ? u"\\b" : u"\\B";
      return;
    }
    // Under UCP, PCRE2's \b would take Unicode letters for word characters.
    charge(4);
    const std::u16string w(kWordClass);
    out_ += boundary ? u"(?:(?<=" + w + u")(?!" + w + u")|(?<!" + w + u")(?=" + w + u"))"
                     : u"(?:(?<=" + w + u")(?=" + w + u")|(?<!" + w + u")(?!" + w + u"))";
  }

  void write_repeat(const PatternNode& node, const Follow& follow) {
    const PatternNode& item = node.children.front();
    const Repetition r = passes_that_count(item, engine_repetition(node.repetition));
    if (r.max == 0) {
      write_unrepeated_item(item);
      out_ += u"{0}";
      return;
    }
    if (item.kind == Kind::kCharacters) {
      write_repeated_set(node, r, follow);
      return;
    }
    if (r.min == 1 && r.max == 1) {
      write(item, follow);
      return;
    }
    // After a pass comes another pass or what follows the repeat.
    Follow after_pass = follow;  // a single pass is followed by what follows the repeat
    if (r.max > 1) {
      const Lead pass = lead_of(item);
      after_pass = Follow{};
      if (pass.units && follow.first) {
        after_pass.first = united_if_few(*pass.units, *follow.first);
        after_pass.must_consume = !pass.nullable && follow.must_consume;
      }
    }
    if (item.kind == Kind::kGroup) {
      write_repeated_group(item, r, after_pass);
    } else if (item.kind == Kind::kBackReference) {
      const WrittenMark start = mark();
      write_back_reference(item.group);  // its own site heads each pass
      write_quantifier(r, /*possessive=*/false);
      count_copies(start, r);
    } else {
      const WrittenMark start = mark();
      out_ += u"(?:";  // a look-ahead: PCRE2 repeats it only inside a group
      if (r.max > 1 || !r.greedy) write_site();
      write(item, after_pass);
      out_ += u')';
      write_quantifier(r, /*possessive=*/false);
      count_copies(start, r);
    }
    if (r.min != r.max && !follow.tail) write_site();
  }

  // Each pass of a repeated group starts at a site (a lazy optional group is entered only by
  // backtracking, so it needs one too). Where a pass can match nothing, the pass also marks its
  // start so that a site at its end can fail it as ECMAScript does: PCRE2 would take the empty
  // pass and stop repeating.
  void write_repeated_group(const PatternNode& group, const Repetition& r,
                            const Follow& after_pass) {
    const PatternNode& body = group.children.front();
    if (r.max == r.min || !can_match_empty(body)) {
      write_group_passes(group, r, after_pass, /*check_empty_pass=*/false);
    } else if (r.min == 0) {
      write_group_passes(group, r, after_pass, /*check_empty_pass=*/true);
    } else if (group.group == 0 && !has_groups(body)) {
      // X{m,n} as X{m} X{0,n-m}: only the passes beyond the minimum are checked.
      write_group_passes(group, {r.min, r.min, true}, after_pass, false);
      const std::uint32_t extra =
          r.max == Repetition::kUnbounded ? Repetition::kUnbounded : r.max - r.min;
      write_group_passes(group, {0, extra, r.greedy}, after_pass, true);
    } else {
      // PCRE2 copies a group with a minimum above 1 and the copies would share the marks, so
      // only a minimum of 1 is handled, by letting the first pass (the one that starts where
      // the loop starts) match nothing. The first pass's groups cannot be copied here.
      write_group_passes(group, r, after_pass, /*check_empty_pass=*/r.min == 1);
    }
  }

  void write_group_passes(const PatternNode& group, const Repetition& r, const Follow& after_pass,
                          bool check_empty_pass) {
    const PatternNode& body = group.children.front();
    // A body that always consumes and never chooses repeats like a set: the site after the
    // repeat charges all its passes by the distance they moved.
    const std::uint64_t body_steps = fixed_steps(body);
    const bool scans = !check_empty_pass && !can_match_empty(body) && makes_no_choice(body) &&
                       body_steps <= kStretchSteps;
    if (scans) {
      scan_cost_ = std::max<std::uint32_t>(scan_cost_, std::uint32_t(body_steps));
      charge(std::min(body_steps * r.min, kStepCeiling));
    }
    const std::uint32_t loop_start = check_empty_pass && r.min == 1 ? write_position_marker() : 0;
    const WrittenMark start = mark();
    open_group(group);
    const bool site_per_pass = (r.max > 1 || !r.greedy) && !scans;
    if (site_per_pass) write_site();
    const std::uint32_t pass_start = check_empty_pass ? write_position_marker() : 0;
    // A site before alternatives would belong to the first one only.
    const bool wrap = body.kind == Kind::kAlternatives && (pass_start || site_per_pass);
    if (wrap) out_ += u"(?:";
    const std::uint64_t before_body = pending_;
    if (scans) pending_ = 0;  // the passes are charged already: the body adds no site
    write(body, after_pass);
    if (scans) pending_ = before_body;
    if (wrap) out_ += u')';
    if (pass_start) write_pass_end_site(pass_start, loop_start);
    out_ += u')';
    write_quantifier(r, /*possessive=*/false);
    count_copies(start, r);
  }

  void write_repeated_set(const PatternNode& node, const Repetition& r, const Follow& follow) {
    const CharSet& set = node.children.front().characters;
    const std::uint64_t steps = set_steps(set);
    scan_cost_ = std::max<std::uint32_t>(scan_cost_, std::uint32_t(steps));
    charge(std::min(steps * r.min, kStepCeiling));
    // A greedy repeat followed by something that cannot start with one of its units never
    // profits from giving units back: written possessive, it does not backtrack.
    const bool possessive = r.greedy && follow.first && !follow.first->intersects(set);
    // Where what follows must start with one of `first`, only the places before such a unit
    // (or where the repeat ends) are worth trying.
    const std::optional<CharSet> futile =
        !possessive && !follow.tail && follow.must_consume && follow.first
            ? std::optional<CharSet>(set.intersected_with(follow.first->complement()))
            : std::nullopt;
    if (futile && !futile->empty() && r.min <= 1 && r.max == Repetition::kUnbounded) {
      write_repeat_in_segments(set, *futile, set.intersected_with(*follow.first), r);
      return;
    }
    write_set(set);
    write_quantifier(r, possessive);
    if (r.min == r.max || follow.tail) return;
    if (possessive && &node == leading_repeat_ && !has_back_references_) {
      // A later start inside the swallowed units would swallow up to the same place and fail
      // the same way: (*SKIP) goes straight past them, so each unit is scanned once per search
      // and needs no site.
      out_ += u"(*SKIP)";
      return;
    }
    if (futile && !futile->empty()) {
      // What follows fails at once before a futile unit: the site is passed only where it can
      // start, or where the repeat can go no further (a site there charges the whole scan).
      out_ += u"(?!";
      write_set(*futile);
      out_ += u')';
    }
    write_site();
  }

  // S* (or S*?, S+, S+?) as [futile]*+(?:[useful][futile]*+)*, where futile units are those
  // what follows cannot start with: the same places are tried in the same order, but the
  // engine runs over the futile units without stopping (and over each unit once), and the site
  // is passed only at the places tried.
  void write_repeat_in_segments(const CharSet& set, const CharSet& futile, const CharSet& useful,
                                const Repetition& r) {
    if (r.min == 1) write_set(set);
    write_set(futile);
    out_ += u"*+(?:";
    write_set(useful);
    write_set(futile);
    out_ += r.greedy ? u"*+)*" : u"*+)*?";
    write_site();
  }

  // Where the translation stands, to measure what is written after it.
  struct WrittenMark {
    std::size_t length;
    std::uint64_t copied;
  };
  WrittenMark mark() const { return {out_.size(), copied_}; }

  // PCRE2 compiles a repeated group (not a set) once for each pass up to the maximum, or up to
  // the minimum and once more when there is none: the copies of what was written since `start`
  // count towards the size limit.
  void count_copies(const WrittenMark& start, const Repetition& r) {
    const std::uint64_t copies =
        std::max<std::uint32_t>(r.max == Repetition::kUnbounded ? r.min : r.max, 1);
    const std::uint64_t item = (out_.size() - start.length) + (copied_ - start.copied);
    copied_ += item * (copies - 1);
    require_translation_size();
  }

  void require_translation_size() const {
    if (out_.size() + copied_ > kMaxTranslatedLength) fail("regular expression too large");
  }

  // An item under {0}: compiled (its groups still count) but never run.
  void write_unrepeated_item(const PatternNode& item) {
    const std::uint64_t saved = pending_;
    out_ += u"(?:";
    write(item, Follow{});
    out_ += u')';
    pending_ = saved;
  }

  void write_quantifier(const Repetition& r, bool possessive) {
    if (r.min == 1 && r.max == 1) return;
    if (r.min == 0 && r.max == Repetition::kUnbounded) {
      out_ += u'*';
    } else if (r.min == 1 && r.max == Repetition::kUnbounded) {
      out_ += u'+';
    } else if (r.min == 0 && r.max == 1) {
      out_ += u'?';
    } else {
      out_ += u'{';
      append_number(out_, r.min);
      if (r.max != r.min) {
        out_ += u',';
        if (r.max != Repetition::kUnbounded) append_number(out_, r.max);
      }
      out_ += u'}';
      if (r.min == r.max) return;
    }
    if (!r.greedy) {
      out_ += u'?';
    } else if (possessive) {
      out_ += u'+';
    }
  }

  void write_set(const CharSet& set) {
    if (const auto unit = set.single_unit()) {
      write_unit(*unit);
      return;
    }
    const CharSet complement = set.complement();
    if (set.empty() || (!complement.empty() && complement.ranges().size() < set.ranges().size())) {
      out_ += u"[^";
      write_ranges(set.empty() ? CharSet::everything() : complement);
    } else {
      out_ += u'[';
      write_ranges(set);
    }
    out_ += u']';
  }

  void write_ranges(const CharSet& set) {
    for (const UnitRange& r : set.ranges()) {
      write_class_unit(r.first);
      if (r.last != r.first) {
        if (r.last != r.first + 1) out_ += u'-';
        write_class_unit(r.last);
      }
    }
  }

  void write_unit(char16_t unit) {
    if (is_ascii_alphanumeric(unit)) {
      out_ += unit;
    } else if (unit >= 0x20 && unit < 0x7F) {
      out_ += u'\\';
      out_ += unit;
    } else {
      append_hex_unit(out_, unit);
    }
  }

  void write_class_unit(char16_t unit) {
    if (is_ascii_alphanumeric(unit)) {
      out_ += unit;
    } else {
      append_hex_unit(out_, unit);
    }
  }

  // Adds static work to the current stretch, opening a new stretch with a site when the
  // stretch would grow past kStretchSteps.
  void charge(std::uint64_t steps) {
    if (pending_ + steps > kStretchSteps) {
      write_site(0, std::uint32_t(std::max<std::uint64_t>(steps, kStretchSteps)));
      pending_ = steps > kStretchSteps ? kStretchSteps : steps;
    } else {
      pending_ += steps;
    }
    peak_ = std::max(peak_, pending_);
  }

  void write_site(std::uint32_t back_reference = 0, std::uint32_t static_steps = kStretchSteps) {
    BudgetSite site;
    site.back_reference = back_reference;
    site.static_steps = static_steps;
    add_site(site);
  }

  void write_lookaround_exit_site() {
    BudgetSite site;
    site.after_lookaround = true;
    add_site(site);
  }

  void write_pass_end_site(std::uint32_t pass_start, std::uint32_t loop_start) {
    BudgetSite site;
    site.pass_start_group = pass_start;
    site.loop_start_group = loop_start;
    add_site(site);
  }

  void add_site(BudgetSite site) {
    out_ += u"(?C";
    append_number(out_, sites_.next_callout_number());
    out_ += u')';
    site.pattern_position = out_.size();
    sites_.add(site);
    pending_ = 0;
  }

  std::u16string out_;
  BudgetSites sites_;
  // The units PCRE2 compiles beyond those written, copying repeated groups (count_copies).
  std::uint64_t copied_ = 0;
  std::uint64_t pending_ = 0;  // static work since the last site on the path being written
  std::uint64_t peak_ = 0;     // the largest pending_ inside the lookaround being written
  std::uint32_t scan_cost_ = 1;
  bool unicode_case_;
  bool has_back_references_;
  const PatternNode* leading_repeat_ = nullptr;
  std::vector<std::uint32_t> group_numbers_;
  std::uint32_t engine_groups_ = 0;
  std::vector<std::pair<std::size_t, std::uint32_t>> back_references_;  // placeholder, group
};

}  // namespace

Translation translate_pattern(std::u16string_view source, bool ignore_case) {
  if (source.size() > kMaxPatternLength) fail("regular expression too long");
  ParsedPattern parsed = parse_pattern(source);
  settle_sets(parsed.root, ignore_case);

  Translation t;
  t.group_count = parsed.group_count;
  t.group_names = std::move(parsed.group_names);
  t.needs_unicode_case = ignore_case && parsed.has_back_references;

  PcreWriter writer(parsed.group_count, t.needs_unicode_case, parsed.has_back_references);
  writer.write_pattern(parsed.root);
  t.pcre_source = writer.take_source();
  t.sites = writer.take_sites();
  t.scan_cost = writer.scan_cost();
  t.engine_group_count = writer.engine_group_count();
  t.group_numbers = writer.take_group_numbers();
  return t;
}

}  // namespace kestrune::regexp_internal
