// Start procedure of the desktop program.
#include <QApplication>
#include <QLocale>

#include "app/frm_main_window.h"
#include "app/number_format.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("Orvanta");

    // Numbers are shown with the user's decimal separator.
    const QString point = QLocale().decimalPoint();
    if (point.size() == 1 && point[0].unicode() < 128) app::setDecimalSeparator(point[0].toLatin1());

    app::FrmMain window;
    window.show();
    return application.exec();
}
