#pragma once

class QColor;
class QGroupBox;

// WCAG's contrast ratio of two colours, from 1 (the same) to 21 (black on white).
double contrastRatio(const QColor& a, const QColor& b);

// Frame captions are dark red, RGB(192, 0, 0); on a dark window, a red light
// enough for a contrast of 4.5:1. A style sheet on the title alone keeps the
// colour off the frame's children, which a palette would reach.
QColor frameCaptionColor(const QColor& window);
void setFrameCaptionRed(QGroupBox* frame);
