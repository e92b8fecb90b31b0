#include "tests/support/recording_panels.h"

namespace geodata::testing {

void RecordingMap::Cls() {
  ++cls_count;
  points.clear();
  if (journal_) journal_->entries.push_back("Map.Cls");
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

}  // namespace geodata::testing
