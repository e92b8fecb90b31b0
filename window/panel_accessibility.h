// What the hand-painted panels tell assistive technology: the text panel its
// lines, the progress bar its range and position, the map its role. Changes
// are announced when a panel paints, so a load raises a handful of events
// instead of one per block, and none while nothing listens.
#pragma once

class QWidget;

namespace geodata {

// Lets Qt find the panels' accessible interfaces; once per application.
void InstallPanelAccessibility();

// A panel has painted: raises the text or value change it shows since it last
// announced, if assistive technology is listening.
void AnnouncePainted(QWidget& panel);

}  // namespace geodata
