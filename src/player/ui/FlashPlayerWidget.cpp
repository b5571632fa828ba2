#include "player/ui/FlashPlayerWidget.h"

#include "web/GuardedWebPage.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QSaveFile>
#include <QStackedLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <functional>

// Hands the page's console reports to the widget.
class RuffleHostPage : public GuardedWebPage {
public:
    RuffleHostPage(QWebEngineProfile *profile, QObject *parent) : GuardedWebPage(profile, parent) {}
    std::function<void(int, const QString &, const QByteArray &)> onReport;

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &message, int,
                                  const QString &) override
    {
        const QLatin1String prefix(rufflepage::MessagePrefix);
        if (!message.startsWith(prefix) || !onReport)
            return;
        // <page number>:<kind>:<json>
        const QString rest = message.mid(prefix.size());
        const int first = rest.indexOf(QLatin1Char(':'));
        const int second = first < 0 ? -1 : rest.indexOf(QLatin1Char(':'), first + 1);
        bool ok = false;
        const int number = rest.left(first).toInt(&ok);
        if (ok && second > first + 1)
            onReport(number, rest.mid(first + 1, second - first - 1), rest.mid(second + 1).toUtf8());
    }
};

FlashPlayerWidget::FlashPlayerWidget(QWidget *parent)
    : FlashPlayerView(parent), m_view(new QWebEngineView(this)), m_message(new QLabel(this))
{
    setFocusPolicy(Qt::NoFocus);
    // Off the record: the page keeps nothing between runs.
    m_page = new RuffleHostPage(new QWebEngineProfile(this), m_view);
    m_page->onReport = [this](int number, const QString &kind, const QByteArray &json) {
        if (number == m_pageNumber)   // not a late word from the movie before
            onPageMessage(kind, json);
    };
    m_view->setPage(m_page);
    m_page->setBackgroundColor(Qt::black);
    QWebEngineSettings *s = m_page->settings();
    s->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    s->setAttribute(QWebEngineSettings::ShowScrollBars, false);
    s->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    // The viewer's key handler must keep every key: the page's keys are
    // handed on to us and from us to the viewer.
    m_view->setFocusPolicy(Qt::NoFocus);
    m_view->installEventFilter(this);
    m_view->setContextMenuPolicy(Qt::NoContextMenu);

    m_message->setWordWrap(true);
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setAutoFillBackground(true);
    QPalette pal = m_message->palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, Qt::white);
    m_message->setPalette(pal);

    auto *stack = new QStackedLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->addWidget(m_view);
    stack->addWidget(m_message);

    m_finishTimer.setSingleShot(true);
    connect(&m_finishTimer, &QTimer::timeout, this, [this] {
        m_finished = true;
        QMetaObject::invokeMethod(this, [this] { emit movieFinished(); }, Qt::QueuedConnection);
    });
}

FlashPlayerWidget::~FlashPlayerWidget()
{
    m_finishTimer.stop();
    m_page->onReport = nullptr;
    // The page (a child of the view) must go before its profile.
    delete m_view;
}

void FlashPlayerWidget::setMovie(const QString &path)
{
    m_finishTimer.stop();
    ++m_pageNumber;
    m_movie = path;
    m_percent = 0;
    m_finished = false;
    m_errorText.clear();
    m_info = SwfInfo();
    static_cast<QStackedLayout *>(layout())->setCurrentWidget(m_view);
    if (path.isEmpty()) {
        m_view->setUrl(QUrl(QStringLiteral("about:blank")));
        return;
    }

    const QFileInfo file(path);
    const QString name = file.fileName();
    m_info = readSwfInfoFile(path);
    if (!m_info.valid) {
        fail(tr("Cannot play \"%1\": %2.").arg(name, m_info.problem));
        return;
    }
    const QString ruffle = rufflepage::findRuffleFolder();
    if (ruffle.isEmpty()) {
        // Distributions ship Ruffle apart: say which package brings it.
        fail(tr("Cannot play \"%1\": the Flash player (Ruffle) is not installed "
                "(on Debian, the glintwave-flash package).").arg(name));
        return;
    }
    if (!m_pageDir.isValid()) {
        fail(tr("Cannot play \"%1\": no room for the player's page.").arg(name));
        return;
    }

    const QString pagePath = m_pageDir.filePath(QStringLiteral("movie.html"));
    QSaveFile page(pagePath);
    if (!page.open(QIODevice::WriteOnly)
        || page.write(rufflepage::html(QUrl::fromLocalFile(ruffle + QLatin1Char('/')),
                                       QUrl::fromLocalFile(file.absoluteFilePath()), m_settings,
                                       m_pageNumber)
                          .toUtf8()) < 0
        || !page.commit()) {
        fail(tr("Cannot play \"%1\": the player's page cannot be written.").arg(name));
        return;
    }
    // The movie reads its own folder (and the player its own files), nothing else.
    m_page->setPolicy(LocalPagePolicy{{m_pageDir.path(), ruffle, file.absolutePath()}});
    m_view->setUrl(QUrl::fromLocalFile(pagePath));
}

bool FlashPlayerWidget::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ChildAdded: {
        // The view's render widget appears once a page loads.
        QObject *child = static_cast<QChildEvent *>(event)->child();
        if (child->isWidgetType())
            child->installEventFilter(this);
        break;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        if (watched != this) {
            auto *key = static_cast<QKeyEvent *>(event);
            QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->nativeScanCode(),
                           key->nativeVirtualKey(), key->nativeModifiers(), key->text(),
                           key->isAutoRepeat(), ushort(key->count()));
            copy.ignore();
            QCoreApplication::sendEvent(this, &copy);   // ignored here: goes on to the viewer
            return true;
        }
        break;
    default:
        break;
    }
    return FlashPlayerView::eventFilter(watched, event);
}

void FlashPlayerWidget::onPageMessage(const QString &kind, const QByteArray &json)
{
    const QJsonObject data = QJsonDocument::fromJson(json).object();
    if (kind == QLatin1String("metadata")) {
        if (m_percent == 100)
            return;
        m_percent = 100;
        QMetaObject::invokeMethod(this, [this] {
            emit progress(100);
            emit movieStarted();
        }, Qt::QueuedConnection);
        if (m_info.stopsOnLastFrame) {
            // Ruffle's own reading of the rate wins if it has one.
            double rate = data.value(QStringLiteral("frameRate")).toDouble(m_info.frameRate);
            if (!(rate > 0))
                rate = m_info.frameRate;
            if (rate > 0)
                m_finishTimer.start(int(m_info.frameCount / rate * 1000.0) + m_holdMs);
        }
    } else if (kind == QLatin1String("error")) {
        fail(tr("Cannot play \"%1\": %2").arg(QFileInfo(m_movie).fileName(),
                                              data.value(QStringLiteral("message")).toString()));
    }
}

void FlashPlayerWidget::fail(const QString &message)
{
    if (!m_errorText.isEmpty())
        return;
    m_finishTimer.stop();
    m_errorText = message;
    m_message->setText(message);
    static_cast<QStackedLayout *>(layout())->setCurrentWidget(m_message);
    QMetaObject::invokeMethod(this, [this, message] { emit errorOccurred(message); }, Qt::QueuedConnection);
}
