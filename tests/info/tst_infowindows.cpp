#include "info/KeyReference.h"
#include "info/ui/frmKeyDoc.h"

#include <QListWidget>
#include <QtTest>

class TestInfoWindows : public QObject
{
    Q_OBJECT
private slots:
    void keyReferenceSorted()
    {
        frmKeyDoc w;
        QStringList shown;
        for (int i = 0; i < w.lstKeyDoc->count(); ++i)
            shown << w.lstKeyDoc->item(i)->text();
        QCOMPARE(shown.size(), keyReferenceLines().size());
        for (int i = 1; i < shown.size(); ++i)   // case is ignored
            QVERIFY2(shown[i - 1].compare(shown[i], Qt::CaseInsensitive) <= 0, qPrintable(shown[i]));
    }
};

QTEST_MAIN(TestInfoWindows)
#include "tst_infowindows.moc"
