// A row shows only the start of its text that fits the column; what is left
// out must be what could never show.

#include "ui/controls/ResultListBox.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using namespace umbrix;

namespace {

QImage painted(const QString& text, int width, const QFont& font)
{
    QImage image(width, 24, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.drawText(QRect(0, 0, width, 24), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     text);
    return image;
}

} // namespace

TEST(RowText, ThePartPaintedIsEverythingThatCanShow)
{
    const QString folder = QStringLiteral("/srv/share/Projects/2026/Quarterly reports/");
    const QString texts[] = {
        folder.repeated(6) + QStringLiteral("budget.xlsx"),
        folder + QStringLiteral("e\u0301\u200b").repeated(120) + QStringLiteral("wide"),
        folder + QStringLiteral("\u6587\u4ef6\u5939").repeated(60),
        folder + QStringLiteral("\U0001F4C1 iiii llll ").repeated(40),
        // A right-to-left run shows its last characters first.
        QStringLiteral("/h/") + QStringLiteral("\u05ea\u05d9\u05e7\u05d9\u05d4 ").repeated(60) +
            QStringLiteral("end"),
        QStringLiteral("/a/") + QStringLiteral("\u0645\u062c\u0644\u062f 123 ").repeated(60),
    };
    for (const QFont& font : {QFontDatabase::systemFont(QFontDatabase::GeneralFont),
                              QFont(QStringLiteral("DejaVu Sans"), 7)}) {
        const QFontMetrics metrics(font);
        for (const int width : {0, 9, 40, 130, 600}) {
            for (const QString& text : texts) {
                const QString part = visibleTextPart(text, width, metrics);
                ASSERT_TRUE(text.startsWith(part));
                EXPECT_EQ(painted(part, std::max(width, 1), font),
                          painted(text, std::max(width, 1), font))
                    << width << " px: " << text.toStdString();
                const bool rightToLeft =
                    text.contains(QChar(0x05ea)) || text.contains(QChar(0x0645));
                if (width <= 40 && !rightToLeft) {
                    EXPECT_LT(part.size(), text.size() / 4)
                        << width << " px: " << text.toStdString();
                }
            }
        }
    }
}
