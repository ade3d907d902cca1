#include "ui/metrics.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace vt::ui {
namespace {

double Scale() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return 1.0;
    }
    return std::max(1.0, screen->logicalDotsPerInch() / 96.0);
}

}  // namespace

int Twips(int twips) { return static_cast<int>(std::lround(twips / 15.0 * Scale())); }

QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(Twips(left), Twips(top), Twips(width), Twips(height));
}

QFont SansFont(double points, bool bold) {
    QFont font = QApplication::font();
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QFont FixedFont(double points) {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSizeF(points);
    font.setWeight(QFont::Normal);
    if (!QFontInfo(font).fixedPitch()) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPointSizeF(points);
        font.setWeight(QFont::Normal);
    }
    return font;
}

}  // namespace vt::ui
