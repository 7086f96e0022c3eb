#include "windows/targets/list_cell_delegate.h"

#include <QApplication>
#include <QColor>
#include <QHashFunctions>
#include <QPainter>
#include <QStyle>
#include <QTextLine>
#include <QTextOption>

namespace targets {

size_t qHash(const ListCellDelegate::TextKey& key, size_t seed) noexcept {
    return qHashMulti(seed, key.text, key.width, key.height, key.wrap);
}

namespace {

// A cell drawn as text over the style's background, which is all the target
// list shows; anything else goes the standard way.
bool PlainTextCell(const QStyleOptionViewItem& o) {
    constexpr auto kOther = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDecoration;
    return !(o.features & kOther) && o.showDecorationSelected && o.direction == Qt::LeftToRight &&
           o.displayAlignment == (Qt::AlignLeft | Qt::AlignVCenter) &&
           !(o.state & (QStyle::State_HasFocus | QStyle::State_Editing));
}

// The text's colour as the style picks it: highlighted in a selected row,
// from the inactive palette while the window does not have the keyboard.
QColor TextColour(const QStyleOptionViewItem& o) {
    QPalette::ColorGroup group = o.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !(o.state & QStyle::State_Active)) group = QPalette::Inactive;
    return o.palette.color(group, o.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text);
}

// Lays out the layout's text in lines `width` wide, as the style does.
void LayOutLines(QTextLayout& layout, int width, bool wrap) {
    QTextOption option;
    option.setWrapMode(wrap ? QTextOption::WordWrap : QTextOption::ManualWrap);
    option.setTextDirection(Qt::LeftToRight);
    option.setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal height = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout.endLayout();
}

}  // namespace

const ListCellDelegate::LaidText& ListCellDelegate::laidOut(const QString& text, const QFont& font, const QRect& room,
                                                            bool wrap) const {
    if (font != font_) {
        texts_.clear();
        font_ = font;
    }
    TextKey key{text, room.width(), room.height(), wrap};
    if (const LaidText* kept = texts_.object(key)) return *kept;
    ++layoutsMade_;
    auto* laid = new LaidText;
    laid->layout.setText(text);
    laid->layout.setFont(font);
    LayOutLines(laid->layout, room.width(), wrap);
    laid->fits = laid->layout.lineCount() == 1 && laid->layout.lineAt(0).naturalTextWidth() <= room.width();
    // The line is centred in the room by the height of the whole text.
    laid->top = (room.height() - laid->layout.boundingRect().size().toSize().height()) / 2;
    texts_.insert(std::move(key), laid);  // kept: a cost of 1 never exceeds the cache's
    return *laid;
}

ListCellDelegate::Shown ListCellDelegate::ShownOf(const QModelIndex& index) {
    Shown s;
    s.text = index.data(Qt::DisplayRole).toString();
    const QVariant colour = index.data(Qt::ForegroundRole);
    s.coloured = colour.isValid();
    if (s.coloured) s.colour = colour.value<QColor>().rgba();
    return s;
}

void ListCellDelegate::noteShown(const QModelIndex& index) const {
    ++cellsPainted_;
    if (shown_.size() > kCachedTexts) shown_.clear();
    shown_.insert(CellKey(index), ShownOf(index));
}

bool ListCellDelegate::showsCurrent(const QModelIndex& index) const {
    const auto it = shown_.constFind(CellKey(index));
    if (it == shown_.cend()) return false;
    const Shown now = ShownOf(index);
    return now.text == it->text && now.coloured == it->coloured && now.colour == it->colour;
}

void ListCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    noteShown(index);
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    if (!PlainTextCell(cell)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const QWidget* widget = cell.widget;
    const QStyle* style = widget ? widget->style() : QApplication::style();
    const QString text = cell.text;
    cell.text.clear();
    cell.features &= ~QStyleOptionViewItem::HasDisplay;
    const LaidText* laid = nullptr;
    QRect room;
    if (!text.isEmpty()) {
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        room = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, widget).adjusted(margin, 0, -margin, 0);
        laid = &laidOut(text, cell.font, room, cell.features & QStyleOptionViewItem::WrapText);
        // A text wrapped or cut short is rare (a column narrowed by hand).
        if (!laid->fits) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
    }
    // The background and the selection, as the style paints them, without the text.
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
    if (!laid) return;
    painter->save();
    painter->setClipRect(cell.rect, Qt::IntersectClip);
    painter->setPen(TextColour(cell));
    laid->layout.draw(painter, QPointF(room.x(), room.y() + laid->top));
    painter->restore();
}

}  // namespace targets
