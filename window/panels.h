// The operations through which the reader, the renderer and the readout show
// their work. Toolkit-free: window/ binds them to Qt, tests to recording fakes.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace geodata {

// A colour as it reaches the map panel, each component already 0..255.
struct Colour {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend bool operator==(const Colour&, const Colour&) = default;
};

// One item of a printed line: text is written unchanged, a number by the
// number rule of ComposeLine.
using PrintItem = std::variant<std::string_view, double>;

// Composes the items of one Print into the text of one line.
// Numbers: decimal, no grouping, "-" or one space before, one space after.
std::string ComposeLine(std::initializer_list<PrintItem> items);

// The map panel: positions are in twips, origin at the top-left corner of the
// drawing area.
class MapPanel {
 public:
  virtual ~MapPanel() = default;
  virtual void Cls() = 0;
  virtual void PSet(float x, float y, Colour colour) = 0;
};

// The text panel, which is also the program's log.
class TextPanel {
 public:
  virtual ~TextPanel() = default;
  virtual void Cls() = 0;
  void Print(std::initializer_list<PrintItem> items) { AppendLine(ComposeLine(items)); }
  void Print() { AppendLine(std::string()); }

 protected:
  virtual void AppendLine(std::string line) = 0;
};

// The progress bar, range 0..kProgressMax.
class ProgressPanel {
 public:
  static constexpr float kProgressMax = 65536.0F;
  virtual ~ProgressPanel() = default;
  virtual void Value(float value) = 0;
};

}  // namespace geodata
