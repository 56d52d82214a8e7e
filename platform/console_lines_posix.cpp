#include "console_lines.h"

#include <iostream>

namespace platform {

std::ostream& console_lines() { return std::cout; }

}  // namespace platform
