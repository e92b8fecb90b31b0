#include <gtest/gtest.h>

#include <string>

#include "window/panels.h"

namespace geodata {
namespace {

TEST(ComposeLine, ComposesTextAndNumbersByThePrintRule) {
  struct Case {
    std::string line;
    std::string expected;
  };
  const Case cases[] = {
      {ComposeLine({22.0}), " 22 "},
      {ComposeLine({0.0}), " 0 "},
      {ComposeLine({-0.0}), " 0 "},
      {ComposeLine({-131072.0}), "-131072 "},
      {ComposeLine({7700480.0}), " 7700480 "},
      {ComposeLine({-1.0}), "-1 "},
      {ComposeLine({"Map: ", 22.0, "_", 22.0}), "Map:  22 _ 22 "},
      {ComposeLine({" World_X: ", 73984.0}), " World_X:  73984 "},
      {ComposeLine({" World_X: ", -131072.0}), " World_X: -131072 "},
      {ComposeLine({66.0, " ", 100.0}), " 66   100 "},
      {ComposeLine({-1.0, " ", 0.0}), "-1   0 "},
      {ComposeLine({"Reading file Header..."}), "Reading file Header..."},
      {ComposeLine({"  two  spaces  "}), "  two  spaces  "},
      {ComposeLine({}), ""},
  };
  for (const Case& c : cases) EXPECT_EQ(c.line, c.expected);
}

}  // namespace
}  // namespace geodata
