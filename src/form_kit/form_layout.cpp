#include "form_kit/form_layout.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>

#include <functional>

namespace {

constexpr qreal kSmallestPoints = 6;

// The font of `widget`, smaller a quarter point at a time until `fits` holds for it.
QFont fittedFont(const QWidget* widget, const std::function<bool(const QFontMetrics&)>& fits)
{
    QFont font = widget->font();
    while (!fits(QFontMetrics(font)) && font.pointSizeF() - 0.25 >= kSmallestPoints)
        font.setPointSizeF(font.pointSizeF() - 0.25);
    return font;
}

void fitCaption(QPushButton* button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const QRect room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    button->setFont(fittedFont(button, [&](const QFontMetrics& metrics) {
        return metrics.size(Qt::TextShowMnemonic, button->text()).width() <= room.width();
    }));
}

// The frame's own font is the caption's; its controls keep theirs.
void fitCaption(QGroupBox* frame)
{
    const QFont kept = frame->font();
    const QFont fitted = fittedFont(frame, [&](const QFontMetrics& metrics) {
        QStyleOptionGroupBox option;
        option.initFrom(frame);
        option.fontMetrics = metrics;
        option.text = frame->title();
        option.subControls = QStyle::SC_GroupBoxLabel;
        const QRect label = frame->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel,
                                                           frame);
        return frame->rect().contains(label);
    });
    if (fitted == kept)
        return;
    for (QWidget* control : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        control->setFont(kept);
    frame->setFont(fitted);
}

void fitHeadings(QHeaderView* header)
{
    const int margin = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    header->setFont(fittedFont(header, [&](const QFontMetrics& metrics) {
        for (int section = 0; section < header->count(); ++section) {
            const QString text = header->model()->headerData(section, header->orientation()).toString();
            if (metrics.horizontalAdvance(text) + margin > header->sectionSize(section))
                return false;
        }
        return true;
    }));
}

}  // namespace

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
    const QRect room(QPoint(0, 0), label->size());
    const QFont font = fittedFont(label, [&](const QFontMetrics& metrics) {
        const QRect needed = metrics.boundingRect(room, Qt::TextWordWrap, label->text());
        return needed.width() <= room.width() && needed.height() <= room.height();
    });
    if (font != label->font())
        label->setFont(font);
}

void fitCaptions(QWidget* window)
{
    // The window's own controls: a file dialog it keeps is a window of its own.
    const auto own = [window](const QWidget* control) { return control->window() == window; };
    for (QGroupBox* frame : window->findChildren<QGroupBox*>()) {
        if (own(frame))
            fitCaption(frame);
    }
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        if (own(button))
            fitCaption(button);
    }
    for (QHeaderView* header : window->findChildren<QHeaderView*>()) {
        if (own(header) && header->orientation() == Qt::Horizontal)
            fitHeadings(header);
    }
}
