// A row shows only the start of its text that fits the column; what is left
// out must be what could never show.

#include "ui/controls/ResultListBox.h"

#include "support/ImageDiff.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <gtest/gtest.h>

using namespace umbrix;

namespace {

QImage painted(const QString& text, int width, const QFont& font)
{
    QImage image(std::max(width, 1), 24, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.drawText(QRect(0, 0, width, 24), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     text);
    return image;
}

bool rightToLeft(const QString& text)
{
    return text.contains(QChar(0x05ea)) || text.contains(QChar(0x0645));
}

const QString kFolder = QStringLiteral("/srv/share/Projects/2026/Quarterly reports/");
const QString kTexts[] = {
    kFolder.repeated(6) + QStringLiteral("budget.xlsx"),
    kFolder + QStringLiteral("e\u0301\u200b").repeated(120) + QStringLiteral("wide"),
    kFolder + QStringLiteral("\u6587\u4ef6\u5939").repeated(60),
    kFolder + QStringLiteral("\U0001F4C1 iiii llll ").repeated(40),
    // A right-to-left run shows its last characters first.
    QStringLiteral("/h/") + QStringLiteral("\u05ea\u05d9\u05e7\u05d9\u05d4 ").repeated(60) +
        QStringLiteral("end"),
    QStringLiteral("/a/") + QStringLiteral("\u0645\u062c\u0644\u062f 123 ").repeated(60),
};
const int kWidths[] = {0, 9, 40, 130, 600};

} // namespace

// With the fonts the machine offers, glyphs a font lacks come from others
// (CJK from Droid or Noto where installed): the part left out must still
// start beyond the column by the same font's measure, and a narrow column
// must cut most of a long text.  With one font and no fallback, the part
// painted is the whole text painted, to the pixel.
TEST(RowText, WhatIsLeftOutCouldNeverShow)
{
    for (QFont font : {QFontDatabase::systemFont(QFontDatabase::GeneralFont),
                       QFont(QStringLiteral("DejaVu Sans"), 7)}) {
        for (const bool merging : {true, false}) {
            font.setStyleStrategy(merging ? QFont::PreferDefault : QFont::NoFontMerging);
            const QFontMetrics metrics(font);
            for (const int width : kWidths) {
                for (std::size_t i = 0; i < std::size(kTexts); ++i) {
                    const QString& text = kTexts[i];
                    SCOPED_TRACE(std::to_string(width) + " px: " + text.left(60).toStdString());
                    const QString part = visibleTextPart(text, width, metrics);
                    ASSERT_TRUE(text.startsWith(part));
                    if (part != text) {
                        EXPECT_GE(metrics.horizontalAdvance(part), width);
                    }
                    if (width <= 40 && !rightToLeft(text)) {
                        EXPECT_LT(part.size(), text.size() / 4);
                    }
                    if (!merging) {
                        EXPECT_TRUE(test::sameImage(
                            painted(part, width, font), painted(text, width, font),
                            "RowText-" + font.family().toStdString() + "-" +
                                std::to_string(width) + "px-text" + std::to_string(i)));
                    }
                }
            }
        }
    }
}
