#pragma once

namespace orv {
const char* errorText(int code);
}
