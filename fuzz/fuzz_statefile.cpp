// The state file: a load takes all thirteen values or none (the window then resets to its defaults),
// so no field is left as it was beside others read; a skip tick never comes without its size; and
// what was taken is written and read back unchanged.
#include "fuzzcheck.h"
#include "statefile.h"
#include "textcodec.h"

using namespace cheqora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Values no file gives: a line never holds a line feed, and a skip size is never negative.
    const QString mark = QStringLiteral("\n");
    const SavedState before{mark, mark, mark, mark, mark, true, true, mark, true, -1, true, true, mark};
    SavedState state = before;
    if (!ParseStateFile(fuzz::bytesOf(data, size), state)) {
        fuzz::check(state == before, "a refused file changed the state");
        return 0;
    }
    for (const QString *text : {&state.file1, &state.file2, &state.reportFile, &state.oldFolder, &state.newFolder,
                                &state.extension, &state.suspendLineLimit})
        fuzz::check(!text->contains(u'\n'), "a text was not read", *text);
    fuzz::check(state.skipSizeMB >= 0 && state.skipSizeMB <= 999 && (!state.skipFiles || state.skipSizeMB > 0),
                "a skip size outside 1..999, or a tick without its size", QString::number(state.skipSizeMB));
    // A text with a quote or line break cannot be saved; Save says so.
    if (StateTextProblem(state).isEmpty()) {
        SavedState back = before;
        fuzz::check(ParseStateFile(platform::encodeText(FormatStateFile(state)), back) && back == state,
                    "the state read does not read back unchanged once saved");
    }
    return 0;
}
