// The common path of the pattern members takes no heap memory: a short text searched with a
// pattern the object has seen. This program counts every allocation (its own operator new), so a
// call that starts taking memory again fails here. The answers are short enough to be held in
// place too.
#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "automation/cls_kestrune.hpp"
#include "counting_new.hpp"
#include "test_support.hpp"
#include "variant_printer.hpp"

namespace kestrune {
namespace {

using test::missing;
using test::number;
using test::text;

struct CommonCall {
  std::string_view member;
  std::vector<Variant> arguments;
  Variant expected;
};

TEST(CommonPath, TakesNoHeapMemory) {
  const Variant subject = text(u"ab 12 cd 345");
  const CommonCall calls[] = {
      {"krSEARCH", {subject, text(u"cd"), missing(), number(1)}, number(7)},
      {"krSEARCH", {subject, text(u"[0-9]{1,}"), missing(), number(3)}, text(u"12")},
      {"krSEARCH", {subject, text(u"[0-9]{1,}"), missing(), number(9)}, number(2)},
      {"krREPLACE", {text(u"ab 12 c"), text(u"[0-9]{1,}"), text(u"#")}, text(u"ab # c")},
      // From the right, on a text too long to be held in place: reversed in the object's room.
      {"krREPLACE",
       {text(u"ab 1234567890"), text(u"[0-9]{1,}"), text(u"#"), missing(), missing(), missing(),
        missing(), Variant::boolean(true)},
       text(u"ab #")},
      {"krCOUNTINCELL", {subject, text(u"?d")}, number(1)},
      {"krGETWORD", {subject, number(2), text(u" ")}, text(u"12")},
      // The default separator, too long to be held in place, written into the omitted argument.
      {"krGETWORD", {subject, number(2)}, text(u"12")},
      {"krCONCATULA", {text(u"=7*3.5")}, number(24.5)},
      {"krREGEX", {subject, text(u"\\d+"), missing(), missing(), number(1)}, number(4)},
      {"krREGEX", {subject, text(u"\\d+"), missing(), missing(), number(2)}, number(2)},
      {"krREGEX", {subject, text(u"\\d+"), missing(), missing(), number(3)}, text(u"12")},
      {"krREGEX", {subject, text(u"\\d+"), missing(), missing(), number(4)}, number(2)},
  };
  for (const CommonCall& c : calls) {
    clsKestrune object;
    // The first call compiles the pattern and sizes the object's room; the next one is counted.
    std::vector<Variant> first = c.arguments, counted = c.arguments;
    test::call_with(object, c.member, first);
    counted.resize(first.size(), Variant::missing());
    const std::size_t before = test::heap_allocations;
    const Variant answer = test::call_with(object, c.member, counted);
    const std::size_t taken = test::heap_allocations - before;
    EXPECT_EQ(answer, c.expected) << c.member;
    EXPECT_EQ(taken, 0u) << c.member << " answering " << testing::PrintToString(c.expected);
  }
}

}  // namespace
}  // namespace kestrune
