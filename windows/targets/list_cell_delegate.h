// ListCellDelegate: paints the target list's cells as the standard delegate
// does, pixel for pixel, but lays out each cell's text once instead of at
// every paint.
//
// The style's own item painting shapes a cell's text two or three times per
// paint (to place it, to see whether it must be wrapped or elided, to draw
// it); with a screenful of 16 columns repainted several times a second that
// was most of the list's work. Here the laid-out text is kept per text and
// room, and the style paints the rest of the cell (background, selection)
// with the text left out.
//
// A cell the fast way does not cover (a text that does not fit on one line,
// a check box, an icon, right-to-left text, another alignment, the focus
// frame, an editor) is painted by the standard delegate.
//
// It also notes what each cell showed when it was last painted (its text and
// colour), so a view can leave a cell alone when a change of data left both
// as they were (ListCellsView).
//
//   view->setItemDelegate(new targets::ListCellDelegate(view));
#pragma once

#include <QCache>
#include <QFont>
#include <QHash>
#include <QString>
#include <QStyledItemDelegate>
#include <QTextLayout>

namespace targets {

class ListCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // How many laid-out texts are kept: several screenfuls of cells.
    static constexpr int kCachedTexts = 4096;

    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Texts laid out so far (for tests: a repaint must not lay out again).
    int layoutsMade() const { return layoutsMade_; }
    // Cells painted so far.
    int cellsPainted() const { return cellsPainted_; }

    // Whether the cell, when last painted, showed what the model says now
    // (text and colour); false for a cell never painted or forgotten.
    bool showsCurrent(const QModelIndex& index) const;

    struct TextKey {
        QString text;
        int width = 0;   // of the text's room in the cell
        int height = 0;
        bool wrap = false;
        bool operator==(const TextKey&) const = default;
    };

private:
    // A cell text laid out in its room, how far below the room's top its
    // line starts, and whether it fits on that one line.
    struct LaidText {
        QTextLayout layout;
        int top = 0;
        bool fits = false;
    };

    const LaidText& laidOut(const QString& text, const QFont& font, const QRect& room, bool wrap) const;

    // What a painted cell showed, by row and column. Forgetting is always
    // safe (the cell is painted again), so the notes are simply dropped
    // when there are more than a few screenfuls of them.
    struct Shown {
        QString text;
        QRgb colour = 0;
        bool coloured = false;
    };
    static Shown ShownOf(const QModelIndex& index);
    static quint64 CellKey(const QModelIndex& index) {
        return (static_cast<quint64>(static_cast<quint32>(index.row())) << 32) | static_cast<quint32>(index.column());
    }
    void noteShown(const QModelIndex& index) const;

    mutable QCache<TextKey, LaidText> texts_{kCachedTexts};
    mutable QFont font_;
    mutable int layoutsMade_ = 0;
    mutable int cellsPainted_ = 0;
    mutable QHash<quint64, Shown> shown_;
};

size_t qHash(const ListCellDelegate::TextKey& key, size_t seed = 0) noexcept;

}  // namespace targets
