#include "form_kit/frame_caption.h"

#include <QColor>
#include <QGroupBox>

#include <algorithm>
#include <cmath>

namespace {

// WCAG's relative luminance.
double luminance(const QColor& colour)
{
    const auto linear = [](int channel) {
        const double value = channel / 255.0;
        return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.red()) + 0.7152 * linear(colour.green()) + 0.0722 * linear(colour.blue());
}

}  // namespace

double contrastRatio(const QColor& a, const QColor& b)
{
    // The list form of minmax returns values; the two-argument form would return
    // references to the temporaries.
    const auto [darker, lighter] = std::minmax({luminance(a), luminance(b)});
    return (lighter + 0.05) / (darker + 0.05);
}

QColor frameCaptionColor(const QColor& window)
{
    constexpr double kLegible = 4.5;
    QColor red(192, 0, 0);
    if (window.lightness() >= 128)
        return red;
    // On a dark window the red grows lighter until it reads.
    for (int lightness = red.lightness() + 4; contrastRatio(red, window) < kLegible && lightness <= 255; lightness += 4)
        red = QColor::fromHsl(0, 255, lightness);
    return red;
}

void setFrameCaptionRed(QGroupBox* frame)
{
    const QColor caption = frameCaptionColor(frame->palette().color(QPalette::Window));
    frame->setStyleSheet(QStringLiteral("QGroupBox::title { color: rgb(%1, %2, %3); }")
                             .arg(caption.red())
                             .arg(caption.green())
                             .arg(caption.blue()));
}
