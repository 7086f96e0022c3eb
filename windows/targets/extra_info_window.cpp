#include "windows/targets/extra_info_window.h"

#include <QPushButton>

#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QVBoxLayout>
#include <algorithm>

#include "ais/code_tables.h"
#include "targets/watch.h"
#include "ui/icon_file.h"
#include "ui/plain_text.h"
#include "ui/twips.h"
#include "ui/window_fit.h"
#include "ui/window_placement.h"

namespace targets {

namespace {

QString qs(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// A small picture of the target's class: the window's icon and the header's.
QPixmap classPicture(TargetClass c) {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.5));
    QPainterPath path;
    if (c == TargetClass::A || c == TargetClass::B) {
        const bool b = c == TargetClass::B;
        path.moveTo(16, 2);
        path.lineTo(b ? 24 : 27, 30);
        path.lineTo(b ? 8 : 5, 30);
        path.closeSubpath();
        p.setBrush(b ? QColor(255, 200, 0) : QColor(0, 170, 0));
    } else if (c == TargetClass::BS) {
        path.addRect(6, 6, 20, 20);
        path.moveTo(16, 6);
        path.lineTo(16, 26);
        path.moveTo(6, 16);
        path.lineTo(26, 16);
        p.setBrush(QColor(120, 160, 255));
    } else if (c == TargetClass::SAR) {
        path.moveTo(16, 2);
        path.lineTo(18, 12);
        path.lineTo(30, 18);
        path.lineTo(18, 18);
        path.lineTo(17, 26);
        path.lineTo(21, 30);
        path.lineTo(11, 30);
        path.lineTo(15, 26);
        path.lineTo(14, 18);
        path.lineTo(2, 18);
        path.lineTo(14, 12);
        path.closeSubpath();
        p.setBrush(QColor(255, 80, 80));
    } else if (c == TargetClass::AtoN) {
        path.moveTo(16, 2);
        path.lineTo(30, 16);
        path.lineTo(16, 30);
        path.lineTo(2, 16);
        path.closeSubpath();
        p.setBrush(QColor(200, 0, 200));
    } else {
        return {};
    }
    p.drawPath(path);
    return pm;
}

// The hull seen from above, bow to the right, with the reference point of
// the position and the four distances to it.
class DimensionSketch : public QWidget {
public:
    DimensionSketch(const std::array<int, 4>& d, QWidget* parent) : QWidget(parent), d_(d) {
        setObjectName("picDimension");
        setFixedSize(240, 80);
    }
    // A copy, not the record: the entry may be freed and given to another station.
    void setDimensions(const std::array<int, 4>& d) {
        if (d == d_) return;
        d_ = d;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        const std::array<int, 4>& d = d_;
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const double length = d[0] + d[1];
        const double beam = d[2] + d[3];
        if (length <= 0 || beam <= 0) {
            p.drawText(rect(), Qt::AlignCenter, "Dimensions n/a");
            return;
        }
        const QRectF area = QRectF(rect()).adjusted(8, 18, -48, -6);
        const double scale = std::min(area.width() / length, area.height() / beam);
        const double w = length * scale, h = beam * scale;
        const QRectF hull(area.center().x() - w / 2, area.center().y() - h / 2, w, h);
        const double bowStart = hull.right() - std::min(w * 0.25, h * 1.2);
        QPainterPath path;
        path.moveTo(hull.left(), hull.top());
        path.lineTo(bowStart, hull.top());
        path.lineTo(hull.right(), hull.center().y());
        path.lineTo(bowStart, hull.bottom());
        path.lineTo(hull.left(), hull.bottom());
        path.closeSubpath();
        p.setPen(QPen(Qt::darkGray, 1.2));
        p.setBrush(QColor(230, 236, 245));
        p.drawPath(path);
        // Port is up with the bow to the right: C up from the reference point, D down.
        const QPointF ref(hull.left() + d[1] * scale, hull.top() + d[2] * scale);
        p.setPen(QPen(Qt::red, 1));
        p.drawLine(QPointF(hull.left(), ref.y()), QPointF(hull.right(), ref.y()));
        p.drawLine(QPointF(ref.x(), hull.top()), QPointF(ref.x(), hull.bottom()));
        p.setBrush(Qt::red);
        p.drawEllipse(ref, 3, 3);
        p.setPen(Qt::black);
        const QFontMetrics fm(font());
        const auto label = [&](QPointF at, const QString& text) {
            const QRectF box(at.x() - 40, at.y() - fm.height() / 2.0, 80, fm.height());
            p.drawText(box, Qt::AlignCenter, text);
        };
        label({(ref.x() + hull.right()) / 2, hull.top() - 8}, QString("A %1").arg(d[0]));
        label({(hull.left() + ref.x()) / 2, hull.top() - 8}, QString("B %1").arg(d[1]));
        const auto side = [&](double y, const QString& text) {
            p.drawText(QRectF(hull.right() + 6, y - fm.height() / 2.0, 60, fm.height()), Qt::AlignLeft | Qt::AlignVCenter, text);
        };
        side(hull.top() + fm.height() / 2.0 - 2, QString("C %1").arg(d[2]));
        side(hull.bottom() - fm.height() / 2.0 + 2, QString("D %1").arg(d[3]));
    }

private:
    std::array<int, 4> d_;
};

// Fields that show a code's text or a name get room for it and wrap the rest;
// the others hold short numbers.
bool isLongText(std::string_view key) {
    static const std::array<std::string_view, 8> keys = {"NavStatus", "PosAccuracy", "ShipType", "CargoType",
                                                         "PosDevice", "Name",        "Destination", "AtoNType"};
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

QLabel* valueLabel(QWidget* parent, const QString& name, bool longText) {
    auto* l = ui::PlainLabel(kNotAvailableText, parent);
    l->setObjectName(name);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (longText) {
        l->setWordWrap(true);
        l->setFixedWidth(ui::pixelsFromTwips(3000, parent->logicalDpiX()));
    } else {
        l->setMinimumWidth(ui::pixelsFromTwips(1000, parent->logicalDpiX()));
    }
    return l;
}

QTableWidget* grid(QWidget* parent, const char* name, int rows, int columns) {
    auto* g = new QTableWidget(rows, columns, parent);
    g->setObjectName(name);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionMode(QAbstractItemView::NoSelection);
    g->setFocusPolicy(Qt::NoFocus);
    g->verticalHeader()->hide();
    g->verticalHeader()->setDefaultSectionSize(g->fontMetrics().height() + 2);
    g->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    g->horizontalHeader()->setHighlightSections(false);
    g->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) g->setItem(r, c, new QTableWidgetItem);
    }
    return g;
}

// Column widths: the width in twips, widened to the widest text the column shows.
void fitColumns(QTableWidget* g, const std::vector<int>& twips, const std::vector<QStringList>& texts) {
    const QFontMetrics body = g->fontMetrics();
    const QFontMetrics head = g->horizontalHeader()->fontMetrics();
    int total = 0;
    for (int c = 0; c < g->columnCount(); ++c) {
        int w = ui::pixelsFromTwips(twips[static_cast<size_t>(c)], g->logicalDpiX());
        for (const QString& s : texts[static_cast<size_t>(c)]) w = std::max(w, body.horizontalAdvance(s) + 10);
        w = std::max(w, head.horizontalAdvance(g->horizontalHeaderItem(c)->text()) + 12);
        g->setColumnWidth(c, w);
        total += w;
    }
    const int height = g->horizontalHeader()->sizeHint().height() + g->rowCount() * g->verticalHeader()->defaultSectionSize();
    g->setFixedSize(total + 2 * g->frameWidth(), height + 2 * g->frameWidth());
}

}  // namespace

// ---------------------------------------------------------------- the window

FrmAISExtraInfo::FrmAISExtraInfo(const TargetTable& table, int entry, QWidget* parent)
    : QWidget(parent, Qt::Window),
      table_(table),
      entry_(entry),
      generation_(table.Generation(entry)),
      timer_(new QTimer(this)) {
    setObjectName("frmAISExtraInfo");
    setAttribute(Qt::WA_DeleteOnClose);
    setProperty("Tag", QString::number(entry));
    ui::CloseOnEscape(*this);
    timer_->setSingleShot(true);
    timer_->setInterval(kRefreshIntervalMs);
    connect(timer_, &QTimer::timeout, this, &FrmAISExtraInfo::refresh);

    const TargetRecord& t = table_.entry(entry_);
    ui::SetPlainWindowTitle(*this, qs(ExtraInfoCaption(t)));

    // The frames stand in a scroll area: the window fits any screen (at
    // twice the scale too) and may be made smaller than its content.
    content_ = ui::ScrollingContent(*this);
    auto* top = new QVBoxLayout(content_);
    // Longer texts arriving later widen the content instead of being cut.
    top->setSizeConstraint(QLayout::SetMinimumSize);
    top->setContentsMargins(8, 6, 8, 8);
    top->setSpacing(6);
    buildHeader(top);

    auto* body = new QHBoxLayout;
    body->setSpacing(8);
    top->addLayout(body);
    leftColumn_ = new QVBoxLayout;
    rightColumn_ = new QVBoxLayout;
    leftColumn_->setAlignment(Qt::AlignTop);
    rightColumn_->setAlignment(Qt::AlignTop);
    body->addLayout(leftColumn_);
    body->addLayout(rightColumn_);

    for (int f = 0; f < static_cast<int>(InfoFrame::kCount); ++f) {
        const InfoFrameDesign& d = FrameDesign(static_cast<InfoFrame>(f));
        frames_[static_cast<size_t>(f)] = buildFrame(content_, d.name, d.caption, d.fields);
    }
    // The communication state holds one frame per channel.
    QGroupBox* comm = frames_[static_cast<size_t>(InfoFrame::CommState)];
    auto* commLayout = new QVBoxLayout(comm);
    for (size_t i = 0; i < 2; ++i) {
        commLayout->addWidget(buildFrame(comm, kChannelFrameNames[i], kChannelFrameCaptions[i], ChannelFields()));
    }
    body->addWidget(buildStatistics(content_), 0, Qt::AlignTop);

    setIcons();
    layout_ = ExtraInfoLayoutFor(t);
    placeFrames();

    // Contents when the window opens: the frames of the class's messages, the
    // latest last, and the statistics in full.
    for (int type : ExtraInfoFillOrder(t, layout_.typesOnOpen)) write(FillExtraInfo(t, type));
    write(FillExtraInfo(t, 0));  // the special reports
    grid_ = StatisticsGridOnOpen(t);
    for (int r = 1; r < kStatRows; ++r) writeStatisticsRow(r);
    writeSummary();
    shownCounts_ = t.MsgCount;
    fitToContent();
}

void FrmAISExtraInfo::fitToContent() { ui::FitToContent(*this, *content_); }

void FrmAISExtraInfo::buildHeader(QVBoxLayout* top) {
    const TargetRecord& t = table_.entry(entry_);
    const ExtraInfoHeader h = ExtraInfoHeaderFor(t);
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    picClass_ = ui::PlainLabel({}, this);
    picClass_->setObjectName("picClass");
    row->addWidget(picClass_);
    const auto pair = [&](const char* caption, const char* name, const std::string& text) {
        row->addWidget(ui::PlainLabel(caption, this));
        auto* value = ui::PlainLabel(qs(text), this);
        value->setObjectName(name);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        QFont bold = value->font();
        bold.setBold(true);
        value->setFont(bold);
        row->addWidget(value);
        row->addSpacing(14);
        return value;
    };
    lblMMSI_ = pair("MMSI : ", "lblMMSI", h.mmsi);
    lblClass_ = pair("AIS Class : ", "lblClass", h.classText);
    picFlag_ = ui::PlainLabel({}, this);
    picFlag_->setObjectName("picFlag");
    lblNationality_ = pair("Flag state : ", "lblNationality", h.nationality);
    lblCPA_ = pair("CPA : ", "lblCPA", CPAText(t));
    lblTCPA_ = pair("TCPA : ", "lblTCPA", TCPAText(t));
    lblRxPercent_ = pair("Rx % : ", "lblRxPercent", RxPercentText(t, t.LastMsgMonotonic));
    lblLongestGap_ = pair("Longest gap : ", "lblLongestGap", LongestGapText(t));
    // The tag block source (s:) of the latest message: which receiver heard it.
    lblSource_ = pair("Source : ", "lblSource", t.LastSource.empty() ? "n/a" : t.LastSource);
    row->insertWidget(row->indexOf(lblNationality_), picFlag_);
    row->addStretch(1);
    auto* track = new QPushButton("&Track...", this);
    track->setObjectName("cmdTrack");
    track->setToolTip("The station's stored track for a period: drawn on the plot, exported as GPX, GeoJSON or CSV.");
    connect(track, &QPushButton::clicked, this, [this] {
        // A removed station's entry may hold another one by now: its MMSI is the one shown.
        if (removed()) return emit trackRequested(lblMMSI_->text().toInt(), {});
        const TargetRecord& t = table_.entry(entry_);
        emit trackRequested(t.MMSI, QString::fromStdString(t.Id.Name).remove('@').trimmed());
    });
    row->addWidget(track, 0, Qt::AlignTop);
    picDimension_ = new DimensionSketch(SketchDimensions(t), this);
    row->addWidget(picDimension_);
    top->addLayout(row);
    // Shown once the station has left the table; the window then keeps what it showed last.
    lblRemoved_ = ui::PlainLabel("removed", this);
    lblRemoved_->setObjectName("lblRemoved");
    lblRemoved_->setStyleSheet("color: red; font-weight: bold");
    lblRemoved_->hide();
    top->addWidget(lblRemoved_);
}

QGroupBox* FrmAISExtraInfo::buildFrame(QWidget* parent, const char* name, const char* caption,
                                       const std::vector<InfoField>& fields) {
    auto* frame = new QGroupBox(caption, parent);
    frame->setObjectName(name);
    if (fields.empty()) return frame;
    auto* g = new QGridLayout(frame);
    g->setContentsMargins(8, 4, 8, 4);
    g->setHorizontalSpacing(10);
    g->setVerticalSpacing(0);
    int r = 0;
    for (const InfoField& f : fields) {
        g->addWidget(ui::PlainLabel(f.caption, frame), r, 0);
        const QString labelName = qs(ValueLabelName(name, f.key));
        QLabel* value = valueLabel(frame, labelName, isLongText(f.key));
        labels_.insert(labelName, value);
        g->addWidget(value, r, 1);
        ++r;
    }
    g->setColumnStretch(1, 1);
    return frame;
}

QGroupBox* FrmAISExtraInfo::buildStatistics(QWidget* parent) {
    auto* frame = new QGroupBox(kStatisticsFrameCaption, parent);
    frame->setObjectName(kStatisticsFrameName);
    auto* v = new QVBoxLayout(frame);
    v->setContentsMargins(6, 4, 6, 6);

    const StatisticsGrid empty = StatisticsGridOnOpen(TargetRecord{});
    hfgMsgStatistics_ = grid(frame, "hfgMsgStatistics", kStatRows - 1, kStatColumns);
    QStringList titles;
    for (const std::string& s : empty[0]) titles << qs(s);
    hfgMsgStatistics_->setHorizontalHeaderLabels(titles);
    std::vector<QStringList> widest(kStatColumns);
    for (int r = 1; r < kStatRows; ++r) widest[1] << qs(empty[static_cast<size_t>(r)][1]);
    widest[0] << "Msg26";
    widest[3] << "00:00:00";
    widest[4] << "86400.0 s";
    widest[5] << "3.3 sec";
    fitColumns(hfgMsgStatistics_, {600, 2000, 600, 900, 900, 900}, widest);
    v->addWidget(hfgMsgStatistics_);

    hfgMsgStatistics2_ = grid(frame, "hfgMsgStatistics2", 1, static_cast<int>(kSummaryTitles.size()));
    QStringList summaryTitles;
    for (const char* s : kSummaryTitles) summaryTitles << s;
    hfgMsgStatistics2_->setHorizontalHeaderLabels(summaryTitles);
    fitColumns(hfgMsgStatistics2_, {1100, 1400, 1000, 900, 600, 900, 600},
               {{"99999"}, {"06 Dec 14:05:09"}, {"999:59:59"}, {}, {}, {}, {}});
    v->addWidget(hfgMsgStatistics2_);
    return frame;
}

void FrmAISExtraInfo::setIcons() {
    const TargetRecord& t = table_.entry(entry_);
    // The flag first; a class picture, where the class has one, takes its place as icon.
    if (!t.FlagIcon.empty()) {
        const QPixmap flag = ui::LoadIconFile(t.FlagIcon);
        if (!flag.isNull()) {
            setWindowIcon(QIcon(flag));
            picFlag_->setPixmap(flag.scaledToHeight(fontMetrics().height() + 4, Qt::SmoothTransformation));
        }
    }
    const QPixmap picture = classPicture(t.Class);
    if (!picture.isNull()) {
        setWindowIcon(QIcon(picture));
        picClass_->setPixmap(picture.scaledToHeight(24, Qt::SmoothTransformation));
    }
}

void FrmAISExtraInfo::placeFrames() {
    for (QGroupBox* f : frames_) {
        leftColumn_->removeWidget(f);
        rightColumn_->removeWidget(f);
        f->hide();
    }
    for (InfoFrame f : layout_.left) leftColumn_->addWidget(frames_[static_cast<size_t>(f)]);
    for (InfoFrame f : layout_.right) rightColumn_->addWidget(frames_[static_cast<size_t>(f)]);
    for (InfoFrame f : layout_.left) frames_[static_cast<size_t>(f)]->show();
    for (InfoFrame f : layout_.right) frames_[static_cast<size_t>(f)]->show();
    fitToContent();
}

void FrmAISExtraInfo::write(const std::vector<LabelText>& texts) {
    for (const LabelText& l : texts) {
        if (QLabel* label = labels_.value(qs(l.name))) label->setText(qs(l.text));
    }
}

void FrmAISExtraInfo::writeStatisticsRow(int row) {
    const auto& cells = grid_[static_cast<size_t>(row)];
    for (int c = 0; c < kStatColumns; ++c) hfgMsgStatistics_->item(row - 1, c)->setText(qs(cells[static_cast<size_t>(c)]));
}

void FrmAISExtraInfo::writeSummary() {
    const auto cells = StatisticsSummary(table_.entry(entry_));
    for (size_t c = 0; c < cells.size(); ++c) hfgMsgStatistics2_->item(0, static_cast<int>(c))->setText(qs(cells[c]));
}

QString FrmAISExtraInfo::valueText(const QString& name) const {
    const QLabel* label = labels_.value(name);
    return label ? label->text() : QString();
}

void FrmAISExtraInfo::targetChanged() {
    if (!removed_ && !timer_->isActive()) timer_->start();
}

void FrmAISExtraInfo::writeApproach() {
    if (removed()) return;
    const TargetRecord& t = table_.entry(entry_);
    lblCPA_->setText(QString::fromStdString(t.HasCPA ? CPAText(t) + " nm" : CPAText(t)));
    lblTCPA_->setText(QString::fromStdString(t.HasCPA ? TCPAText(t) + " min" : TCPAText(t)));
    lblCPA_->setStyleSheet(t.Dangerous ? "color: red" : "");
}

bool FrmAISExtraInfo::removed() const { return removed_ || table_.Generation(entry_) != generation_; }

void FrmAISExtraInfo::markRemoved() {
    if (removed_) return;
    removed_ = true;
    timer_->stop();
    lblRemoved_->show();
    ui::SetPlainWindowTitle(*this, windowTitle() + " - removed");
}

void FrmAISExtraInfo::refresh() {
    timer_->stop();
    // The entry may hold another station by now: nothing of it is shown here.
    if (removed()) {
        markRemoved();
        return;
    }
    const TargetRecord& t = table_.entry(entry_);
    writeApproach();
    // Only a message changes what is shown otherwise; ageing alone changes nothing here.
    if (t.MsgCount[0] == shownCounts_[0]) return;
    lblRxPercent_->setText(qs(RxPercentText(t, t.LastMsgMonotonic)));
    lblLongestGap_->setText(qs(LongestGapText(t)));
    lblSource_->setText(qs(t.LastSource.empty() ? "n/a" : t.LastSource));
    std::vector<int> arrived;
    for (int type = 1; type <= 26; ++type) {
        if (t.MsgCount[static_cast<size_t>(type)] != shownCounts_[static_cast<size_t>(type)]) arrived.push_back(type);
    }
    for (int type : ExtraInfoFillOrder(t, arrived)) {
        write(FillExtraInfo(t, type));
        StatisticsRowAfterMessage(t, type, grid_);
        writeStatisticsRow(type);
    }
    write(FillExtraInfo(t, 0));
    writeSummary();
    if (auto caption = ExtraInfoCaptionUpdate(windowTitle().toStdString(), t)) {
        ui::SetPlainWindowTitle(*this, qs(*caption));
    }
    // A class A vessel's first static data report brings its frame.
    static_cast<DimensionSketch*>(picDimension_)->setDimensions(SketchDimensions(t));
    const ExtraInfoLayout now = ExtraInfoLayoutFor(t);
    if (!(now == layout_)) {
        layout_ = now;
        placeFrames();
    }
    shownCounts_ = t.MsgCount;
}

// ---------------------------------------------------------------- the set of windows

ExtraInfoWindows::ExtraInfoWindows(const TargetTable& table, QWidget* mainWindow, QObject* parent)
    : QObject(parent), table_(table), main_(mainWindow) {}

ExtraInfoWindows::~ExtraInfoWindows() {
    for (auto& w : windows_) delete w.data();
    for (auto& w : removedWindows_) delete w.data();
}

FrmAISExtraInfo* ExtraInfoWindows::window(int entry) const { return windows_.value(entry).data(); }

void ExtraInfoWindows::approachesChanged() {
    for (const auto& w : windows_) {
        if (w) w->writeApproach();
    }
}

void ExtraInfoWindows::targetsRemoved(const std::vector<RemovedTarget>& removed) {
    for (const RemovedTarget& r : removed) {
        QPointer<FrmAISExtraInfo> w = windows_.take(r.entry);
        if (!w) continue;
        // Stays open, marked, until the operator closes it; the entry's next
        // station gets a window of its own.
        w->markRemoved();
        removedWindows_.push_back(w);
    }
    removedWindows_.erase(std::remove_if(removedWindows_.begin(), removedWindows_.end(),
                                         [](const QPointer<FrmAISExtraInfo>& p) { return p.isNull(); }),
                          removedWindows_.end());
}

FrmAISExtraInfo* ExtraInfoWindows::open(int entry, int clickYTwips) {
    if (!table_.InUse(entry)) return nullptr;
    if (FrmAISExtraInfo* w = window(entry)) {
        w->showNormal();
        w->raise();
        w->activateWindow();
        return w;
    }
    const double dpi = main_ ? main_->logicalDpiX() : 96.0;
    const int mainLeft = main_ ? ui::twipsFromPixels(main_->x(), dpi) : 0;
    const int mainTop = main_ ? ui::twipsFromPixels(main_->y(), dpi) : 0;
    const int mainWidth = main_ ? ui::twipsFromPixels(main_->width(), dpi) : 0;
    const TwipsPoint at = NextExtraInfoPlace(placement_, mainLeft, mainTop, mainWidth, clickYTwips);

    auto* w = new FrmAISExtraInfo(table_, entry);
    windows_.insert(entry, w);
    connect(w, &FrmAISExtraInfo::trackRequested, this, &ExtraInfoWindows::trackRequested);
    // A click low in the list must not put the window below the screen.
    const QPoint pos(ui::pixelsFromTwips(at.left, dpi), ui::pixelsFromTwips(at.top, dpi));
    const QRect fitted = ui::FitOnScreen(QRect(pos, w->size()));
    w->resize(fitted.size());
    w->move(fitted.topLeft());
    w->show();
    ui::KeepFrameOnScreen(*w);
    return w;
}

void ExtraInfoWindows::targetChanged(int entry) {
    if (FrmAISExtraInfo* w = window(entry)) w->targetChanged();
}

}  // namespace targets
