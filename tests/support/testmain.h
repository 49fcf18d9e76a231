#pragma once

// Test entry points that pin what a test must not inherit from the person running it: locale,
// time zone, home, configuration and data folders (a report moved to the trash goes to a temporary one). Dates read as year-month-day with a 24-hour clock and
// numbers group with ",", so expected texts are the same on every machine.

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <ctime>

namespace cheqora::test {

// Pins the environment for the life of the test process, home being a temporary folder.
inline void pinEnvironment(const QTemporaryDir &home)
{
    for (const char *name : {"LC_ALL", "LANGUAGE", "LC_MESSAGES"})
        ::unsetenv(name);
    ::setenv("LANG", "en_US.UTF-8", 1);
    ::setenv("LC_TIME", "sv_SE.UTF-8", 1);
    ::setenv("LC_NUMERIC", "en_US.UTF-8", 1);
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    ::setenv("HOME", home.path().toLocal8Bit().constData(), 1);
    ::setenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toLocal8Bit().constData(), 1);
    ::setenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/.local/share")).toLocal8Bit().constData(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
}

} // namespace cheqora::test

// The test main: the pinned environment, then the application of the kind the test needs.
#define CHEQORA_TEST_MAIN_OF(Application, TestObject)                                                       \
    int main(int argc, char **argv)                                                                          \
    {                                                                                                        \
        const QTemporaryDir home(QStringLiteral("/tmp/cheqora-test-home-XXXXXX"));                          \
        cheqora::test::pinEnvironment(home);                                                                 \
        Application app(argc, argv);                                                                         \
        TestObject tc;                                                                                       \
        return QTest::qExec(&tc, argc, argv);                                                                \
    }
#define CHEQORA_TEST_MAIN(TestObject) CHEQORA_TEST_MAIN_OF(QCoreApplication, TestObject)
#define CHEQORA_TEST_GUI_MAIN(TestObject) CHEQORA_TEST_MAIN_OF(QApplication, TestObject)
