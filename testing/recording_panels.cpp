#include "testing/recording_panels.h"

namespace geodata::testing {

void RecordingMap::Cls() {
  ++cls_count;
  points.clear();
  if (journal_) journal_->entries.push_back("Map.Cls");
}

void RecordingMap::PSet(float x, float y, Colour colour) {
  if (journal_) journal_->entries.push_back("Map.PSet");
  points.push_back({x, y, colour});
}

void RecordingText::Cls() {
  ++cls_count;
  lines.clear();
  if (journal_) journal_->entries.push_back("list.Cls");
}

void RecordingText::AppendLine(std::string line) {
  if (journal_) journal_->entries.push_back("list.Print:" + line);
  lines.push_back(std::move(line));
}

void RecordingProgress::Value(float value) {
  if (journal_) journal_->entries.push_back("Baras.Value:" + std::to_string(static_cast<int>(value)));
  values.push_back(value);
}

}  // namespace geodata::testing
