#include "formfixture.h"
#include "qtuiservices.h"

using namespace cheqora;
using namespace cheqora::test;

// The main window's layout and its busy switch.
class TestControls : public QObject {
    Q_OBJECT

    FormFixture f;

    template <class T>
    QStringList enabled() const
    {
        QStringList names;
        for (QWidget *w : f.form->findChildren<T *>()) {
            if (w->isEnabled())
                names << w->objectName();
        }
        return names;
    }

    // No two controls of one container overlap, every control lies inside its container, and no
    // button, check box or caption label is smaller than its caption needs.
    static void checkLayout(QWidget *container)
    {
        QList<QWidget *> shown;
        for (QWidget *w : container->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
            if (w->isVisibleTo(container) && !w->isWindow())
                shown << w;
        }
        for (QWidget *a : shown) {
            QVERIFY2(container->rect().contains(a->geometry()), qPrintable(a->objectName() + QStringLiteral(" sticks out")));
            for (QWidget *b : shown) {
                QVERIFY2(a == b || !a->geometry().intersects(b->geometry()),
                         qPrintable(a->objectName() + QStringLiteral(" overlaps ") + b->objectName()));
            }
            const bool captioned = qobject_cast<QAbstractButton *>(a) || a->objectName() == QStringLiteral("Label2_1");
            QVERIFY2(!captioned || (a->width() >= a->minimumSizeHint().width() && a->height() >= a->minimumSizeHint().height()),
                     qPrintable(a->objectName() + QStringLiteral(" is cut")));
            checkLayout(a);
        }
    }

private slots:
    void init() { QVERIFY(f.start()); }
    void cleanup() { f.stop(); }

    void setBusyBothWaysAndLayout()
    {
        // A window of its own, such as the report viewer, is not the main window's to switch.
        (new QPushButton(new QWidget(f.form.get(), Qt::Window)))->setObjectName(QStringLiteral("viewerButton"));
        QLabel *info = f.label("lblInfo");
        QPushButton *stop = f.button("cmdStop");
        f.timer()->start();
        f.form->SetBusy(true);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCOMPARE(enabled<QAbstractButton>(),
                 QStringList({QStringLiteral("cmdStop"), QStringLiteral("cmdQuit"), QStringLiteral("viewerButton")}));
        QCOMPARE(enabled<QLabel>(), QStringList());
        // Text boxes stay usable, and so do the frames they sit in.
        QCOMPARE(enabled<QLineEdit>().size(), f.form->findChildren<QLineEdit *>().size());
        QVERIFY(stop->isVisible() && info->isVisible() && !f.timer()->isActive());
        // The progress line starts right of the Stop button, which sits at the left edge.
        const QPoint corner = stop->mapTo(f.form.get(), QPoint(0, 0));
        QCOMPARE(corner.x(), platform::twipsToPixels(120));
        QCOMPARE(info->mapTo(f.form.get(), QPoint(0, 0)),
                 QPoint(corner.x() + stop->width() + platform::twipsToPixels(100), corner.y()));
        // Nothing overlaps or is cut, Stop and lblInfo included, down to the smallest window.
        for (const QSize size : {f.form->size(), f.form->minimumSizeHint()}) {
            f.form->resize(size);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            checkLayout(f.form.get());
        }

        f.form->SetBusy(false);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCOMPARE(enabled<QAbstractButton>().size() + enabled<QLabel>().size(),
                 f.form->findChildren<QAbstractButton *>().size() + f.form->findChildren<QLabel *>().size());
        QVERIFY(!stop->isVisible() && info->isVisible() && f.timer()->isActive());
        QCOMPARE(info->mapTo(f.form.get(), QPoint(0, 0)).x(), platform::twipsToPixels(120));
    }
};

CHEQORA_TEST_GUI_MAIN(TestControls)
#include "tst_controls.moc"
