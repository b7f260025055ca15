#pragma once
// A sound double: a set of paths that count as regular files, and a record of
// what was played.
#include <set>
#include <string>
#include <vector>

#include "platform/sound.h"

namespace tessel::testing {

class RecordingSound : public Sound {
public:
    void AddFile(const std::string& path) { files_.insert(path); }
    const std::vector<std::string>& Played() const { return played_; }
    void ClearPlayed() { played_.clear(); }
    int FileChecks() const { return fileChecks_; }

    bool IsRegularFile(const std::string& path) override;
    void PlayFileAsync(const std::string& path) override;

private:
    std::set<std::string> files_;
    std::vector<std::string> played_;
    int fileChecks_ = 0;
};

}  // namespace tessel::testing
