#include "viewer/PicturePreloader.h"

#include "core/WorkerPriority.h"

#include "viewer/PictureLimits.h"
#include "viewer/ScaleRule.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QPointer>
#include <QRunnable>
#include <QThreadPool>

#include <atomic>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace {

struct Stamp {
    qint64 mtimeMs = -1;
    qint64 size = -1;
    bool operator==(const Stamp &o) const { return mtimeMs == o.mtimeMs && size == o.size; }
};

Stamp stampOf(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return {};
    return {info.lastModified().toMSecsSinceEpoch(), info.size()};
}

// Neighbours are decoded one at a time on a thread of their own that yields
// to everything else: the picture the user opens, an effect and the window
// itself come first on a machine with two cores.
QThreadPool *preloadPool()
{
    static QThreadPool *pool = [] {
        auto *p = new QThreadPool(QCoreApplication::instance());
        p->setMaxThreadCount(1);
        return p;
    }();
    return pool;
}


} // namespace

struct PicturePreloader::Job {
    QString path;
    Rule rule;
    Stamp stamp;
    bool whole = false;   // never a preview in place of the picture
    std::atomic_bool abandoned{false};
    std::atomic_bool started{false};
    bool finished = false;
    LoadedPicture picture;
};

qint64 PicturePreloader::defaultBudget()
{
    return std::min<qint64>(qint64(512) << 20, PictureLimits::physicalMemory() / 8);
}

PicturePreloader::PicturePreloader(QObject *parent)
    : QObject(parent), m_budget(defaultBudget())
{
}

PicturePreloader::~PicturePreloader()
{
    clear();
}

void PicturePreloader::setRule(const Rule &rule)
{
    if (rule == m_rule)
        return;
    const QString opening = m_opening;
    clear();
    m_rule = rule;
    // An open still wanted is started again with the new rule.
    if (!opening.isEmpty()) {
        start(opening, true);
        m_opening = opening;
    }
}

bool PicturePreloader::fresh(const Job &job) const
{
    return job.rule == m_rule && job.stamp == stampOf(job.path);
}

std::shared_ptr<PicturePreloader::Job> PicturePreloader::start(const QString &path, bool urgent, bool whole)
{
    auto job = std::make_shared<Job>();
    job->path = path;
    job->rule = m_rule;
    job->stamp = stampOf(path);
    job->whole = whole;
    (whole ? m_wholes : m_jobs).insert(path, job);
    ++m_decodes;
    emit decoding(path, urgent);
    PictureLimits::applyToImageReader();   // before a worker reads it

    QPointer<PicturePreloader> self(this);
    auto run = [job, self, urgent] {
        if (job->abandoned)
            return;
        job->started = true;
        if (!urgent)
            lowerThisThread();
        const Rule rule = job->rule;
        PictureLoader::LoadRequest request;
        request.sizeRule = [rule](const QSize &s) {
            return ScaleRule::scaledSize(s, rule.screen, rule.scaleBig, rule.scaleSmall);
        };
        request.background = rule.background;
        request.quickPreview = !job->whole;
        request.view = rule.screen;
        LoadedPicture picture = PictureLoader::load(job->path, request);
        if (job->abandoned)
            return;   // nobody waits: the picture is freed here, off the window's thread
        QMetaObject::invokeMethod(QCoreApplication::instance(), [self, job, picture] {
            if (!self || job->abandoned)
                return;
            job->picture = picture;
            job->finished = true;
            self->done(job);
        }, Qt::QueuedConnection);
    };
    if (urgent)
        QThreadPool::globalInstance()->start(QRunnable::create(run), 1);   // the user is waiting
    else
        preloadPool()->start(QRunnable::create(run));
    return job;
}

void PicturePreloader::developIfPreview(const Job &job)
{
    // The whole picture behind a quick view is what the user waits for; a
    // camera's own preview is a picture to look at meanwhile.
    if (job.picture.preview && !m_wholes.contains(job.path))
        start(job.path, !job.picture.previewArea.isEmpty(), true);
}

void PicturePreloader::done(const std::shared_ptr<Job> &job)
{
    if (job->whole) {
        if (m_wholes.value(job->path) != job)
            return;
        m_wholes.remove(job->path);
        if (!fresh(*job))
            return;
        // A preview kept for going back to the picture gives way too.
        if (const auto kept = m_jobs.value(job->path); kept && kept->finished && job->picture.ok())
            kept->picture = job->picture;
        emit developed(job->path, job->picture);
        return;
    }
    if (m_jobs.value(job->path) != job)
        return;
    if (job->path == m_opening) {
        m_opening.clear();
        developIfPreview(*job);
        emit opened(job->path, job->picture);
        return;
    }
    if (heldBytes() > m_budget) {
        // Over the budget: this neighbour will be decoded when it is opened.
        m_jobs.remove(job->path);
        return;
    }
    emit preloaded(job->path);
}

bool PicturePreloader::open(const QString &path, LoadedPicture *out)
{
    if (!m_opening.isEmpty() && m_opening != path)
        abandon();
    if (auto it = m_jobs.find(path); it != m_jobs.end()) {
        const std::shared_ptr<Job> job = it.value();
        if (!fresh(*job)) {
            job->abandoned = true;
            m_jobs.erase(it);
        } else if (job->finished) {
            *out = job->picture;
            m_opening.clear();
            developIfPreview(*job);
            return true;
        } else if (job->started) {
            m_opening = path;   // a preload of it is running: wait for that one
            return false;
        } else {
            // Still queued behind other preloads: decode it now instead.
            job->abandoned = true;
            m_jobs.erase(it);
        }
    }
    start(path, true);
    m_opening = path;
    return false;
}

void PicturePreloader::abandon()
{
    if (m_opening.isEmpty())
        return;
    auto it = m_jobs.find(m_opening);
    if (it != m_jobs.end() && !it.value()->finished) {
        it.value()->abandoned = true;
        m_jobs.erase(it);
    }
    m_opening.clear();
}

void PicturePreloader::preload(const QStringList &paths)
{
    for (auto it = m_jobs.begin(); it != m_jobs.end();) {
        if (it.key() != m_opening && !paths.contains(it.key())) {
            it.value()->abandoned = true;
            it = m_jobs.erase(it);
        } else {
            ++it;
        }
    }
    for (const QString &path : paths) {
        auto it = m_jobs.find(path);
        if (it != m_jobs.end() && it.value()->finished && !fresh(*it.value())) {
            it.value()->abandoned = true;
            m_jobs.erase(it);
            it = m_jobs.end();
        }
        if (it == m_jobs.end() && !path.isEmpty())
            start(path, false);
    }
}

void PicturePreloader::clear()
{
    for (const auto &job : std::as_const(m_jobs))
        job->abandoned = true;
    for (const auto &job : std::as_const(m_wholes))
        job->abandoned = true;
    m_jobs.clear();
    m_wholes.clear();
    m_opening.clear();
}

bool PicturePreloader::isReady(const QString &path) const
{
    const auto job = m_jobs.value(path);
    return job && job->finished && fresh(*job);
}

qint64 PicturePreloader::heldBytes() const
{
    qint64 bytes = 0;
    for (const auto &job : m_jobs)
        if (job->finished)
            bytes += job->picture.image.sizeInBytes();
    return bytes;
}
