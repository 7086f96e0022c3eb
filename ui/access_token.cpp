#include "ui/access_token.h"

#include <QRandomGenerator>

namespace ui {

std::string NewAccessToken() {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string token;
    for (int k = 0; k < 32; ++k) {
        const quint32 byte = QRandomGenerator::system()->bounded(256u);
        token += kHex[byte >> 4];
        token += kHex[byte & 15];
    }
    return token;
}

}  // namespace ui
