// What the windows of the decoded binary applications show: meteorological
// and hydrological data, dangerous cargo, fairway closed and tidal window.
// Each window is described here as a caption and a list of items (read-only
// text boxes, date buttons, drop-down lists and fixed labels), so every text
// and every choice is made, and tested, without a display; the window only
// lays the items out.
//
//   BinaryForm f = BinaryFormFor(ApplicationWindow::Meteorological, record.Type8);
//   for (const FormItem& item : f.items) ...   // item.objectName, item.text, item.selected
#pragma once

#include <string>
#include <vector>

#include "ais/binary_message.h"
#include "ais/message_notice.h"

namespace ais {

enum class FormItemKind {
    Text,        // a read-only text box beside its label
    DateButton,  // a button that only shows a date and time in its caption
    List,        // a drop-down list with items and one of them selected
    Value,       // a label beside its label
    Note,        // a fixed label, no value
};

struct FormItem {
    FormItemKind kind = FormItemKind::Text;
    std::string objectName;  // the control's name; empty for a Note
    std::string label;       // the text beside it (the text itself for a Note)
    std::string text;        // box text, button caption or label value
    std::vector<std::string> items;  // List only
    int selected = -1;               // List only: index into items, -1 for none
    std::string group;               // items of one group are framed together
};

struct BinaryForm {
    std::string objectName;  // "frmMeteorological", ...
    std::string caption;
    std::vector<FormItem> items;
    const FormItem* find(const std::string& objectName) const;
};

BinaryForm MeteorologicalForm(const BinaryMessage& m);
BinaryForm DangerousCargoForm(const BinaryMessage& m);
BinaryForm FairwayClosedForm(const BinaryMessage& m);
BinaryForm TidalWindowForm(const BinaryMessage& m);
// The form of `window` filled from m; an empty form for ApplicationWindow::None.
BinaryForm BinaryFormFor(ApplicationWindow window, const BinaryMessage& m);

}  // namespace ais
