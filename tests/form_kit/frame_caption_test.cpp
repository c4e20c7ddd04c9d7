#include "form_kit/frame_caption.h"

#include <QColor>

#include <gtest/gtest.h>

TEST(FrameCaptions, MeasureContrastAsWcagDoes)
{
    const struct {
        QColor a;
        QColor b;
        double ratio;
    } cases[] = {
        {Qt::black, Qt::white, 21.0},
        {Qt::white, Qt::black, 21.0},
        {Qt::white, Qt::white, 1.0},
        {QColor(192, 0, 0), Qt::white, 6.479},
        {QColor(0x76, 0x76, 0x76), Qt::white, 4.542},  // the lightest grey that reads on white
    };
    for (const auto& c : cases)
        EXPECT_NEAR(contrastRatio(c.a, c.b), c.ratio, 0.001)
            << c.a.name().toStdString() << " on " << c.b.name().toStdString();
}

TEST(FrameCaptions, KeepTheDesignsRedOnLightWindowsAndReadOnDarkOnes)
{
    for (const QColor window : {QColor(0xef, 0xef, 0xef), QColor(Qt::white), QColor(0xd4, 0xd0, 0xc8)})
        EXPECT_EQ(frameCaptionColor(window), QColor(192, 0, 0)) << window.name().toStdString();
    for (const QColor window : {QColor(0x35, 0x35, 0x35), QColor(Qt::black), QColor(0x20, 0x24, 0x2a)}) {
        const QColor caption = frameCaptionColor(window);
        EXPECT_GE(contrastRatio(caption, window), 4.5) << window.name().toStdString();
        EXPECT_EQ(caption.hue(), 0) << caption.name().toStdString();  // still a red
    }
}
