// The lines the text panel shows, as the tests expect them: the log of an
// open and the readouts of two neighbouring blocks.
#pragma once

#include <string>
#include <vector>

#include "view/credits.h"

namespace geodata::testing {

// The reader's three lines and the renderer's one, after a complete open.
inline std::vector<std::string> LoadLogLines() {
  return {"Reading file Header...", "Reading file data.....", "File saved in memory!", "Drawing Geodata...."};
}

// The readout in region 22_22 at (1995, 3015) twips, pixel (133, 201) of the
// drawing area: block column 66, row 100.
inline std::vector<std::string> ReadoutLines() {
  return {"Map:  22 _ 22 ", "", " World_X:  73984 ", " World_Y:  143872 ", "", " 66   100 ", "",
          std::string(kWebAddress), "", std::string(kDeveloperLine), std::string(kAuthorEmail),
          std::string(kSupportEmail), ""};
}

// The same one block column on, at pixel (135, 201).
inline std::vector<std::string> NextColumnReadoutLines() {
  std::vector<std::string> lines = ReadoutLines();
  lines[2] = " World_X:  74112 ";
  lines[5] = " 67   100 ";
  return lines;
}

}  // namespace geodata::testing
