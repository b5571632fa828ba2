#pragma once
#include <QString>
#include <QWidget>
#include <QtTest>

// Shows the window, lets it settle and saves what it shows.
inline bool saveWindow(QWidget *w, const QString &path)
{
    w->show();
    if (!QTest::qWaitForWindowExposed(w))
        return false;
    QTest::qWait(300);   // fonts and late layouts settle
    return w->grab().save(path);
}
