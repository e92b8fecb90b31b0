// Panels that take every operation and keep nothing: they time the core
// without a toolkit behind it.
#pragma once

#include <string>

#include "window/panels.h"

namespace geodata::bench {

class NullMap final : public MapPanel {
 public:
  void Cls() override {}
  void PSet(float /*x*/, float /*y*/, Colour colour) override { last = colour; }
  Colour last;  // kept, so the painting cannot be optimised away
};

class NullText final : public TextPanel {
 public:
  void Cls() override { lines = 0; }
  int lines = 0;

 protected:
  void AppendLine(std::string /*line*/) override { ++lines; }
};

class NullProgress final : public ProgressPanel {
 public:
  void Value(float value) override { last = value; }
  float last = 0;
};

}  // namespace geodata::bench
