#pragma once

#include <string>

namespace reference {

// Parses and writes input with the former implementation: true and the written text, or
// false and the error message.
bool roundTrip(const std::string& input, std::string& outputOrError);

} // namespace reference
