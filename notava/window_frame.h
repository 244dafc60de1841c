// Under a window manager a top-level window gets a frame (title bar and
// borders) around the area Qt's geometry describes. Where the outer size or
// the position of the whole window is what counts, the window is set again
// once the frame is known; without a frame nothing changes.
#pragma once

#include <QMargins>
#include <functional>

class QWidget;

// Calls `place` with the frame's margins the first time the window, shown,
// has a frame of non-zero size.
void whenFramed(QWidget* window, std::function<void(const QMargins&)> place);
