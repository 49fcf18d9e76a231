#pragma once

// A started main window for widget tests: a catalogue of known texts in a temporary program folder,
// the scripted desktop installed, and Timer1 stopped so that a tick runs only when a test calls it.

#include "fakeuiservices.h"
#include "frmmain.h"

#include <QCheckBox>
#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace cheqora::test {

// Texts of the test catalogue, so that expectations do not depend on the shipped wording.
inline const QString kText34 = QStringLiteral("Read failed");
inline const QString kText49 = QStringLiteral("Reset everything?");
inline const QString kText55 = QStringLiteral("Same");
inline const QString kText56 = QStringLiteral("Different");

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

inline bool setModified(const QString &path, const QDateTime &when)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    return file.setFileTime(when, QFileDevice::FileModificationTime);
}

inline QByteArray testCatalogue()
{
    return "# texts for the tests\n34=" + kText34.toUtf8() + "\n49=" + kText49.toUtf8() + "\n55="
        + kText55.toUtf8() + "\n56=" + kText56.toUtf8() + '\n';
}

// A control that must exist; a missing one ends the test run with its name.
template <class T>
T *ctl(const frmMain &form, const char *name, int index = -1)
{
    T *control = form.Control<T>(name, index);
    if (!control)
        qFatal("no control %s %d", name, index);
    return control;
}

struct FormFixture {
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<FakeUiServices> fake;
    std::unique_ptr<frmMain> form;

    // Starts the window; hooks can be set by prepare before Form_Load runs.
    bool start(const std::function<void(frmMain &)> &prepare = {})
    {
        dir = std::make_unique<QTemporaryDir>();
        fake = std::make_unique<FakeUiServices>();
        if (!writeFile(dir->filePath(QStringLiteral("chqr.dat")), testCatalogue()))
            return false;
        form = std::make_unique<frmMain>();
        form->strProgramFolder = dir->path();
        if (prepare)
            prepare(*form);
        if (!form->Form_Load())
            return false;
        timer()->stop();
        return true;
    }

    void stop()
    {
        form.reset();
        fake.reset();
        dir.reset();
    }

    QString path(const QString &name) const { return dir->filePath(name); }

    QTimer *timer() const { return ctl<QTimer>(*form, "Timer1"); }
    QLineEdit *box(const char *name, int index = -1) const { return ctl<QLineEdit>(*form, name, index); }
    QLabel *label(const char *name, int index = -1) const { return ctl<QLabel>(*form, name, index); }
    QPushButton *button(const char *name, int index = -1) const { return ctl<QPushButton>(*form, name, index); }
    QCheckBox *check(const char *name, int index = -1) const { return ctl<QCheckBox>(*form, name, index); }
};

} // namespace cheqora::test
