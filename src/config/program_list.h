#pragma once
// The list of programs where the badge never shows: executable file names
// separated by ";", as the settings file and the settings window hold it.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tessel {

constexpr std::size_t kMaxExcludedPrograms = 32;
constexpr std::size_t kMaxExcludedProgramLength = 64;  // characters of one name

// Splits typed text at ";", trims each name, skips empty ones, drops names
// that repeat an earlier one (ASCII letter case ignored) and keeps at most
// kMaxExcludedPrograms names of at most kMaxExcludedProgramLength characters;
// the rest is left out.
std::vector<std::string> ParseProgramList(std::string_view text);

// The names joined with ";", as written to the settings file.
std::string JoinProgramList(const std::vector<std::string>& names);

// True when `imageFileName` (the file name of a process's image, without its
// folder) is one of `names`, ASCII letter case ignored.
bool IsExcludedProgram(const std::vector<std::string>& names, std::u16string_view imageFileName);

}  // namespace tessel
