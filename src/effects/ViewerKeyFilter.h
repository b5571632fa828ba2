#pragma once
#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>

class QWidget;

// Hands every key pressed while the viewer window is active to its key
// handler, whichever child has the focus (the media player, the text list):
// the keys are the viewer's commands, never the child's.
class ViewerKeyFilter : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(int16_t keyCode, int16_t shift)>;
    ViewerKeyFilter(QWidget *viewer, Handler handler);
    ~ViewerKeyFilter() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_viewer;
    Handler m_handler;
};
