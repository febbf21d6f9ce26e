#include "support/ImageDiff.h"

#include <QDir>
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>

namespace umbrix::test {
namespace {

// A file name of `name`'s letters and digits, the rest as "_".
std::string fileStem(const std::string& name)
{
    std::string stem = name.substr(0, 80);
    std::replace_if(
        stem.begin(), stem.end(), [](unsigned char c) { return !std::isalnum(c); }, '_');
    return stem;
}

} // namespace

::testing::AssertionResult sameImage(const QImage& actual, const QImage& expected,
                                     const std::string& name)
{
    const QImage a = actual.convertToFormat(QImage::Format_RGB32);
    const QImage e = expected.convertToFormat(QImage::Format_RGB32);
    if (a == e)
        return ::testing::AssertionSuccess();

    std::ostringstream why;
    QImage map(std::max(a.width(), e.width()), std::max(a.height(), e.height()),
               QImage::Format_RGB32);
    map.fill(Qt::white);
    if (a.size() != e.size()) {
        why << "sizes differ: " << a.width() << "x" << a.height() << " painted, " << e.width()
            << "x" << e.height() << " expected\n";
    } else {
        int rows = 0;
        for (int y = 0; y < a.height(); ++y) {
            int first = -1, last = -1;
            for (int x = 0; x < a.width(); ++x) {
                if (a.pixel(x, y) != e.pixel(x, y)) {
                    first = first < 0 ? x : first;
                    last = x;
                    map.setPixel(x, y, qRgb(255, 0, 0));
                }
            }
            if (first >= 0 && ++rows <= 12)
                why << "row " << y << " differs in columns " << first << ".." << last << "\n";
        }
        if (rows > 12)
            why << "... " << rows << " rows differ in all\n";
    }
    const char* logDir = std::getenv("UMBRIX_TEST_LOG_DIR");
    const QString folder = QString::fromLocal8Bit(logDir && *logDir ? logDir : ".");
    const QString stem = QDir(folder).absoluteFilePath(QString::fromStdString(fileStem(name)));
    a.save(stem + QStringLiteral("-painted.png"));
    e.save(stem + QStringLiteral("-expected.png"));
    map.save(stem + QStringLiteral("-differences.png"));
    why << "images: " << stem.toStdString() << "-{painted,expected,differences}.png";
    return ::testing::AssertionFailure() << why.str();
}

} // namespace umbrix::test
