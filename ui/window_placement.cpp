#include "ui/window_placement.h"

#include <QFontMetrics>

#include <QGuiApplication>
#include <QMainWindow>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QScreen>
#include <algorithm>
#include <array>
#include <cmath>

#include "ui/settings_store.h"
#include "ui/twips.h"

namespace ui {

namespace {

// Stored numbers beyond this (a million pixels) are not a place on any screen;
// they are cut here so the conversion to pixels cannot overflow.
constexpr double kMaxTwips = 1.5e7;

int pixelsOf(double twips, double dpi) {
    return pixelsFromTwips(static_cast<int>(std::lround(std::clamp(twips, -kMaxTwips, kMaxTwips))), dpi);
}

}  // namespace

QRect FitOnScreen(const QRect& wanted) {
    const QScreen* screen = QGuiApplication::screenAt(wanted.topLeft());
    if (!screen) screen = QGuiApplication::screenAt(wanted.center());
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return wanted;
    const QRect area = screen->availableGeometry();
    if (area.width() < 1 || area.height() <= kTitleBarAllowance) return wanted;
    const int width = std::clamp(wanted.width(), 1, area.width());
    const int height = std::clamp(wanted.height(), 1, area.height() - kTitleBarAllowance);
    const int left = std::clamp(wanted.left(), area.left(), area.left() + area.width() - width);
    const int top = std::clamp(wanted.top(), area.top(), area.top() + area.height() - kTitleBarAllowance - height);
    return {left, top, width, height};
}

QPoint PlaceClearOf(const QRect& avoid, const QSize& size) {
    constexpr int kGap = 8;
    const int height = size.height() + kTitleBarAllowance;
    const QPoint candidates[] = {{avoid.left(), avoid.bottom() + kGap},
                                 {avoid.right() + kGap, avoid.top()},
                                 {avoid.left(), avoid.top() - kGap - height},
                                 {avoid.left() - kGap - size.width(), avoid.top()}};
    for (const QPoint& p : candidates) {
        const QRect fitted = FitOnScreen(QRect(p, size));
        if (!QRect(fitted.topLeft(), QSize(fitted.width(), fitted.height() + kTitleBarAllowance)).intersects(avoid)) {
            return fitted.topLeft();
        }
    }
    return FitOnScreen(QRect(candidates[0], size)).topLeft();
}

QWidget* ScrollingContent(QWidget& window) {
    auto* scroll = new QScrollArea(&window);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    auto* content = new QWidget;
    scroll->setWidget(content);
    if (auto* main = qobject_cast<QMainWindow*>(&window)) {
        main->setCentralWidget(scroll);
    } else {
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(scroll);
    }
    return content;
}

void FitToContent(QWidget& window, QWidget& content) {
    // Sizes as they will be shown: the style's fonts and margins applied first.
    window.ensurePolished();
    content.ensurePolished();
    if (content.layout()) content.layout()->activate();
    content.adjustSize();
    QSize want = content.sizeHint().expandedTo(content.minimumSizeHint());
    if (const QScreen* s = window.screen()) {
        const QRect area = s->availableGeometry();
        want = want.boundedTo(QSize(area.width(), area.height() - kTitleBarAllowance));
    }
    // The scroll area takes no room of its own when the content fits.
    window.resize(want + QSize(2, 2));
}

void KeepTitleWhole(QWidget& window) {
    QFont bold = window.font();
    bold.setBold(true);
    const int title = QFontMetrics(bold).horizontalAdvance(window.windowTitle().trimmed());
    window.setMinimumWidth(std::max(window.minimumWidth(), title + 6 * QFontMetrics(bold).height()));
}

void WindowPlacement::place(QWidget& window, const SettingsStore* settings) {
    const double dpi = window.logicalDpiX();
    twips_.clear();
    pixels_.clear();
    for (const auto& [key, def] : keys_) {
        const double stored = settings ? settings->readNumber(key, def) : def;
        twips_.push_back(std::isfinite(stored) ? stored : def);
        pixels_.push_back(pixelsOf(twips_.back(), dpi));
    }
    const bool sized = pixels_.size() >= 4;
    // A window that keeps its own size has it from its layout once shown; fit that size.
    if (!sized && !window.testAttribute(Qt::WA_Resized)) window.adjustSize();
    const QSize size = sized ? QSize(std::max(200, pixels_[2]), std::max(200, pixels_[3])) : window.size();
    const QRect fitted = FitOnScreen(QRect(QPoint(pixels_[0], pixels_[1]), size));
    const std::array<int, 4> applied = {fitted.x(), fitted.y(), fitted.width(), fitted.height()};
    // An edge the screen moved is stored at its new place, not at the unreachable old one.
    for (size_t i = 0; i < pixels_.size(); ++i) {
        if (applied[i] != pixels_[i]) {
            pixels_[i] = applied[i];
            twips_[i] = twipsFromPixels(applied[i], dpi);
        }
    }
    window.move(fitted.topLeft());
    if (sized) window.resize(fitted.size());
}

void WindowPlacement::store(const QWidget& window, SettingsStore* settings) const {
    if (!settings) return;
    const bool minimised = window.isMinimized();
    if (minimised && minimised_ == WhenMinimised::StoreNothing) return;
    const QRect at = minimised ? window.normalGeometry() : QRect(window.pos(), window.size());
    const double dpi = window.logicalDpiX();
    const std::array<int, 4> pixels = {at.x(), at.y(), at.width(), at.height()};
    for (size_t i = 0; i < keys_.size(); ++i) {
        const bool unmoved = i < pixels_.size() && pixels[i] == pixels_[i];
        const double twips = unmoved ? twips_[i] : twipsFromPixels(pixels[i], dpi);
        settings->writeNumber(keys_[i].first, twips);
    }
    settings->sync();
}

}  // namespace ui
