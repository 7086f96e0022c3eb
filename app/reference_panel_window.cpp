#include "app/reference_panel_window.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <cmath>

#include "station/receiver.h"
#include "base/number_format.h"
#include "geodesy/position_text.h"
#include "windows/targets/target_list_model.h"
#include "ui/plain_text.h"

namespace app {

namespace {

constexpr const char* kMMSIError = " is not a valid MMSI number! Has to be an integer value in the range 0-999999999";
constexpr const char* kRefPosTitles[4] = {"No Ref pos", "From VDO msg", "Manual ", "From VDM msg, MMSI : "};

QString fromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

ReferencePanel::ReferencePanel(Receiver& receiver, targets::TargetListModel& model, base::MessageSink& messages,
                               QWidget* parent)
    : QGroupBox("Reference position", parent), receiver_(receiver), model_(model), messages_(messages) {
    setObjectName("frameRefPos");
    auto* refLayout = new QGridLayout(this);
    for (int i = 0; i < 4; ++i) {
        auto* opt = new QRadioButton(kRefPosTitles[i], this);
        opt->setObjectName(QString("optRefPos_%1").arg(i));
        connect(opt, &QRadioButton::clicked, this, [this, i] { chooseMode(i); });
        optRefPos_[static_cast<size_t>(i)] = opt;
    }
    txtMMSI_ = new QLineEdit(this);
    txtMMSI_->setObjectName("txtMMSI");
    txtRefLat_ = new QLineEdit(this);
    txtRefLat_->setObjectName("txtRefLat");
    txtRefLon_ = new QLineEdit(this);
    txtRefLon_->setObjectName("txtRefLon");
    for (QLineEdit* box : {txtMMSI_, txtRefLat_, txtRefLon_}) {
        box->installEventFilter(this);
        box->setMinimumWidth(box == txtMMSI_ ? 80 : 105);
    }
    refLayout->addWidget(optRefPos_[0], 0, 0);
    refLayout->addWidget(optRefPos_[1], 1, 0);
    refLayout->addWidget(optRefPos_[2], 0, 1);
    refLayout->addWidget(optRefPos_[3], 1, 1);
    refLayout->addWidget(txtMMSI_, 1, 2);
    refLayout->addWidget(ui::PlainLabel("Lat :", this), 0, 3);
    refLayout->addWidget(txtRefLat_, 0, 4);
    refLayout->addWidget(ui::PlainLabel("Lon :", this), 1, 3);
    refLayout->addWidget(txtRefLon_, 1, 4);
}

std::array<QWidget*, 7> ReferencePanel::tabOrder() const {
    return {optRefPos_[0], optRefPos_[2], txtRefLat_, optRefPos_[1], optRefPos_[3], txtMMSI_, txtRefLon_};
}

void ReferencePanel::load() {
    const targets::Reference& st = receiver_.reference();
    const int mode = st.mode() >= 0 && st.mode() <= 3 ? st.mode() : 0;
    optRefPos_[static_cast<size_t>(mode)]->setChecked(true);
    chooseMode(mode);
    if (st.mmsi() != 0) txtMMSI_->setText(QString::number(st.mmsi()));
}

void ReferencePanel::followReference() {
    const targets::Reference& st = receiver_.reference();
    if ((st.mode() == targets::kRefFromVDO || st.mode() == targets::kRefFromVDM) &&
        (st.lat() != shownRefLat_ || st.lon() != shownRefLon_) && !(st.lat() == 0 && st.lon() == 0)) {
        showPosition();
    }
}

void ReferencePanel::showPosition() {
    const targets::Reference& st = receiver_.reference();
    shownRefLat_ = st.lat();
    shownRefLon_ = st.lon();
    txtRefLat_->setText(fromUtf8(geodesy::FormatPosition(st.lat(), "LAT", "display", 1)));
    txtRefLon_->setText(fromUtf8(geodesy::FormatPosition(st.lon(), "LON", "display", 1)));
}

void ReferencePanel::referenceMoved() {
    receiver_.referenceChanged();
    model_.ReferenceChanged = true;
    model_.RefreshTargetList();
}

void ReferencePanel::chooseMode(int index) {
    targets::Reference& st = receiver_.reference();
    st.setMode(static_cast<int16_t>(index));
    optRefPos_[static_cast<size_t>(index)]->setChecked(true);
    txtRefLat_->setEnabled(index == targets::kRefManual);
    txtRefLon_->setEnabled(index == targets::kRefManual);
    txtMMSI_->setEnabled(index == targets::kRefFromVDM);
    switch (index) {
        case targets::kRefNone:
            txtRefLat_->setText("     n/a");
            txtRefLon_->setText("     n/a");
            break;
        case targets::kRefFromVDO:
            txtRefLat_->setText("Waiting for VDO");
            txtRefLon_->setText("Waiting for VDO");
            break;
        case targets::kRefManual:
            showPosition();
            break;
        default:
            txtRefLat_->setText("Waiting for VDM");
            txtRefLon_->setText("Waiting for VDM");
            break;
    }
    if (index != targets::kRefManual) {
        shownRefLat_ = st.lat();
        shownRefLon_ = st.lon();
    }
    receiver_.referenceChanged();
    model_.referenceModeChanged();
    model_.ReferenceChanged = true;
    model_.RefreshTargetList();
}

bool ReferencePanel::eventFilter(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (box && (box == txtMMSI_ || box == txtRefLat_ || box == txtRefLon_)) {
        if (event->type() == QEvent::FocusIn) {
            // Select after the click that gave the focus has placed the cursor.
            QTimer::singleShot(0, box, &QLineEdit::selectAll);
        } else if (event->type() == QEvent::FocusOut && !validating_) {
            // Leaving the window (or a message box taking over) is not leaving the box.
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
                if (box == txtMMSI_) {
                    mmsiLeft();
                } else {
                    positionLeft(box, box == txtRefLat_);
                }
            }
        }
    }
    return QGroupBox::eventFilter(watched, event);
}

void ReferencePanel::mmsiLeft() {
    targets::Reference& st = receiver_.reference();
    const std::string text = txtMMSI_->text().toStdString();
    const double value = std::round(base::ReadNumberText(text));
    if (value >= 0 && value <= 999999999) {
        st.setMMSI(static_cast<int32_t>(value));
        txtMMSI_->setText(QString::number(st.mmsi()));
        txtRefLat_->setText("Waiting for VDM");
        txtRefLon_->setText("Waiting for VDM");
        referenceMoved();
        return;
    }
    validating_ = true;
    messages_.operatorMessage(base::MessageIcon::Critical, "Orvanta", text + kMMSIError);
    validating_ = false;
    txtMMSI_->setFocus(Qt::OtherFocusReason);
}

void ReferencePanel::positionLeft(QLineEdit* box, bool latitude) {
    targets::Reference& st = receiver_.reference();
    std::string text = box->text().toStdString();
    validating_ = true;
    const double value = geodesy::ParsePosition(text, latitude ? "LAT" : "LON", messages_);
    validating_ = false;
    st.moveTo(latitude ? value : st.lat(), latitude ? st.lon() : value);
    box->setText(fromUtf8(geodesy::FormatPosition(value, latitude ? "LAT" : "LON", "display", 1)));
    if (latitude) {
        shownRefLat_ = value;
    } else {
        shownRefLon_ = value;
    }
    referenceMoved();
}

}  // namespace app
