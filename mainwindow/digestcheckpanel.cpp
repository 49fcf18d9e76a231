#include "digestcheckpanel.h"

#include "digest.h"
#include "filesystem.h"
#include "publisheddigest.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

namespace cheqora {

bool isDigestCaption(const QString &caption, DigestAlgorithm algorithm)
{
    return caption.size() == digestHexLength(algorithm) && std::all_of(caption.begin(), caption.end(), [](QChar c) {
               return c.isDigit() || (c >= u'A' && c <= u'F');
           });
}

DigestCheckPanel::DigestCheckPanel(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("DigestCheckPanel"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 4, 0, 0);

    auto *algorithmLabel = new QLabel(QStringLiteral("&Algorithm:"), this);
    cboAlgorithm = new QComboBox(this);
    cboAlgorithm->setObjectName(QStringLiteral("cboAlgorithm"));
    for (DigestAlgorithm a : allAlgorithms())
        cboAlgorithm->addItem(algorithmTitle(a), int(a));
    algorithmLabel->setBuddy(cboAlgorithm);

    auto *pastedLabel = new QLabel(QStringLiteral("Published di&gest:"), this);
    txbPublishedDigest = new QLineEdit(this);
    txbPublishedDigest->setObjectName(QStringLiteral("txbPublishedDigest"));
    txbPublishedDigest->setPlaceholderText(QStringLiteral("digest or checksum line"));
    txbPublishedDigest->setClearButtonEnabled(true);
    pastedLabel->setBuddy(txbPublishedDigest);

    lblDigestCheck = new QLabel(this);
    lblDigestCheck->setObjectName(QStringLiteral("lblDigestCheck"));
    lblDigestCheck->setTextFormat(Qt::PlainText);
    lblDigestCheck->setWordWrap(true);
    lblDigestCheck->setTextInteractionFlags(Qt::TextSelectableByMouse);

    layout->addWidget(algorithmLabel);
    layout->addWidget(cboAlgorithm);
    layout->addSpacing(12);
    layout->addWidget(pastedLabel);
    layout->addWidget(txbPublishedDigest, 2);
    layout->addWidget(lblDigestCheck, 3);
}

DigestAlgorithm DigestCheckPanel::algorithm() const
{
    return DigestAlgorithm(cboAlgorithm->currentData().toInt());
}

void DigestCheckPanel::setAlgorithm(DigestAlgorithm algorithm)
{
    cboAlgorithm->setCurrentIndex(cboAlgorithm->findData(int(algorithm)));
}

void DigestCheckPanel::showVerdict(const QString &caption)
{
    const DigestAlgorithm a = algorithm();
    // An empty file is read for no digest, but its content is known.
    QString fileDigest;
    if (caption == zeroLengthText())
        fileDigest = emptyContentDigest(a);
    else if (isDigestCaption(caption, a))
        fileDigest = caption;
    lblDigestCheck->setText(pastedDigestVerdict(txbPublishedDigest->text(), a, fileDigest));
}

DigestAlgorithm readAlgorithmChoice(const QString &path)
{
    QByteArray content;
    platform::FileError err;
    DigestAlgorithm algorithm = DigestAlgorithm::Md5;
    if (path.isEmpty() || !platform::readWholeFile(path, content, err)
        || !algorithmFromName(QString::fromLatin1(content.trimmed()), algorithm))
        return DigestAlgorithm::Md5;
    return algorithm;
}

QString writeAlgorithmChoice(const QString &path, DigestAlgorithm algorithm)
{
    if (path.isEmpty())
        return platform::fileErrorDescription(platform::ErrBadFileName);
    platform::FileError err;
    if (!platform::writeFileAtomically(path, algorithmName(algorithm).toLatin1() + '\n', err))
        return err.description;
    return QString();
}

} // namespace cheqora
