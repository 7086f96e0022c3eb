// NoticeBar: notices of what happened by itself (the table is full, a log
// cannot be written, a recording stopped), shown inside the window above its
// work instead of in a box. Nothing in it waits for the operator or takes
// the keyboard, on any platform: it is no window of its own, and none of its
// parts accepts focus. Each notice has a close button; the bar hides when
// the last one is closed.
//
//   auto* bar = new ui::NoticeBar(central);
//   layout->insertWidget(0, bar);
//   bar->add(base::MessageIcon::Information, "Orvanta", "Table full");
//
// A notice with the same title and text as one shown is not added again;
// at most kMaxNotices are shown, the oldest giving way.
#pragma once

#include <QFrame>
#include <QString>
#include <QStringList>

#include "base/operator_messages.h"

class QVBoxLayout;

namespace ui {

class NoticeBar : public QFrame {
public:
    static constexpr int kMaxNotices = 5;

    explicit NoticeBar(QWidget* parent = nullptr);
    void add(base::MessageIcon icon, const QString& title, const QString& text);
    // "title: text" of every notice shown, oldest first.
    QStringList notices() const;
    // Closes every notice.
    void clear();

private:
    QVBoxLayout* rows_;
};

}  // namespace ui
