#pragma once

#include "digestalgorithm.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;

namespace cheqora {

// The digest panel's own line: the algorithm its rows are read with, and a field for a digest pasted
// from a download page with the verdict on the 1st file. The window reads the rows and feeds the
// verdict; this widget holds the controls and their wording.
class DigestCheckPanel : public QWidget {
public:
    explicit DigestCheckPanel(QWidget *parent);

    DigestAlgorithm algorithm() const;
    void setAlgorithm(DigestAlgorithm algorithm);

    // The verdict on the 1st file, whose row shows caption (its digest, or what kept it from being read).
    void showVerdict(const QString &caption);

    QComboBox *cboAlgorithm = nullptr;
    QLineEdit *txbPublishedDigest = nullptr;
    QLabel *lblDigestCheck = nullptr;
};

// Whether a row's caption is a digest by algorithm (upper-case digits of its length), not a status text.
bool isDigestCaption(const QString &caption, DigestAlgorithm algorithm);

// The algorithm the panel was last left with, kept in a file of its own beside the saved state, whose
// layout stays as it is. MD5 when the file is missing or says nothing known.
DigestAlgorithm readAlgorithmChoice(const QString &path);
// "" or the description of what kept the choice from being written.
QString writeAlgorithmChoice(const QString &path, DigestAlgorithm algorithm);

} // namespace cheqora
