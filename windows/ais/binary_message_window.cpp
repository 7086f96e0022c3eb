#include "windows/ais/binary_message_window.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "ui/plain_text.h"
#include "ui/window_placement.h"

namespace ais {
namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

QWidget* makeField(const FormItem& item, QWidget* parent) {
    QWidget* field = nullptr;
    switch (item.kind) {
        case FormItemKind::Text: {
            auto* box = new QLineEdit(qs(item.text), parent);
            box->setReadOnly(true);
            box->setCursorPosition(0);
            field = box;
            break;
        }
        case FormItemKind::DateButton:
            field = new QPushButton(qs(item.text), parent);
            break;
        case FormItemKind::List: {
            auto* list = new QComboBox(parent);
            for (const std::string& s : item.items) list->addItem(qs(s));
            const int selected = item.selected;
            list->setCurrentIndex(selected);
            // Shows a value: the list may be opened to read the codes, but a
            // choice made there goes straight back to the received one. (A
            // disabled list would grey the value out.)
            QObject::connect(list, &QComboBox::currentIndexChanged, list, [list, selected](int index) {
                if (index != selected) list->setCurrentIndex(selected);
            });
            field = list;
            break;
        }
        case FormItemKind::Value:
            field = ui::PlainLabel(qs(item.text), parent);
            break;
        case FormItemKind::Note:
            return nullptr;
    }
    field->setObjectName(qs(item.objectName));
    return field;
}

// Rows of label and field, split into columns of at most `perColumn` rows.
void addRows(QGridLayout* grid, const std::vector<const FormItem*>& items, QWidget* parent, int perColumn) {
    int row = 0, column = 0;
    for (const FormItem* item : items) {
        if (item->kind == FormItemKind::Note) {
            grid->addWidget(ui::PlainLabel(qs(item->label), parent), row, column, 1, 2);
        } else {
            if (!item->label.empty()) grid->addWidget(ui::PlainLabel(qs(item->label), parent), row, column);
            grid->addWidget(makeField(*item, parent), row, column + 1);
        }
        if (++row >= perColumn) {
            row = 0;
            column += 2;
        }
    }
}

}  // namespace

FrmBinaryApplication::FrmBinaryApplication(const BinaryForm& form, QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(qs(form.objectName));
    setWindowTitle(qs(form.caption));
    setAttribute(Qt::WA_DeleteOnClose);
    QWidget* content = ui::ScrollingContent(*this);
    auto* layout = new QVBoxLayout(content);

    // Items in their order; consecutive items of one group share a frame.
    std::vector<const FormItem*> run;
    std::string runGroup;
    const int perColumn = form.items.size() > 24 ? 12 : 16;
    // Several framed groups (the positions of a tidal window) stand side by side.
    int groups = 0;
    for (std::size_t i = 0; i < form.items.size(); ++i) {
        groups += !form.items[i].group.empty() && (i == 0 || form.items[i - 1].group != form.items[i].group);
    }
    QHBoxLayout* frames = nullptr;
    if (groups > 2) {
        frames = new QHBoxLayout;
        layout->addLayout(frames);
    }
    auto flush = [&] {
        if (run.empty()) return;
        auto* grid = new QGridLayout;
        if (runGroup.empty()) {
            addRows(grid, run, this, perColumn);
            layout->addLayout(grid);
        } else {
            auto* frame = new QGroupBox(qs(runGroup), this);
            frame->setLayout(grid);
            addRows(grid, run, frame, perColumn);
            if (frames) {
                frames->addWidget(frame);
            } else {
                layout->addWidget(frame);
            }
        }
        run.clear();
    };
    for (const FormItem& item : form.items) {
        if (item.group != runGroup) {
            flush();
            runGroup = item.group;
        }
        run.push_back(&item);
    }
    flush();

    auto* accept = new QPushButton("ACCEPT", this);
    accept->setObjectName("cmdAccept");
    connect(accept, &QPushButton::clicked, this, [this] {
        emit accepted();
        close();
    });
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(accept);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    ui::KeepTitleWhole(*this);
    ui::FitToContent(*this, *content);
}

FrmMeteorological::FrmMeteorological(const BinaryMessage& m, QWidget* parent)
    : FrmBinaryApplication(MeteorologicalForm(m), parent) {}
FrmDangerousCargo::FrmDangerousCargo(const BinaryMessage& m, QWidget* parent)
    : FrmBinaryApplication(DangerousCargoForm(m), parent) {}
FrmFairwayClosed::FrmFairwayClosed(const BinaryMessage& m, QWidget* parent)
    : FrmBinaryApplication(FairwayClosedForm(m), parent) {}
FrmTidalWindow::FrmTidalWindow(const BinaryMessage& m, QWidget* parent)
    : FrmBinaryApplication(TidalWindowForm(m), parent) {}

FrmBinaryApplication* OpenApplicationWindow(ApplicationWindow window, const BinaryMessage& m, QWidget* parent) {
    switch (window) {
        case ApplicationWindow::Meteorological: return new FrmMeteorological(m, parent);
        case ApplicationWindow::DangerousCargo: return new FrmDangerousCargo(m, parent);
        case ApplicationWindow::FairwayClosed: return new FrmFairwayClosed(m, parent);
        case ApplicationWindow::TidalWindow: return new FrmTidalWindow(m, parent);
        case ApplicationWindow::None: break;
    }
    return nullptr;
}

}  // namespace ais
