// Texts that come from the air or from files (names, call signs,
// destinations, message texts, ship database and landmark names, raw input)
// are data, never markup. Qt guesses the format of a label, a tool tip or a
// message box from its text, so a ship named "<IMG SRC=X.PNG>" would load a
// picture. Every label of the program is made here, plain from the start:
//
//   QLabel* name = ui::PlainLabel(QString::fromStdString(t.Name), parent);
//   name->setText(...);                           // stays plain
//   ui::SetPlainWindowTitle(window, caption);     // "[*]" in a name is shown as such
//   menu->addMenu(ui::MenuText(fileName));        // "&" in a name is shown as such
//
// Line edits, plain text boxes, lists, group boxes and table items never
// interpret markup and need nothing from here.
#pragma once

#include <QLabel>
#include <QString>
#include <QWidget>

namespace ui {

// A label that shows its text literally, whatever it holds.
QLabel* PlainLabel(const QString& text, QWidget* parent);
// Makes an existing label (one of a QLabel subclass) plain.
void MakePlain(QLabel& label);

// A plain label that gives way when its place is narrower than its text: it
// leaves out the middle ("TCP/IP Addr…  State : Connected"), so the start
// and the end (a state, a count-down) stay readable. text() is the whole text.
class ElidedLabel : public QLabel {
public:
    explicit ElidedLabel(const QString& text, QWidget* parent);
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A window title shown literally: Qt would otherwise drop a "[*]" in it.
void SetPlainWindowTitle(QWidget& window, const QString& title);
// A menu or button caption shown literally: "&" would otherwise mark a shortcut.
QString MenuText(const QString& text);

}  // namespace ui
