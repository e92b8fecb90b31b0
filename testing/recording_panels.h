// Panels that remember every operation, for tests of the reader, the renderer
// and the readout. One journal, when given, keeps the order across all three.
#pragma once

#include <string>
#include <vector>

#include "window/panels.h"

namespace geodata::testing {

struct Journal {
  std::vector<std::string> entries;  // "Map.Cls", "Map.PSet", "list.Print:<line>", "Baras.Value:<n>", ...
};

struct Point {
  float x;
  float y;
  Colour colour;
};

class RecordingMap final : public MapPanel {
 public:
  explicit RecordingMap(Journal* journal = nullptr) : journal_(journal) {}
  void Cls() override;
  void PSet(float x, float y, Colour colour) override;
  int cls_count = 0;
  std::vector<Point> points;

 private:
  Journal* journal_;
};

class RecordingText final : public TextPanel {
 public:
  explicit RecordingText(Journal* journal = nullptr) : journal_(journal) {}
  void Cls() override;
  int cls_count = 0;
  std::vector<std::string> lines;  // since the last Cls

 protected:
  void AppendLine(std::string line) override;

 private:
  Journal* journal_;
};

class RecordingProgress final : public ProgressPanel {
 public:
  explicit RecordingProgress(Journal* journal = nullptr) : journal_(journal) {}
  void Value(float value) override;
  std::vector<float> values;

 private:
  Journal* journal_;
};

}  // namespace geodata::testing
