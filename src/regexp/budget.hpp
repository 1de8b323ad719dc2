// The step budget that bounds every Test, Execute and Replace call.
//
// PCRE2's own match limit counts per start position, so it cannot bound a whole search. Instead
// the translator places numbered callouts ("budget sites") wherever the engine can come back
// after backtracking: after a quantified item, at the head of an alternative that could match
// where an earlier one did, at the head of each pass of a repeated group, before every
// back-reference, and wherever the work since the last site would exceed kStretchSteps. Each
// pass through a site charges the budget with
//   - its static steps (an upper bound of the work up to the next site),
//   - for a back-reference, the length of the text it compares, a step per unit,
//   - the distance the match moved since the last site, times the pattern's scan cost (the
//     units that a greedy repeat swallowed, for instance).
// Steps cost more when there are many capture groups (the JIT copies them into every callout,
// the interpreter saves them at every backtracking point), and more again on the interpreter.
// A unit that the JIT runs over costs half a step whatever the groups: it reads two to three
// of them in the time of a step (tools/regexp_timing), and a legitimate quadratic search, a
// look-ahead that scans the rest of a full cell from every position, is mostly such units. So
// the charges grow at least as fast as the engine's work, and a call whose charges pass
// kStepsPerCall ends with a Failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kestrune::regexp_internal {

// The most static work the translator lets the engine do between two sites.
constexpr std::uint32_t kStretchSteps = 8;
// The steps one call may spend: about a second's work at most. tools/regexp_timing: the slowest
// legitimate search of a full cell found (a look-ahead and a negative look-ahead, each scanning
// the rest of the cell from every position, as krSEARCH's two contexts "*!" and "*#" do) needs
// 538 million; the slowest runaway spends all 600 million in 0.6 to 0.9 s.
constexpr std::uint64_t kStepsPerCall = 600'000'000;
// The budget counts half steps: a unit the JIT runs over costs one.
constexpr std::uint32_t kHalfStepsPerStep = 2;
// Every this many capture groups add the cost of a step to each step.
constexpr std::uint32_t kGroupsPerExtraStep = 8;
// A step of PCRE2's interpreter costs about this many steps of its JIT.
constexpr std::uint32_t kInterpreterStepWeight = 6;

// Group numbers here are PCRE2's, which count the translator's hidden groups too.
struct BudgetSite {
  std::size_t pattern_position = 0;  // where the item after the callout starts in the PCRE2 text
  std::uint32_t static_steps = kStretchSteps;
  std::uint32_t back_reference = 0;  // the group that the next item compares, or 0
  // At the end of a pass of a repeat, ECMAScript fails a pass beyond the minimum that matched
  // nothing: the hidden group that marks where the pass started, or 0. `loop_start_group`
  // marks where the repeat started, when its first pass may match nothing (minimum 1).
  std::uint32_t pass_start_group = 0;
  std::uint32_t loop_start_group = 0;
  // Just after a lookaround whose body has sites: the engine came back to where the lookaround
  // started, which costs nothing, so the distance moved is measured afresh from here. (Measured
  // from the body's last site instead, a second look-ahead scanning as far would go unpaid.)
  bool after_lookaround = false;
};

// The sites of one translated pattern. Sites 1 to 254 are called by number; the rest share
// number 255 and are told apart by their position in the pattern.
class BudgetSites {
 public:
  static constexpr std::uint32_t kSharedCalloutNumber = 255;

  // The callout number to write for the site that `add` records next.
  std::uint32_t next_callout_number() const;
  void add(const BudgetSite& site) { sites_.push_back(site); }
  const BudgetSite& find(std::uint32_t callout_number, std::size_t pattern_position) const;
  bool empty() const { return sites_.empty(); }
  std::size_t size() const { return sites_.size(); }
  // Replaces the back-reference group numbers by `numbers[group]`.
  void renumber_back_references(const std::vector<std::uint32_t>& numbers);

 private:
  std::vector<BudgetSite> sites_;  // in the order of their positions
};

// What a search pays, in half steps, for each step and for each unit it moves over.
struct StepWeights {
  std::uint32_t step = kHalfStepsPerStep;
  std::uint32_t unit_moved = 1;
};

// What one call may still spend, in half steps.
class StepBudget {
 public:
  // The weights of a search on a pattern with `group_count` capture groups.
  static StepWeights weights(std::uint32_t group_count, bool on_interpreter) {
    const std::uint32_t step = kHalfStepsPerStep * (1 + group_count / kGroupsPerExtraStep) *
                               (on_interpreter ? kInterpreterStepWeight : 1);
    // The interpreter moves by backtracking frames, which save the groups: a step a unit.
    return {step, on_interpreter ? step : 1};
  }

  explicit StepBudget(std::uint64_t half_steps = kStepsPerCall * kHalfStepsPerStep)
      : remaining_(half_steps) {}
  // False, and nothing spent, when fewer than `half_steps` remain.
  bool spend(std::uint64_t half_steps);
  std::uint64_t remaining() const { return remaining_; }

 private:
  std::uint64_t remaining_;
};

// Charges one search's passes through its sites to the call's budget.
class StepCounter {
 public:
  StepCounter(const BudgetSites& sites, std::uint32_t scan_cost, StepBudget& budget)
      : sites_(sites), scan_cost_(scan_cost), budget_(budget) {}

  const BudgetSites& sites() const { return sites_; }
  // What the steps and moves of the coming search cost.
  void set_weights(const StepWeights& weights) { weights_ = weights; }

  // One pass through `site` by the attempt that started at `start`, now at `position`;
  // `compared_length` is what a back-reference site is about to compare. False once the budget
  // is spent.
  bool pass(const BudgetSite& site, std::size_t start, std::size_t position,
            std::size_t compared_length);

 private:
  const BudgetSites& sites_;
  std::uint32_t scan_cost_;
  StepWeights weights_;
  StepBudget& budget_;
  std::size_t attempt_start_ = SIZE_MAX;
  std::size_t last_position_ = 0;
};

}  // namespace kestrune::regexp_internal
