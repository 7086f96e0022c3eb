#include "ui/plain_text.h"

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
