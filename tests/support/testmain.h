#pragma once

// Test entry points that pin what a test must not inherit from the person running it: locale,
// time zone, home and configuration folders. Dates read as year-month-day with a 24-hour clock and
// numbers group with ",", so expected texts are the same on every machine.

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QTest>

#include <cstdlib>
#include <ctime>
#include <unistd.h>

namespace cheqora::test {

// Pins the environment for the life of the test process; the temporary home goes with it.
class PinnedEnvironment {
public:
    PinnedEnvironment();
    ~PinnedEnvironment()
    {
        if (!m_home.isEmpty())
            QDir(m_home).removeRecursively();
    }
    PinnedEnvironment(const PinnedEnvironment &) = delete;
    PinnedEnvironment &operator=(const PinnedEnvironment &) = delete;

private:
    QString m_home;
};

inline PinnedEnvironment::PinnedEnvironment()
{
    ::unsetenv("LC_ALL");
    ::unsetenv("LANGUAGE");
    ::unsetenv("LC_MESSAGES");
    ::setenv("LANG", "en_US.UTF-8", 1);
    ::setenv("LC_TIME", "sv_SE.UTF-8", 1);
    ::setenv("LC_NUMERIC", "en_US.UTF-8", 1);
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    char home[] = "/tmp/cheqora-test-home-XXXXXX";
    if (::mkdtemp(home)) {
        ::setenv("HOME", home, 1);
        const QByteArray config = QByteArray(home) + "/.config";
        ::setenv("XDG_CONFIG_HOME", config.constData(), 1);
        m_home = QString::fromLocal8Bit(home);
    }
    if (!::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

} // namespace cheqora::test

// The test main: the pinned environment, then the application of the kind the test needs.
#define CHEQORA_TEST_MAIN_OF(Application, TestObject)                                                       \
    int main(int argc, char **argv)                                                                          \
    {                                                                                                        \
        cheqora::test::PinnedEnvironment pinned;                                                             \
        Application app(argc, argv);                                                                         \
        TestObject tc;                                                                                       \
        return QTest::qExec(&tc, argc, argv);                                                                \
    }
#define CHEQORA_TEST_MAIN(TestObject) CHEQORA_TEST_MAIN_OF(QCoreApplication, TestObject)
#define CHEQORA_TEST_GUI_MAIN(TestObject) CHEQORA_TEST_MAIN_OF(QApplication, TestObject)
