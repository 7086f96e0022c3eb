#include "ui/plain_text.h"

#include <QPainter>

namespace ui {

QLabel* PlainLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(parent);
    MakePlain(*label);
    label->setText(text);
    return label;
}

void MakePlain(QLabel& label) {
    label.setTextFormat(Qt::PlainText);
}

ElidedLabel::ElidedLabel(const QString& text, QWidget* parent) : QLabel(parent) {
    MakePlain(*this);
    setText(text);
}

QSize ElidedLabel::minimumSizeHint() const {
    const QSize hint = QLabel::minimumSizeHint();
    return {std::min(hint.width(), fontMetrics().horizontalAdvance(QStringLiteral("0000000000000000"))), hint.height()};
}

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect r = contentsRect();
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, fontMetrics().elidedText(text(), Qt::ElideMiddle, r.width()));
}

void SetPlainWindowTitle(QWidget& window, const QString& title) {
    // "[*][*]" is how a title shows one literal "[*]".
    QString escaped = title;
    escaped.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    window.setWindowTitle(escaped);
}

QString MenuText(const QString& text) {
    QString escaped = text;
    return escaped.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

}  // namespace ui
