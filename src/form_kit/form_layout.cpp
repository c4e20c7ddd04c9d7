#include "form_kit/form_layout.h"

#include <QFontMetrics>
#include <QLabel>

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
