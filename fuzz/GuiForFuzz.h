#pragma once
// Painting text (metafiles draw it) needs fonts, and fonts need a
// QGuiApplication; the offscreen platform needs no display.
#include <QGuiApplication>

inline void startGuiForFuzz(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
}
