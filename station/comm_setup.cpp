#include "station/comm_setup.h"

#include <cmath>

#include "base/number_format.h"
#include "geodesy/position_text.h"
#include "station/connection.h"

namespace input {

std::optional<int32_t> ParsePortNumber(std::string_view text) {
    const double value = base::ReadNumberText(text);
    if (!(value >= 1 && value <= 65535) || value != std::floor(value)) return std::nullopt;
    return static_cast<int32_t>(value);
}

std::vector<ComPortEntry> ListComPorts(std::vector<std::string> available) {
    std::vector<ComPortEntry> ports;
    const std::vector<std::string> ordered = OrderSerialDevices(std::move(available));
    for (size_t i = 0; i < ordered.size() && i < static_cast<size_t>(kMaxComPort); ++i) {
        ports.push_back({static_cast<int>(i + 1), ordered[i]});
    }
    return ports;
}

}  // namespace input
