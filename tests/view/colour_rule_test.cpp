#include "view/colour_rule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

namespace geodata {
namespace {

// Rounds numerator / denominator (denominator > 0) to the nearest integer,
// halves to the even neighbour, in exact integer arithmetic.
int RoundHalfEven(int numerator, int denominator) {
  int quotient = numerator / denominator;
  int remainder = numerator % denominator;
  if (remainder < 0) {
    remainder += denominator;
    --quotient;
  }
  if (2 * remainder > denominator) return quotient + 1;
  if (2 * remainder < denominator) return quotient;
  return quotient % 2 == 0 ? quotient : quotient + 1;
}

// The rule by hand: v/25 + 256 is (v + 6400)/25, and so on.
Components Expected(bool complex, int v) {
  if (!complex) {
    if (v > -3754) return {0, static_cast<std::int16_t>(RoundHalfEven(v + 6400, 25)), 0};
    return {0, 0, static_cast<std::int16_t>(RoundHalfEven(v + 8000, 25))};
  }
  if (v > -7508) return {0, static_cast<std::int16_t>(RoundHalfEven(v + 12800, 50)), 0};
  return {0, 0, static_cast<std::int16_t>(RoundHalfEven(v + 16000, 50))};
}

std::uint8_t Clamp(int c) { return static_cast<std::uint8_t>(std::clamp(c, 0, 255)); }

TEST(ColourRule, EveryHeightOfFlatAndComplexBlocksMatchesExactArithmetic) {
  for (int v = -32768; v <= 32767; ++v) {
    for (bool complex : {false, true}) {
      const auto value = static_cast<std::int16_t>(v);
      const Components got = ColourComponents(complex ? 64 : 0, value, 0);
      const Components want = Expected(complex, v);
      ASSERT_EQ(got, want) << (complex ? "complex" : "flat") << " v=" << v;
      const Colour colour = Compose(got);
      ASSERT_EQ(colour, (Colour{Clamp(want.red), Clamp(want.green), Clamp(want.blue)}))
          << (complex ? "complex" : "flat") << " v=" << v;
    }
  }
}

TEST(ColourRule, WorkedValues) {
  struct Case {
    std::int16_t type, v, c;
    Components components;
    Colour colour;
  };
  const Case cases[] = {
      {0, -3753, 0, {0, 106, 0}, {0, 106, 0}},
      {0, -3754, 0, {0, 0, 170}, {0, 0, 170}},
      {0, -2000, 0, {0, 176, 0}, {0, 176, 0}},
      {0, -13, 0, {0, 255, 0}, {0, 255, 0}},
      {0, -12, 0, {0, 256, 0}, {0, 255, 0}},
      {0, 32767, 0, {0, 1567, 0}, {0, 255, 0}},
      {0, -8012, 0, {0, 0, 0}, {0, 0, 0}},
      {0, -8013, 0, {0, 0, -1}, {0, 0, 0}},
      {0, -32768, 0, {0, 0, -991}, {0, 0, 0}},
      {64, -7507, 0, {0, 106, 0}, {0, 106, 0}},
      {64, -7508, 0, {0, 0, 170}, {0, 0, 170}},
      {64, -1000, 0, {0, 236, 0}, {0, 236, 0}},
      {64, -125, 0, {0, 254, 0}, {0, 254, 0}},
      {64, -75, 0, {0, 254, 0}, {0, 254, 0}},
      {64, -25, 0, {0, 256, 0}, {0, 255, 0}},
      {64, 32767, 0, {0, 911, 0}, {0, 255, 0}},
      {64, -16026, 0, {0, 0, -1}, {0, 0, 0}},
      {64, -32768, 0, {0, 0, -335}, {0, 0, 0}},
      {5, 0, 2, {0, 255, 255}, {0, 255, 255}},
      {5, 0, 0, {100, 100, 100}, {100, 100, 100}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "t=" << c.type << " v=" << c.v << " c=" << c.c);
    const Components got = ColourComponents(c.type, c.v, c.c);
    EXPECT_EQ(got, c.components);
    EXPECT_EQ(Compose(got), c.colour);
  }
}

TEST(ColourRule, MultilayerColourDependsOnTheFirstCellsCountAlone) {
  const Colour grey{100, 100, 100};
  const struct {
    std::int16_t count;
    Colour colour;
  } counts[] = {{1, {255, 255, 0}},   {2, {0, 255, 255}}, {3, {255, 0, 0}},  {4, {255, 0, 255}},
                {5, {200, 200, 200}}, {0, grey},          {6, grey},         {7, grey},
                {-1, grey},           {16, grey},         {-32768, grey},    {32767, grey}};
  for (std::int16_t type : {std::int16_t{1}, std::int16_t{-1}, std::int16_t{1000},
                            std::int16_t{-32768}, std::int16_t{63}, std::int16_t{65}}) {
    for (const auto& c : counts) {
      for (std::int16_t v : {std::int16_t{0}, std::int16_t{-9000}, std::int16_t{32767}}) {
        EXPECT_EQ(Compose(ColourComponents(type, v, c.count)), c.colour)
            << "t=" << type << " c=" << c.count << " v=" << v;
      }
    }
  }
}

}  // namespace
}  // namespace geodata
