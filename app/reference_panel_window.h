// The main window's "Reference position" frame: the four reference modes
// (none, own vessel from VDO, manual, a vessel from VDM chosen by MMSI), the
// MMSI box and the manual latitude and longitude boxes.
//
// Choosing a mode or leaving a box with a new value moves the receiver's
// reference and redraws the list's reference columns. A wrong MMSI is told
// and the box keeps the keyboard; a position is read as the operator types
// it (degrees, minutes, seconds, hemisphere letter). In the "From VDO" and
// "From VDM" modes the boxes follow the reference as messages move it.
//
// Controls carry their names as objectName: frameRefPos, optRefPos_0..3,
// txtMMSI, txtRefLat, txtRefLon.
#pragma once

#include <QGroupBox>
#include <array>

class QLineEdit;
class QRadioButton;

namespace base {
class MessageSink;
}
namespace targets {
class TargetListModel;
}

namespace app {

class Receiver;

class ReferencePanel : public QGroupBox {
    Q_OBJECT
public:
    // messages: where a wrong MMSI or position is told.
    ReferencePanel(Receiver& receiver, targets::TargetListModel& model, base::MessageSink& messages,
                   QWidget* parent);

    // Shows the mode and the MMSI the setup file chose.
    void load();
    // A message may have moved the reference: in the "From VDO" and "From
    // VDM" modes the boxes show where it is now.
    void followReference();
    // The controls in the order Tab visits them: left to right, then down.
    std::array<QWidget*, 7> tabOrder() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void chooseMode(int index);
    void mmsiLeft();
    void positionLeft(QLineEdit* box, bool latitude);
    void showPosition();
    void referenceMoved();

    Receiver& receiver_;
    targets::TargetListModel& model_;
    base::MessageSink& messages_;
    std::array<QRadioButton*, 4> optRefPos_{};
    QLineEdit* txtMMSI_ = nullptr;
    QLineEdit* txtRefLat_ = nullptr;
    QLineEdit* txtRefLon_ = nullptr;
    // The reference the boxes show; a message that moves it updates them.
    double shownRefLat_ = 0, shownRefLon_ = 0;
    // A box that tells of a wrong value takes the focus: that is not leaving the box.
    bool validating_ = false;
};

}  // namespace app
