#pragma once
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <functional>

// Runs action on the next modal window of type T once it is up (a modal
// window's exec() does not return to the test until it is closed).
template <typename T>
void whenModal(std::function<void(T *)> action)
{
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (auto *w = qobject_cast<T *>(QApplication::activeModalWidget())) {
            timer->deleteLater();
            timer->stop();
            action(w);
        }
    });
    timer->start(20);
}

// While it lives, every message box that comes up is noted ("title: text",
// and its informative text on a line of its own) and accepted.
class BoxWatch
{
public:
    BoxWatch()
    {
        QObject::connect(&m_poll, &QTimer::timeout, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                texts << box->windowTitle() + ": " + box->text()
                             + (box->informativeText().isEmpty() ? QString() : "\n" + box->informativeText());
                box->accept();
            }
        });
        m_poll.start(10);
    }
    QStringList texts;

private:
    QTimer m_poll;
};
