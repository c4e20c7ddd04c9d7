#pragma once

#include <QRect>

class QLabel;
class QString;
class QWidget;

// The windows are laid out in twips, 15 to a pixel at 96 dots per inch.
constexpr int kTwipsPerPixel = 15;

constexpr QRect twips(int left, int top, int width, int height)
{
    return {left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel, height / kTwipsPerPixel};
}

// Places `widget` on `parent` at a twips rectangle and names it.
template <typename Widget>
Widget* placed(Widget* widget, const char* name, const QRect& geometry)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
    return widget;
}

// A label at a twips rectangle, left and top aligned, its text wrapping at word
// boundaries, fitted to its rectangle.
QLabel* placedLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry);

// The design's rectangles were measured for a small 8-point font: where the
// label's font needs more room, it shrinks until the whole text shows.
void fitText(QLabel* label);

// The same for every push button, frame caption and list heading of a window,
// the design's positions and sizes kept: where the desktop's font is larger,
// a caption takes a smaller size of that font until it shows whole.
void fitCaptions(QWidget* window);
