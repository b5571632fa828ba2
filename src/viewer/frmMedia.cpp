#include "frmMedia.h"

#include "AppState.h"
#include "FlashPlayerWidget.h"
#include "MediaPlayerWidget.h"
#include "PlayerPlacement.h"
#include "Twips.h"
#include "Module1.h"
#include "OptionSet.h"
#include "PictureBox.h"
#include "PictureLoader.h"
#include "PictureSurface.h"
#include "ScaleRule.h"
#include "TextLines.h"
#include "VirtualKey.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QFileInfo>
#include <QLabel>
#include <QListView>
#include <QScreen>
#include <QStringListModel>
#include <QTimer>

frmMedia::frmMedia(const OptionSet &options, AppState &state, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_options(options), m_state(state)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmMedia"));
    setWindowTitle(QStringLiteral("Glintwave"));

    picMedia = new PictureBox(this);
    picMedia->setObjectName(QStringLiteral("picMedia"));
    picMedia->setBackColor(Surface::toBgr(m_options.BgColour.rgb()));
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

    tmrSlideshow = new QTimer(this);
    tmrSlideshow->setObjectName(QStringLiteral("tmrSlideshow"));
    connect(tmrSlideshow, &QTimer::timeout, this, &frmMedia::slideTick);

    connect(picMedia, &PictureBox::leftPressed, this, [this](const QPoint &pos) {
        m_dragOffset = pos;
        m_dragging = true;
    });
    connect(picMedia, &PictureBox::dragMoved, this, [this](const QPoint &pos) {
        if (!m_dragging)
            return;
        // The point first grabbed stays under the pointer.
        picMedia->move(picMedia->pos() + pos - m_dragOffset);
    });
    connect(picMedia, &PictureBox::released, this, [this] { m_dragging = false; });
    connect(picMedia, &PictureBox::rightPressed, this, &frmMedia::popup);
    connect(picMedia, &PictureBox::doubleClicked, this, &QWidget::close);

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
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : size();
}

void frmMedia::coverScreen()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        setGeometry(screen->geometry());
}

void frmMedia::hideAllControls()
{
    lblProblem->hide();
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

MediaPlayerWidget *frmMedia::mediaPlayer()
{
    if (!mdpMedia) {
        mdpMedia = new MediaPlayerWidget(this);
        mdpMedia->setObjectName(QStringLiteral("mdpMedia"));
        mdpMedia->hide();
        connect(mdpMedia, &MediaPlayerWidget::endOfStream, this, &frmMedia::clipEnded);
        connect(mdpMedia, &MediaPlayerWidget::leftButtonPressed, this, &QWidget::close);
    }
    return mdpMedia;
}

FlashPlayerWidget *frmMedia::flashPlayer()
{
    if (!swfMedia) {
        swfMedia = new FlashPlayerWidget(this);
        swfMedia->setObjectName(QStringLiteral("swfMedia"));
        swfMedia->hide();
        // Closes when a movie that stops has played its last frame.
        connect(swfMedia, &FlashPlayerWidget::movieFinished, this, &QWidget::close);
    }
    return swfMedia;
}

QSizeF frmMedia::screenTwips() const
{
    const QSize s = screenSize();
    return QSizeF(twips::fromPixels(s.width()), twips::fromPixels(s.height()));
}

void frmMedia::showVideo(const QString &path)
{
    lblProblem->hide();
    picMedia->hide();
    lblWave->hide();
    lstMedia->hide();
    MediaPlayerWidget *player = mediaPlayer();
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

void frmMedia::showAudio(const QString &path)
{
    lblProblem->hide();
    picMedia->hide();
    lblWave->show();
    lstMedia->hide();
    MediaPlayerWidget *player = mediaPlayer();
    player->show();
    if (swfMedia)
        swfMedia->hide();
    tmrSlideshow->stop();
    player->setFileName(path);
    lblWave->setText(QStringLiteral("Now playing ") + path);
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
    lblProblem->hide();
    picMedia->hide();
    lblWave->hide();
    lstMedia->hide();
    if (mdpMedia)
        mdpMedia->hide();
    FlashPlayerWidget *flash = flashPlayer();
    flash->show();
    tmrSlideshow->stop();
    flash->setGeometry(playerplacement::flashPixels(screenTwips()));
    flash->setMovie(path);
    showViewer();
}

void frmMedia::clipEnded()
{
    if (m_state.PlaybackPaused)
        return;
    if (m_state.SlideShowRunning) {
        startSlideTimer();
        emit slideTick(); // the next file opens at once
        return;
    }
    close();
}

void frmMedia::startSlideTimer()
{
    tmrSlideshow->setInterval(m_options.slideIntervalMs());
    tmrSlideshow->start();
}

void frmMedia::centrePicture()
{
    const QSize screen = screenSize();
    picMedia->move((screen.width() - picMedia->width()) / 2, (screen.height() - picMedia->height()) / 2);
}

void frmMedia::scaleIt()
{
    const QImage &current = picMedia->picture();
    const QSize target = ScaleRule::scaledSize(current.size(), screenSize(), m_options.ScaleBig,
                                               m_options.ScaleSmall);
    if (current.isNull() || target == current.size())
        return;
    picSpare = ScaleRule::resample(current, target);
    picMedia->setPicture(picSpare);
    picSpare = QImage();
}

bool frmMedia::showPicture(const QString &path)
{
    picMedia->setBackColor(Surface::toBgr(m_options.BgColour.rgb()));
    picMedia->show();
    lblWave->hide();
    lstMedia->hide();
    hidePlayers();

    const QSize screen = screenSize();
    const bool big = m_options.ScaleBig, small = m_options.ScaleSmall;
    // Decoding straight to the size scaleIt would give saves a full-size
    // decode of large photos.
    QApplication::setOverrideCursor(Qt::WaitCursor);   // a huge picture takes seconds
    const LoadedPicture loaded = PictureLoader::loadFitted(
        path, [screen, big, small](const QSize &s) { return ScaleRule::scaledSize(s, screen, big, small); },
        m_options.BgColour);
    QApplication::restoreOverrideCursor();
    if (loaded.ok()) {
        picMedia->setPicture(loaded.image);
        picSpare = QImage();
        lblProblem->hide();
    } else {
        lblProblem->setText(tr("Cannot show \"%1\": %2").arg(QFileInfo(path).fileName(), loaded.error));
        lblProblem->adjustSize();
        lblProblem->move((screen.width() - lblProblem->width()) / 2, 0);
        lblProblem->show();
        lblProblem->raise();
    }
    centrePicture();

    if (m_state.SlideShowRunning)
        startSlideTimer();
    showViewer();
    return loaded.ok();
}

bool frmMedia::showText(const QString &path)
{
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

    QStringList lines;
    const bool read = readTextLines(path, &lines);
    lstMediaModel->setStringList(textViewEntries(path, lines));
    lstMedia->setCurrentIndex(QModelIndex());   // no line stands out
    lstMedia->scrollToTop();
    showViewer();
    return read;
}

void frmMedia::showViewer()
{
    coverScreen();
    show();
    raise();
    activateWindow();
    update();
}

void frmMedia::Form_KeyDown(int16_t KeyCode, int16_t Shift)
{
    if (KeyCode == 27) {
        close();
        return;
    }
    emit keyDown(KeyCode, Shift);
}

void frmMedia::popup(const QPoint &globalPos)
{
    emit popupRequested(globalPos);
}

void frmMedia::paintEvent(QPaintEvent *)
{
    Module1::PaintGradient(this, 1, 0, 1);
}

void frmMedia::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        close();
    else if (event->button() == Qt::RightButton)
        popup(event->globalPosition().toPoint());
}

void frmMedia::closeEvent(QCloseEvent *event)
{
    m_state.PlaybackPaused = false;
    m_state.SlideShowRunning = false;
    tmrSlideshow->stop();
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
