#pragma once

#include <QString>

// The catalogue of numbered user-interface texts ("chqr.dat" beside the program).
//
// The file is UTF-8 text; its format is described at the top of data/chqr.dat. The two low-level
// calls keep the interface of the maker's text library, so that callers rely only on their result
// numbers; loadProgramText and uiText are what the windows use.

namespace platform {

namespace toolbelt {

// Results of loadCatalogue. A positive result is the number of texts loaded.
enum LoadResult : int {
    LtNoText = 0,              // the file holds no numbered text
    LtCannotOpen = -1,         // the file cannot be opened (missing, no permission)
    LtParticularAlloc = -2,
    LtTooMuchText = -3,        // more texts or more lines than the catalogue holds
    LtNotRecovered = -4,
    LtFileEmpty = -6,          // the file has no bytes
    LtReadError = -7,          // the file was opened but could not be read (a folder, a device error)
    LtGeneralAlloc = -8,       // out of memory while loading
    LtBadLine = -9,            // a line that is neither blank, a comment nor a numbered text
    LtNumberOutOfRange = -10,  // a text number outside 0..32767
    LtMissingStringBase = -500,  // -500 - line: a number without text
    LtTooLongBase = -1000,       // -1000 - line: a text longer than kMaxTextLength
    LtDuplicateBase = -1500,     // -1500 - line: a number given twice
};

// Texts are copied into a buffer of this many characters; a longer text is refused when loading.
constexpr int kMaxTextLength = 1024;
// The most numbered texts one catalogue holds.
constexpr int kMaxTexts = 300;
// The most lines a catalogue file may have; keeps every line number expressible in the results
// (a "missing string" result for line 500 would read as a "string too long" one).
constexpr int kMaxLines = 499;
constexpr int kMaxTextNumber = 32767;

// Loads the catalogue at path, replacing whatever was loaded before (a failed load leaves no texts).
// options is reserved: callers pass 0.
int loadCatalogue(const QString &path, int options);

// Copies text number of the language into buffer (at most bufferSize characters) and returns the
// number of characters copied; 0 when there is no such text. Only language 0 and mode 1 (copy) exist.
int catalogueText(int number, int language, QChar *buffer, int bufferSize, int mode);

} // namespace toolbelt

// The message shown when loadCatalogue answered result for path (result below 1).
QString programTextLoadMessage(int result, const QString &path);

// Loads file from folder (the program's folder unless given). On failure shows the message in a
// critical box with an empty title and returns false: the caller then ends the program.
bool loadProgramText(const QString &file, const QString &folder = QString());

// Text number n, or "" when the number has no text (none stored, or stored as "~").
QString uiText(int n);

} // namespace platform
