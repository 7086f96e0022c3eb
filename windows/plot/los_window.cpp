#include "windows/plot/los_window.h"

#include <QCloseEvent>
#include <QShortcut>
#include <QGridLayout>
#include <QInputDialog>
#include <QMouseEvent>

#include "ui/plain_text.h"
#include "ui/window_placement.h"

namespace plot {

namespace {
QString FromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
}  // namespace

FrmLOS::FrmLOS(LineOfSightState& los, ui::SettingsStore* settings, QWidget* parent)
    : QWidget(parent, Qt::Tool), los_(los), settings_(settings), placement_({{"LOSLeft", 1950}, {"LOSTop", 1000}}) {
    setObjectName("frmLOS");
    setWindowTitle(kCaption);
    setAttribute(Qt::WA_DeleteOnClose);
    inputBox_ = [this](const QString& title, const QString& prompt, const QString& def) -> std::optional<QString> {
        bool ok = false;
        const QString answer = QInputDialog::getText(this, title, prompt, QLineEdit::Normal, def, &ok);
        if (!ok) return std::nullopt;
        return answer;
    };

    auto* grid = new QGridLayout(this);
    static const char* const kCaptions[2] = {"Height of eye :", "Height of object :"};
    const float stored[2] = {los_.heightOfEye, los_.heightOfObject};
    for (int i = 0; i < 2; ++i) {
        auto* label = ui::PlainLabel(kCaptions[i], this);
        label->setObjectName(QString("lblHeight_%1").arg(i));
        label->installEventFilter(this);
        auto* button = new QPushButton(FromUtf8(StoredHeightText(stored[i])), this);
        button->setObjectName(QString("cmdHeight_%1").arg(i));
        button->setToolTip("Height in metres");
        connect(button, &QPushButton::clicked, this, [this, i] { cmdHeight_Click(i); });
        lblHeight_[static_cast<size_t>(i)] = label;
        cmdHeight_[static_cast<size_t>(i)] = button;
        grid->addWidget(label, i, 0);
        grid->addWidget(button, i, 1);
        grid->addWidget(ui::PlainLabel("m", this), i, 2);
    }
    const LosTexts shown = LosFromRange(los_.range);
    grid->addWidget(ui::PlainLabel("Line Of Sight : ", this), 2, 0);
    lblLOS_km_ = ui::PlainLabel(FromUtf8(shown.km), this);
    lblLOS_km_->setObjectName("lblLOS_km");
    lblLOS_nmile_ = ui::PlainLabel(FromUtf8(shown.nmile), this);
    lblLOS_nmile_->setObjectName("lblLOS_nmile");
    grid->addWidget(lblLOS_km_, 2, 1);
    grid->addWidget(lblLOS_nmile_, 3, 1);
    grid->addWidget(ui::PlainLabel("L.O.S. = 4.1 x (Sqr(h1) + Sqr(h2)) km", this), 4, 0, 1, 3);
    grid->addWidget(ui::PlainLabel("or           2.2 x (Sqr(h1) + Sqr(h2) ) nmile", this), 5, 0, 1, 3);
    ui::KeepTitleWhole(*this);
    placement_.place(*this, settings_);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
}

void FrmLOS::cmdHeight_Click(int index) {
    QPushButton* button = cmdHeight_[static_cast<size_t>(index)];
    const auto answer = inputBox_(kHeightTitles[index], kHeightPrompt, button->text());
    if (!answer) return;
    const auto caption = HeightCaption(answer->toStdString());
    if (!caption) return;
    button->setText(FromUtf8(*caption));
    double h1 = 0, h2 = 0;
    const LosTexts t = LosFromCaptions(cmdHeight_[0]->text().toStdString(), cmdHeight_[1]->text().toStdString(), h1, h2);
    lblLOS_km_->setText(FromUtf8(t.km));
    lblLOS_nmile_->setText(FromUtf8(t.nmile));
    los_.heightOfEye = static_cast<float>(h1);
    los_.heightOfObject = static_cast<float>(h2);
    los_.range = static_cast<float>(LosRangeMetres(h1, h2));
    emit rangeChanged();
}

bool FrmLOS::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        for (int i = 0; i < 2; ++i) {
            if (watched == lblHeight_[static_cast<size_t>(i)]) {
                cmdHeight_Click(i);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FrmLOS::closeEvent(QCloseEvent* event) {
    placement_.store(*this, settings_);
    emit closed();
    QWidget::closeEvent(event);
}

}  // namespace plot
