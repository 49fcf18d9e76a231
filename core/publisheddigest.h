#pragma once

// A digest pasted into the digest panel, as people publish them beside a download, checked against
// the 1st file's digest.

#include "digestalgorithm.h"

#include <QString>

namespace cheqora {

// The digest of empty content: what a file of length 0 is checked against, since a walk or the panel
// reads no digest for it.
QString emptyContentDigest(DigestAlgorithm algorithm);

// What the panel says of the pasted text (a bare digest, "hex  name", "hex *name" or a tagged line
// "SHA256 (name) = hex"; any case, blanks around it ignored) against fileDigest, the 1st file's digest
// by algorithm in upper case ("" when it has none). "" when nothing is pasted. The first word says
// the verdict: "Match", "No match", "Not checked" or "Not a digest".
QString pastedDigestVerdict(const QString &text, DigestAlgorithm algorithm, const QString &fileDigest);

} // namespace cheqora
