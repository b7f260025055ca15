#pragma once
// Windows refuses ordinary paths longer than MAX_PATH unless they are written
// in the verbatim form, which it passes on without that limit.
#include <string>
#include <string_view>

namespace tessel {

// "C:\..." becomes "\\?\C:\..." and "\\server\share\..." becomes
// "\\?\UNC\server\share\..." once the path is long enough to need it (with
// '/' turned into '\', which the verbatim form does not translate). Expects a
// full path as GetModuleFileNameW gives it. Short, relative, device and
// already verbatim paths come back unchanged.
std::string ExtendedLengthPath(std::string_view path);

}  // namespace tessel
