// Options > Targets: every lifecycle setting, the displace-after time of a
// full table among them, comes in and goes out of the dialog, clamped.
#include <QSpinBox>
#include <QtTest>

#include "windows/targets/lifecycle_dialog.h"

class TestTargetSettings : public QObject {
    Q_OBJECT
private slots:
    void everySettingGoesThroughTheDialog() {
        const targets::LifecycleSettings given{420, 1200, 2400, 1500, 90};
        targets::FrmTargetSettings d(given);
        auto* displace = d.findChild<QSpinBox*>("txtDisplaceAfter");
        QVERIFY(displace);
        QCOMPARE(displace->value(), 90);
        QCOMPARE(displace->suffix(), QString(" s"));
        QVERIFY(d.settings() == given);

        displace->setValue(300);
        d.findChild<QSpinBox*>("txtCapacity")->setValue(800);
        const targets::LifecycleSettings chosen = d.settings();
        QCOMPARE(chosen.displaceAfter, 300);
        QCOMPARE(chosen.capacity, 800);
        QCOMPARE(chosen.lostAfterMoving, 420);

        // Out of range comes back inside it.
        targets::FrmTargetSettings low({360, 1080, 1800, 1000, 1});
        QCOMPARE(low.settings().displaceAfter, targets::kMinDisplaceAfter);
    }
};

QTEST_MAIN(TestTargetSettings)
#include "test_target_settings.moc"
