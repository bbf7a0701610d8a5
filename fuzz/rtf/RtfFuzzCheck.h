#pragma once
// What every input must survive, shared by the libFuzzer target and the
// corpus replay test: read it; write what was read and read that again with
// the same text; replace a merge field in it.

#include <QByteArray>
#include <QString>

namespace RtfFuzz {

// An empty string when the input passed; otherwise what went wrong.
QString checkInput(const QByteArray& input);

} // namespace RtfFuzz
