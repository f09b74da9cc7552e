#pragma once

#include <string>

namespace brivel {

// A version-4 UUID from the system's strong random source, canonical upper-case text form.
std::string makeUuidString();

} // namespace brivel
