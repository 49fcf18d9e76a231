#pragma once

// A started main window for widget tests: a catalogue of known texts in a temporary program folder,
// the scripted desktop installed, and Timer1 stopped so that a tick runs only when a test calls it.

#include "fakeuiservices.h"
#include "filefixtures.h"
#include "frmmain.h"
#include "frmpopup.h"
#include "frmview.h"
#include "testmain.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace cheqora::test {

// Texts of the test catalogue, so that expectations do not depend on the shipped wording.
inline const QString kText34 = QStringLiteral("Read failed"), kText47 = QStringLiteral("Report in the trash."),
                     kText48 = QStringLiteral("Report deleted."),
                     kText49 = QStringLiteral("Reset everything?"), kText50 = QStringLiteral("Saved."),
                     kText51 = QStringLiteral("Not saved to"), kText55 = QStringLiteral("Same"),
                     kText56 = QStringLiteral("Different");

// A control that must exist; a missing one ends the test run with its name.
template <class T>
T *ctl(const frmMain &form, const char *name, int index = -1)
{
    T *control = form.Control<T>(name, index);
    if (!control)
        qFatal("no control %s %d", name, index);
    return control;
}

inline bool viewerShown()
{
    return frmView::existingInstance() && frmView::existingInstance()->isVisible();
}

// Clicks the pop-up away as soon as it is up, noting what it showed.
inline void closePopUpWhenShown(QString &seen)
{
    QTimer::singleShot(0, [&seen] {
        if (frmPopUp *popUp = frmPopUp::existingInstance(); popUp && popUp->isVisible()) {
            seen = popUp->lblMessage->text();
            popUp->lblMessage_MouseUp();
        }
    });
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
        const QString texts = QStringLiteral("# texts for the tests\n14=HTTP://www.vantorel.test/\n34=%1\n47=%2\n48=%3\n"
                                             "49=%4\n50=%5\n51=%6\n55=%7\n56=%8\n")
                                  .arg(kText34, kText47, kText48, kText49, kText50, kText51, kText55, kText56);
        if (!writeBytes(path(QStringLiteral("chqr.dat")), texts.toUtf8()))
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
        frmView::unloadInstance();
        frmPopUp::unloadInstance();
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

    // A row of the digest panel: path|digest|size and date.
    QString row(int i) const
    {
        return box("txbFile", i)->text() + u'|' + label("lblDigitalSignature", i)->text() + u'|'
            + label("lblSizeDateTime", i)->text();
    }

    // The boxes shown so far, one line each: title|text|icon|buttons, as the numbers of their enums
    // (icon 3 Exclamation, 4 Information; buttons 0 Ok, 1 Yes and No).
    QString boxes() const
    {
        QStringList out;
        for (const FakeUiServices::Box &b : fake->boxes)
            out << QStringLiteral("%1|%2|%3|%4").arg(b.title, b.text).arg(int(b.icon)).arg(int(b.buttons));
        return out.join(u'\n');
    }

    // Every text box and check box, and the skip size in use, on one line.
    QString fields() const
    {
        QStringList out;
        for (QLineEdit *box : form->findChildren<QLineEdit *>())
            out << box->objectName() + u'=' + box->text();
        for (QCheckBox *box : form->findChildren<QCheckBox *>())
            out << box->objectName() + QLatin1String(box->isChecked() ? "=on" : "=off");
        return out.join(u' ') + QStringLiteral(" MB=%1").arg(form->skipSizeMB[1]);
    }
};

} // namespace cheqora::test
