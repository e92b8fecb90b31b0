// The close request a title bar's close button sends, through the platform.
#pragma once

class QWidget;

namespace geodata::testing {

void RequestClose(QWidget& window);

}  // namespace geodata::testing
