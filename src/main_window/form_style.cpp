#include "main_window/form_style.h"

#include <QGroupBox>

void setFrameCaptionRed(QGroupBox* frame)
{
    frame->setStyleSheet(QStringLiteral("QGroupBox::title { color: rgb(192, 0, 0); }"));
}
