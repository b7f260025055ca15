#include "recording_sound.h"

namespace tessel::testing {

bool RecordingSound::IsRegularFile(const std::string& path) {
    ++fileChecks_;
    return files_.count(path) != 0;
}

void RecordingSound::PlayFileAsync(const std::string& path) { played_.push_back(path); }

}  // namespace tessel::testing
