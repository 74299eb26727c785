#pragma once

class QWidget;

// Border styles of text boxes and lists, by number:
//   0 sunken edge inside a raised frame   1 thick raised sizing frame
//   2 raised frame                        3 deep sunken edge
//   4 sunken edge                         5 thin sunken edge (text boxes and lists)
//   6 plain one-pixel border (folder and file lists)
//   any other number: no border
namespace mdlSetBoxSpec {

// Frames (text areas, lists, labels) get the border as their frame; other widgets, such
// as one-line text boxes, get it through their style sheet, which this replaces.
void setBoxSpec(QWidget* box, int style);

// How many pixels the border of a style takes on each side.
int borderWidth(int style);

}  // namespace mdlSetBoxSpec
