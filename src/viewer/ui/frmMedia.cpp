#include "viewer/ui/frmMedia.h"

#include "core/AppState.h"
#include "player/ui/PlayerViews.h"
#include "player/PlayerPlacement.h"
#include "core/Twips.h"
#include "core/ui/Module1.h"
#include "core/OptionSet.h"
#include "effects/KeyCommand.h"
#include "effects/ViewerSession.h"
#include "viewer/ui/MonitorProfile.h"
#include "viewer/ui/PictureBox.h"
#include "viewer/PictureSurface.h"
#include "viewer/ScaleRule.h"
#include "viewer/TextLines.h"
#include "viewer/VirtualKey.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QLabel>
#include <QListView>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QStringListModel>
#include <QTimer>
#include <QWheelEvent>
#include <QtConcurrent/QtConcurrentRun>

frmMedia::frmMedia(const OptionSet &options, AppState &state, ViewerList *list, ViewerOutputs *outputs,
                   PlayerMaker *players, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_options(options), m_state(state), m_players(players),
      m_session(new ViewerSession(list, outputs, this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmMedia"));
    setWindowTitle(QStringLiteral("Glintwave"));

    picMedia = new PictureBox(this);
    picMedia->setObjectName(QStringLiteral("picMedia"));
    picMedia->setBackColor(Surface::toBgr(m_options.BgColour.rgb()));
    picMedia->setView(&m_session->view());
    picMedia->hide();

    lstMedia = new QListView(this);
    lstMedia->setObjectName(QStringLiteral("lstMedia"));
    lstMediaModel = new QStringListModel(this);
    lstMedia->setModel(lstMediaModel);
    lstMedia->setUniformItemSizes(true);   // keeps a huge text file fast
    lstMedia->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstMedia->viewport()->installEventFilter(this);
    lstMedia->hide();

    lblWave = new QLabel(this);
    lblWave->setObjectName(QStringLiteral("lblWave"));
    lblWave->setStyleSheet(QStringLiteral("color: white;"));   // on the dark gradient
    QFont waveFont = lblWave->font();
    waveFont.setPointSize(14);
    lblWave->setFont(waveFont);
    lblWave->hide();

    lblProblem = new QLabel(this);
    lblProblem->setObjectName(QStringLiteral("lblProblem"));
    lblProblem->setStyleSheet(QStringLiteral("color: white; background: rgba(0, 0, 0, 160); padding: 6px;"));
    lblProblem->setTextFormat(Qt::PlainText);
    lblProblem->hide();

    lblInfo = new QLabel(this);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lblInfo->setStyleSheet(
        QStringLiteral("color: white; background: rgba(0, 0, 0, 170); padding: 10px; border-radius: 6px;"));
    lblInfo->setTextFormat(Qt::RichText);
    lblInfo->setAttribute(Qt::WA_TransparentForMouseEvents);   // the picture stays draggable under it
    lblInfo->hide();

    lblChanged = new QLabel(this);
    lblChanged->setObjectName(QStringLiteral("lblChanged"));
    lblChanged->setStyleSheet(lblProblem->styleSheet());
    lblChanged->setTextFormat(Qt::PlainText);
    lblChanged->setAttribute(Qt::WA_TransparentForMouseEvents);
    lblChanged->hide();

    tmrSlideshow = new QTimer(this);
    tmrSlideshow->setObjectName(QStringLiteral("tmrSlideshow"));
    connect(tmrSlideshow, &QTimer::timeout, this, &frmMedia::slideTick);

    connect(picMedia, &PictureBox::leftPressed, this, [this](const QPoint &pos) {
        m_dragGrab = picMedia->pos() + pos;
        m_dragStart = QPoint(m_session->view().left, m_session->view().top);
        m_dragging = true;
    });
    connect(picMedia, &PictureBox::dragMoved, this, [this](const QPoint &pos) {
        if (!m_dragging)
            return;
        // The point first grabbed stays under the pointer; the pointer moves
        // in the desktop's units, the picture in screen pixels.
        const QPointF moved = QPointF(picMedia->pos() + pos - m_dragGrab) * devicePixelRatioF();
        m_session->movePicture(m_dragStart + moved.toPoint());
    });
    connect(picMedia, &PictureBox::released, this, [this] { m_dragging = false; });
    connect(picMedia, &PictureBox::rightPressed, this, &frmMedia::popup);
    connect(picMedia, &PictureBox::doubleClicked, this, &QWidget::close);

    m_session->setPlayer(this);
    connect(m_session, &ViewerSession::pictureChanged, this, &frmMedia::drawPicture);
    connect(m_session, &ViewerSession::pictureOpened, this, &frmMedia::pictureOpened);
    connect(m_session, &ViewerSession::keyRun, this, &frmMedia::keyDown);
    connect(m_session, &ViewerSession::closeRequested, this, &QWidget::close);
    connect(m_session, &ViewerSession::infoChanged, this, &frmMedia::updateInfo);
    connect(m_session, &ViewerSession::fileChangedOnDisk, this, [this](const QString &path) {
        lblChanged->setText(tr("\"%1\" has changed on disk").arg(QFileInfo(path).fileName()));
        lblChanged->adjustSize();
        lblChanged->move((screenSize().width() - lblChanged->width()) / 2, screenSize().height() - lblChanged->height());
        lblChanged->show();
        lblChanged->raise();
    });
    connect(m_session, &ViewerSession::message, this,
            [this](const QString &text) { QMessageBox::information(this, "Glintwave", text); });

    // Keys reach the viewer whichever of its controls has the focus.
    qApp->installEventFilter(this);
    coverScreen();
}

frmMedia::~frmMedia()
{
    // Unloading ends the slide show and any pause (also when destroyed
    // without closing).
    m_state.SlideShowRunning = false;
    m_state.PlaybackPaused = false;
}

QSize frmMedia::screenSize() const
{
    const QScreen *s = screen();
    return s ? s->geometry().size() : size();
}

QSize frmMedia::screenPixels() const
{
    return (QSizeF(screenSize()) * devicePixelRatioF()).toSize();
}

void frmMedia::coverScreen()
{
    // Placed over its screen first, so that the picture is laid out for the
    // size the full-screen state will give it; the window system's
    // full-screen state is what keeps panels off it, on Wayland as on X11.
    if (const QScreen *s = screen())
        setGeometry(s->geometry());
}

void frmMedia::hideAllControls()
{
    lblProblem->hide();
    lblInfo->hide();
    lblChanged->hide();
    picMedia->hide();
    lstMedia->hide();
    lblWave->hide();
    hidePlayers();
}

void frmMedia::hidePlayers()
{
    if (mdpMedia)
        mdpMedia->hide();
    if (swfMedia)
        swfMedia->hide();
}

MediaPlayerView *frmMedia::mediaPlayer()
{
    if (!mdpMedia && m_players && (mdpMedia = m_players->newMediaPlayer(this))) {
        mdpMedia->setObjectName(QStringLiteral("mdpMedia"));
        mdpMedia->hide();
        connect(mdpMedia, &MediaPlayerView::endOfStream, this, &frmMedia::clipEnded);
        connect(mdpMedia, &MediaPlayerView::leftButtonPressed, this, &QWidget::close);
    }
    return mdpMedia;
}

FlashPlayerView *frmMedia::flashPlayer()
{
    if (!swfMedia && m_players && (swfMedia = m_players->newFlashPlayer(this))) {
        swfMedia->setObjectName(QStringLiteral("swfMedia"));
        swfMedia->hide();
        connect(swfMedia, &FlashPlayerView::movieFinished, this, &frmMedia::movieEnded);
    }
    return swfMedia;
}

void frmMedia::refuseWithoutPlayer(const QString &path)
{
    lblWave->hide();
    hidePlayers();
    tmrSlideshow->stop();
    showViewer();
    showProblem(path, m_players ? m_players->problem() : tr("no player is available"));
}

QSizeF frmMedia::screenTwips() const
{
    const QSize s = screenSize();
    return QSizeF(twips::fromPixels(s.width()), twips::fromPixels(s.height()));
}

void frmMedia::showVideo(const QString &path)
{
    m_session->showOther(ViewerSession::Shown::Video, path);
    lblProblem->hide();
    picMedia->hide();
    lblWave->hide();
    lstMedia->hide();
    MediaPlayerView *player = mediaPlayer();
    if (!player)
        return refuseWithoutPlayer(path);
    player->show();
    tmrSlideshow->stop();
    if (swfMedia)
        swfMedia->hide();
    const int size = m_options.VideoSize;
    player->setShowTiming(m_options.TimingInfo);
    player->setDisplaySize(size);
    const QRectF place = playerplacement::videoTwips(player->geometryTwips().size(), screenTwips(), size);
    player->setGeometryTwips(place.x(), place.y(), place.width(), place.height());
    player->setSwitch1112(size != 3);
    player->setAutoSize(size != 3);
    showViewer();
    player->setFileName(path);
    player->play();
}

void frmMedia::showAudio(const QString &path, const QString &shownAs)
{
    m_session->showOther(ViewerSession::Shown::Audio, path);
    lblProblem->hide();
    picMedia->hide();
    lblWave->show();
    lstMedia->hide();
    MediaPlayerView *player = mediaPlayer();
    if (!player)
        return refuseWithoutPlayer(path);
    player->show();
    if (swfMedia)
        swfMedia->hide();
    tmrSlideshow->stop();
    player->setFileName(path);
    lblWave->setText(QStringLiteral("Now playing ") + (shownAs.isEmpty() ? path : shownAs));
    lblWave->adjustSize();
    const QSize screen = screenSize();
    lblWave->move((screen.width() - lblWave->width()) / 2, (screen.height() - lblWave->height()) / 2);
    player->setDisplaySize(0);
    player->setShowTiming(m_options.TimingInfo);
    const QRectF dock = playerplacement::audioTwips(player->geometryTwips().height(), screenTwips());
    player->setGeometryTwips(dock.x(), dock.y(), dock.width(), dock.height());
    showViewer();
    player->play();
}

void frmMedia::showFlash(const QString &path)
{
    m_session->showOther(ViewerSession::Shown::Flash, path);
    lblProblem->hide();
    picMedia->hide();
    lblWave->hide();
    lstMedia->hide();
    if (mdpMedia)
        mdpMedia->hide();
    FlashPlayerView *flash = flashPlayer();
    if (!flash)
        return refuseWithoutPlayer(path);
    flash->show();
    tmrSlideshow->stop();
    flash->setGeometry(playerplacement::flashPixels(screenTwips()));
    flash->setMovie(path);
    showViewer();
}

void frmMedia::clipEnded()
{
    // The end of a clip that another file has replaced is no one's business.
    const ViewerSession::Shown shown = m_session->shown();
    if (shown != ViewerSession::Shown::Video && shown != ViewerSession::Shown::Audio)
        return;
    if (m_state.PlaybackPaused)
        return;
    if (m_state.SlideShowRunning) {
        startSlideTimer();
        emit slideTick(); // the next file opens at once
        return;
    }
    close();
}

void frmMedia::movieEnded()
{
    // Closes when the movie shown, if it stops, has played its last frame.
    if (m_session->shown() == ViewerSession::Shown::Flash)
        close();
}

bool frmMedia::playerShown() const
{
    return mdpMedia && mdpMedia->isVisible();
}

void frmMedia::togglePaused()
{
    m_state.PlaybackPaused = !m_state.PlaybackPaused;
    if (!mdpMedia)
        return;
    if (m_state.PlaybackPaused)
        mdpMedia->pause();
    else
        mdpMedia->play();
}

double frmMedia::position() const
{
    return mdpMedia ? mdpMedia->currentPosition() : 0.0;
}

void frmMedia::setPosition(double seconds)
{
    if (mdpMedia)
        mdpMedia->setCurrentPosition(seconds);
}

void frmMedia::startSlideTimer()
{
    tmrSlideshow->setInterval(m_options.slideIntervalMs());
    tmrSlideshow->start();
}

void frmMedia::centrePicture()
{
    layoutSession();
    m_session->centrePicture();
}

void frmMedia::scaleIt()
{
    const QImage &current = m_session->view().image;
    const QSize target = ScaleRule::scaledSize(current.size(), screenPixels(), m_options.ScaleBig,
                                               m_options.ScaleSmall);
    if (current.isNull() || target == current.size())
        return;
    picSpare = ScaleRule::resample(current, target);
    m_session->setPicture(picSpare);
    picSpare = QImage();
}

void frmMedia::layoutSession()
{
    picMedia->setMonitorProfile(monitorProfile(screen()));
    m_session->setLayout(screenPixels(), (QSizeF(size()) * devicePixelRatioF()).toSize(), Surface::toBgr(m_options.BgColour.rgb()), m_options.EdgeTuning);
}

void frmMedia::drawPicture()
{
    const QRect before = picMedia->geometry();
    picMedia->viewChanged();
    // The gradient shows again where the picture was; an animation's next
    // frame in the same place leaves it alone.
    if (picMedia->geometry() != before)
        update();
}

void frmMedia::updateInfo()
{
    const auto lines = m_session->infoLines();
    if (!m_session->infoShown() || m_session->shown() != ViewerSession::Shown::Picture || lines.isEmpty()) {
        lblInfo->hide();
        return;
    }
    QString html = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\">");
    for (const auto &[label, text] : lines)
        html += QStringLiteral("<tr><td><b>%1</b>&nbsp;&nbsp;</td><td>%2</td></tr>")
                    .arg(label.toHtmlEscaped(), text.toHtmlEscaped());
    lblInfo->setText(html + QStringLiteral("</table>"));
    lblInfo->adjustSize();
    lblInfo->move(16, 16);
    lblInfo->show();
    lblInfo->raise();
}

bool frmMedia::showPicture(const QString &path)
{
    picMedia->setBackColor(Surface::toBgr(m_options.BgColour.rgb()));
    picMedia->show();
    lblWave->hide();
    lstMedia->hide();
    hidePlayers();
    // The slide show's delay counts from the picture being there.
    tmrSlideshow->stop();
    showViewer();
    layoutSession();
    // Decoded straight to the size scaleIt would give: a large photo is
    // never held at full size only to be shrunk.
    return m_session->showPicture(path, {screenPixels(), m_options.ScaleBig != 0, m_options.ScaleSmall != 0,
                                         m_options.BgColour});
}

void frmMedia::showProblem(const QString &path, const QString &error)
{
    // Say which file could not be shown, and why, in the system's words.
    lblProblem->setText(tr("Cannot show \"%1\": %2").arg(QFileInfo(path).fileName(), error));
    lblProblem->adjustSize();
    lblProblem->move((screenSize().width() - lblProblem->width()) / 2, 0);
    lblProblem->show();
    lblProblem->raise();
}

void frmMedia::pictureOpened(const QString &path, bool ok, const QString &error)
{
    lblChanged->hide();
    if (ok) {
        picSpare = QImage();
        lblProblem->hide();
    } else {
        showProblem(path, error);
    }
    if (m_state.SlideShowRunning)
        startSlideTimer();
    update();
    emit pictureShown(path, ok);
}

PicturePreloader *frmMedia::pictures() const
{
    return m_session->pictures();
}

void frmMedia::preloadPictures(const QStringList &paths)
{
    m_session->preloadPictures(paths);
}

void frmMedia::dropPreloaded()
{
    m_session->dropPreloaded();
}

bool frmMedia::waitForPicture(int timeoutMs)
{
    return m_session->waitForPicture(timeoutMs);
}

void frmMedia::showText(const QString &path, const QString &shownAs)
{
    m_session->showOther(ViewerSession::Shown::Text, path);
    lblProblem->hide();
    picMedia->hide();
    lblWave->hide();
    lstMedia->show();
    hidePlayers();

    QFont font = lstMedia->font();
    if (!m_options.TextFontName.isEmpty())
        font.setFamily(m_options.TextFontName);
    if (m_options.TextFontSize > 0)
        font.setPointSize(m_options.TextFontSize);
    font.setBold(m_options.TextFontBold);
    font.setItalic(m_options.TextFontItalic);
    lstMedia->setFont(font);

    tmrSlideshow->stop();
    lstMedia->setGeometry(QRect(QPoint(0, 0), screenSize()));

    // The path at once, the lines when a worker has read them: a file on a
    // slow disk or a huge one never holds the window.
    const QString title = shownAs.isEmpty() ? path : shownAs;
    lstMediaModel->setStringList(textViewEntries(title, {}));
    lstMedia->setCurrentIndex(QModelIndex());   // no line stands out
    lstMedia->scrollToTop();
    const quint64 ticket = ++m_textTicket;
    auto *reading = new QFutureWatcher<TextExcerpt>(this);
    connect(reading, &QFutureWatcherBase::finished, this, [this, reading, ticket, title] {
        reading->deleteLater();
        if (ticket != m_textTicket)
            return;   // another text file was asked for meanwhile
        const TextExcerpt text = reading->result();
        lstMediaModel->setStringList(textViewEntries(title, text.lines));
        lstMedia->scrollToTop();
        emit textShown(title, text.readable);
    });
    reading->setFuture(QtConcurrent::run([path] { return readTextExcerpt(path); }));
    showViewer();
}

void frmMedia::showViewer()
{
    if (!isFullScreen())
        coverScreen();
    showFullScreen();
    raise();
    activateWindow();
    update();
}

void frmMedia::Form_KeyDown(int16_t KeyCode, int16_t Shift)
{
    layoutSession();
    m_session->keyPressed(KeyCode, Shift);
}

void frmMedia::popup(const QPoint &globalPos)
{
    emit popupRequested(globalPos);
}

void frmMedia::paintEvent(QPaintEvent *)
{
    // The bands end one band short of the bottom edge; on a full screen that
    // strip would show the window's grey, so it starts black, as the
    // gradient ends.
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
    }
    Module1::PaintGradient(this, 1, 0, 1);
}

void frmMedia::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        close();
    else if (event->button() == Qt::RightButton)
        popup(event->globalPosition().toPoint());
}

void frmMedia::wheelEvent(QWheelEvent *event)
{
    // A touchpad sends many small turns: a file per whole notch. Turning
    // back starts the count again.
    const int delta = event->angleDelta().y();
    event->accept();
    if (delta == 0)
        return;
    if ((delta > 0) != (m_wheel > 0))
        m_wheel = 0;
    m_wheel += delta;
    for (; m_wheel <= -120; m_wheel += 120)
        Form_KeyDown(vk::Space, 0);
    for (; m_wheel >= 120; m_wheel -= 120)
        Form_KeyDown(vk::Backspace, 0);
}

void frmMedia::closeEvent(QCloseEvent *event)
{
    m_state.PlaybackPaused = false;
    m_state.SlideShowRunning = false;
    tmrSlideshow->stop();
    // Nothing typed or decoded for this viewer is wanted any more.
    m_session->close();
    event->accept();
}

bool frmMedia::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        // Shortcuts of other windows must not take the viewer's keys.
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && widget->window() == this) {
            event->accept();
            return true;
        }
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && widget->window() == this) {
            int16_t code = 0, shift = 0;
            if (toVirtualKey(*static_cast<QKeyEvent *>(event), code, shift))
                Form_KeyDown(code, shift);
            return true;
        }
        return false;
    }
    if (event->type() == QEvent::MouseButtonDblClick && watched == lstMedia->viewport()) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
