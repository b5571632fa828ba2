#pragma once
#include <QString>
#include <QStringList>

// Short clips made at run time for the player tests, and the environment
// every player test needs (no sound card, WebEngine as root).
namespace testmedia {

// Call before QApplication exists.
void prepareEnvironment();

// A one-second clip of the given kind ("wav", "mp3", "au", "mid", "mpg",
// "avi", "asf") in `dir`; empty with *error set when it cannot be made.
QString makeClip(const QString &dir, const QString &kind, QString *error);

}

#define GW_PLAYER_TEST_MAIN(TestClass)                         \
    int main(int argc, char **argv)                            \
    {                                                          \
        testmedia::prepareEnvironment();                       \
        QApplication app(argc, argv);                          \
        TestClass tc;                                          \
        return QTest::qExec(&tc, argc, argv);                  \
    }
