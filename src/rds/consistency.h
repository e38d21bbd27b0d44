#pragma once
// Checks the decoded RDS values for coding faults of the transmitter.
#include <string>

#include "rds/rds_data.h"

namespace sondaro {

// Empty when nothing is wrong, else for example
//   "\r\nErrors: 1\r\nPI can't begin with 0.\r\n\r\nWarnings: 1\r\n<message>"
// (no line end after the last message).
[[nodiscard]] std::string ErrorsAndWarnings(const RdsData& data);

}  // namespace sondaro
