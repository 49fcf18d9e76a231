#pragma once

// Test entry points that pin what a test must not inherit from the person running it: locale,
// time zone, home and configuration folders. Dates read as year-month-day with a 24-hour clock and
// numbers group with ",", so expected texts are the same on every machine.

#include <QApplication>
#include <QCoreApplication>
#include <QTest>

#include <cstdlib>
#include <ctime>
#include <unistd.h>

namespace cheqora::test {

inline void pinEnvironment()
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
    }
    if (!::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

} // namespace cheqora::test

#define CHEQORA_TEST_MAIN(TestObject)                                                                        \
    int main(int argc, char **argv)                                                                          \
    {                                                                                                        \
        cheqora::test::pinEnvironment();                                                                     \
        QCoreApplication app(argc, argv);                                                                    \
        TestObject tc;                                                                                       \
        return QTest::qExec(&tc, argc, argv);                                                                \
    }

#define CHEQORA_TEST_GUI_MAIN(TestObject)                                                                    \
    int main(int argc, char **argv)                                                                          \
    {                                                                                                        \
        cheqora::test::pinEnvironment();                                                                     \
        QApplication app(argc, argv);                                                                        \
        TestObject tc;                                                                                       \
        return QTest::qExec(&tc, argc, argv);                                                                \
    }
