// A new access token for the web view: 32 bytes from the system's random
// source, as 64 lower-case hex digits.
#pragma once

#include <string>

namespace ui {

std::string NewAccessToken();

}  // namespace ui
