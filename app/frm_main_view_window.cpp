// FrmMain: the size a first run opens at.
#include <algorithm>

#include "app/frm_main_window.h"
#include "app/target_list_panel_window.h"
#include "ui/window_fit.h"

namespace app {

QSize FrmMain::openingSize(const QRect& available) const {
    // The list, the central area's margins, and the window's own frame.
    const int wanted = targetList_->wantedWidth() + 12 + 8;
    return ui::OpeningSize(QSize(std::max(width(), wanted), height()), available);
}

}  // namespace app
