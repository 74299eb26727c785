#pragma once

#include <functional>

class QEvent;
class QMimeData;

// The drag-and-drop part of an event filter on a box that takes dropped files: a drag that
// brings file names (URLs or text) is accepted, any other is refused, and a drop's data goes
// to take. True when event was one of those and has been handled.
bool takeFileDrop(QEvent* event, const std::function<void(const QMimeData&)>& take);
