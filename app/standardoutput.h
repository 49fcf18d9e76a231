#pragma once

// Standard output as careful Unix tools treat it: every write checked, up to the final flush and close,
// and a closed standard output (">&-") kept apart from the files the program opens.

#include <QString>

namespace cli {

// Opens /dev/null on each of descriptors 0 to 2 that is closed, so that no file opened later takes its
// place; a closed standard output is remembered, and writes to it fail. Called first thing.
void guardStandardStreams();
// Writes text to stdout in the program's encoding; after a write has failed nothing more is written.
void writeOut(const QString &text);
// Whether every write to stdout so far went through.
bool outputOk();
// Flushes and closes stdout. False, with "Error: writing <where it points>: <reason>" on stderr, when
// anything written to it did not get through.
bool finishOutput();

} // namespace cli
