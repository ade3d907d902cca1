#include "ui/metrics.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetricsF>
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

bool Monospaced(const QFont& font) {
    // Measured, not asked: fontconfig reports some monospaced families
    // (Noto Sans Mono, URW's Nimbus Mono) as not fixed-pitch, and a
    // substitute for a missing family may be proportional.
    const QFontMetricsF metrics(font);
    const qreal width = metrics.horizontalAdvance(QLatin1Char('M'));
    for (const QChar c : QStringLiteral("il [] ")) {
        if (metrics.horizontalAdvance(c) != width) {
            return false;
        }
    }
    return true;
}

QFont FixedFont(double points) {
    const auto sized = [points](QFont font) {
        font.setPointSizeF(points);
        font.setWeight(QFont::Normal);
        font.setItalic(false);
        return font;
    };
    QFont courier(QStringLiteral("Courier New"));
    courier.setStyleHint(QFont::TypeWriter);
    QList<QFont> candidates = {courier, QFontDatabase::systemFont(QFontDatabase::FixedFont),
                               QFont(QStringLiteral("monospace"))};
    for (const QString& family : QFontDatabase::families()) {
        if (QFontDatabase::isFixedPitch(family)) {
            candidates.append(QFont(family));
        }
    }
    for (const QFont& candidate : candidates) {
        if (Monospaced(sized(candidate))) {
            return sized(candidate);
        }
    }
    return sized(courier);
}

}  // namespace vt::ui
