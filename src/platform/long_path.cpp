#include "platform/long_path.h"

#include <algorithm>

namespace tessel {
namespace {

// CreateDirectoryW's limit, the lowest of the file calls (MAX_PATH - 12).
constexpr std::size_t kLongFrom = 248;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

std::string ExtendedLengthPath(std::string_view path) {
    // Byte length: never shorter than the UTF-16 length that Windows counts.
    if (path.size() < kLongFrom) return std::string(path);
    std::string out;
    if (path.size() >= 3 && IsAsciiLetter(path[0]) && path[1] == ':' && IsSeparator(path[2])) {
        out = "\\\\?\\";
        out.append(path);
    } else if (path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]) && path[2] != '?' &&
               path[2] != '.') {
        out = "\\\\?\\UNC\\";
        out.append(path.substr(2));
    } else {
        return std::string(path);
    }
    std::replace(out.begin(), out.end(), '/', '\\');
    return out;
}

}  // namespace tessel
