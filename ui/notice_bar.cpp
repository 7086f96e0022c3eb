#include "ui/notice_bar.h"

#include <QHBoxLayout>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/plain_text.h"

namespace ui {

namespace {

constexpr const char* kTextName = "noticeText";

QStyle::StandardPixmap pixmapOf(base::MessageIcon icon) {
    switch (icon) {
        case base::MessageIcon::Exclamation: return QStyle::SP_MessageBoxWarning;
        case base::MessageIcon::Critical: return QStyle::SP_MessageBoxCritical;
        case base::MessageIcon::Question: return QStyle::SP_MessageBoxQuestion;
        default: break;
    }
    return QStyle::SP_MessageBoxInformation;
}

}  // namespace

NoticeBar::NoticeBar(QWidget* parent) : QFrame(parent), rows_(new QVBoxLayout(this)) {
    setObjectName("noticeBar");
    setFrameShape(QFrame::StyledPanel);
    setFocusPolicy(Qt::NoFocus);
    rows_->setContentsMargins(4, 2, 4, 2);
    rows_->setSpacing(2);
    hide();
}

QStringList NoticeBar::notices() const {
    QStringList out;
    for (int i = 0; i < rows_->count(); ++i) {
        if (const auto* l = rows_->itemAt(i)->widget()->findChild<QLabel*>(kTextName)) out << l->text();
    }
    return out;
}

void NoticeBar::add(base::MessageIcon icon, const QString& title, const QString& text) {
    const QString shown = title.isEmpty() ? text : title + ": " + text;
    if (notices().contains(shown)) return;
    if (rows_->count() >= kMaxNotices) {
        QLayoutItem* oldest = rows_->takeAt(0);
        delete oldest->widget();
        delete oldest;
    }
    auto* row = new QWidget(this);
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    auto* picture = new QLabel(row);
    const int size = style()->pixelMetric(QStyle::PM_SmallIconSize);
    picture->setPixmap(style()->standardIcon(pixmapOf(icon)).pixmap(size, size));
    // Texts quote received data and file names: never markup.
    QLabel* label = PlainLabel(shown, row);
    label->setObjectName(kTextName);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    auto* close = new QToolButton(row);
    close->setObjectName("cmdCloseNotice");
    close->setText("Close");
    close->setAutoRaise(true);
    // A click closes it without taking the keyboard from where it was.
    close->setFocusPolicy(Qt::NoFocus);
    connect(close, &QToolButton::clicked, this, [this, row] {
        row->hide();
        row->deleteLater();
        rows_->removeWidget(row);
        if (rows_->count() == 0) hide();
    });
    line->addWidget(picture);
    line->addWidget(label, 1);
    line->addWidget(close);
    rows_->addWidget(row);
    show();
}

void NoticeBar::clear() {
    while (QLayoutItem* item = rows_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    hide();
}

}  // namespace ui
