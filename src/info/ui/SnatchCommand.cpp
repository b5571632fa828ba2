#include "info/ui/SnatchCommand.h"

#include <QApplication>
#include <QFutureWatcher>
#include <QMessageBox>
#include <QPointer>

void runSnatch(QWidget *parent, const QString &sourceFolder, const QByteArray &name,
               const QString &destFolder, std::function<void(const SnatchResult &)> done)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto *watcher = new QFutureWatcher<SnatchResult>();
    QPointer<QWidget> owner = parent;
    QObject::connect(watcher, &QFutureWatcher<SnatchResult>::finished, watcher,
                     [watcher, owner, done = std::move(done)] {
        QApplication::restoreOverrideCursor();
        const SnatchResult result = watcher->result();
        watcher->deleteLater();
        if (!result.ok()) {
            QMessageBox box(QMessageBox::Critical, SnatchFailedTitle, SnatchFailedText,
                            QMessageBox::Ok, owner.data());
            box.exec();
        }
        if (done)
            done(result);
    });
    watcher->setFuture(snatchFileAsync(sourceFolder, name, destFolder));
}
