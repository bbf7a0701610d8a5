// One input of the format loader's fuzzing, shared by the libFuzzer target and
// the test that replays the corpus.
#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

namespace qdrfuzz {

// Loads the bytes as a format; when they load, saves and reloads the format
// (it must come back the same) and lays it out with no data. Returns an empty
// text, or what went wrong. A clear EReportError is no fault.
QString checkFormatBytes(const std::uint8_t* data, std::size_t size);

} // namespace qdrfuzz
