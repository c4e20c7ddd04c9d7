#include "main_window/form_style.h"

#include <QColor>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>

#include <algorithm>
#include <cmath>

namespace {

// WCAG's relative luminance and contrast ratio.
double luminance(const QColor& colour)
{
    const auto linear = [](int channel) {
        const double value = channel / 255.0;
        return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.red()) + 0.7152 * linear(colour.green()) + 0.0722 * linear(colour.blue());
}

double contrast(const QColor& a, const QColor& b)
{
    const auto [darker, lighter] = std::minmax(luminance(a), luminance(b));
    return (lighter + 0.05) / (darker + 0.05);
}

}  // namespace

QColor frameCaptionColor(const QColor& window)
{
    constexpr double kLegible = 4.5;
    QColor red(192, 0, 0);
    if (window.lightness() >= 128)
        return red;
    // On a dark window the red grows lighter until it reads.
    for (int lightness = red.lightness() + 4; contrast(red, window) < kLegible && lightness <= 255; lightness += 4)
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

QLabel* placedLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry)
{
    QLabel* label = placed(new QLabel(text, parent), name, geometry);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    fitText(label);
    return label;
}

void fitText(QLabel* label)
{
    constexpr qreal kSmallestPoints = 6;
    QFont font = label->font();
    const QRect room(QPoint(0, 0), label->size());
    const auto fits = [&] {
        const QRect needed = QFontMetrics(font).boundingRect(room, Qt::TextWordWrap, label->text());
        return needed.width() <= room.width() && needed.height() <= room.height();
    };
    while (!fits() && font.pointSizeF() - 0.25 >= kSmallestPoints)
        font.setPointSizeF(font.pointSizeF() - 0.25);
    if (font != label->font())
        label->setFont(font);
}
