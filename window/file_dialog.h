// The open-file dialog as the open command uses it, so that tests can stand
// in for the person choosing a file.
#pragma once

#include <string>

namespace geodata {

class FileDialog {
 public:
  virtual ~FileDialog() = default;
  // Pairs of a description and a pattern, each separated by "|".
  virtual void Filter(std::string filter) = 0;
  // Modal; true when a file was confirmed, false on a cancel.
  virtual bool ShowOpen() = 0;
  virtual std::string FileName() const = 0;
};

}  // namespace geodata
