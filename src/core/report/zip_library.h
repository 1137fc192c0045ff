// libzip, loaded when the first Word report is built (see io/shared_library.h).
#pragma once

#include <string>

namespace varlen::report {

// Empty when libzip is there, else why not, for the user.
[[nodiscard]] const std::string& ZipProblem();

} // namespace varlen::report
