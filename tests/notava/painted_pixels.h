// Test helper: reading back what a widget painted.
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <functional>

// How many pixels of `rect` in `image` match.
inline int pixelsIn(const QImage& image, const QRect& rect, const std::function<bool(QColor)>& match) {
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (match(image.pixelColor(x, y))) ++count;
    return count;
}

inline bool reddish(QColor c) { return c.red() > 180 && c.green() < 100 && c.blue() < 100; }
inline bool bluish(QColor c) { return c.blue() > 180 && c.red() < 100 && c.green() < 100; }
