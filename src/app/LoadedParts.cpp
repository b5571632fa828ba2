#include "app/LoadedParts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QOpenGLContext>

#include <dlfcn.h>

// Qt's own: the context every widget's GL surface shares.
Q_GUI_EXPORT QOpenGLContext *qt_gl_global_share_context();
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext *context);

namespace {
// The web engine renders through contexts shared with a global one, which Qt
// makes at start when asked; a program that links the engine is asked. The
// program does not link it, so the context is made here, just before the
// engine loads, as Qt would have made it.
void prepareSharedContext()
{
    if (qt_gl_global_share_context())
        return;
    // Qt warns that the attribute belongs before start, but honours it; the
    // warning is for programs that set it too late by mistake.
    QLoggingCategory *log = QLoggingCategory::defaultCategory();
    const bool warns = log->isWarningEnabled();
    log->setEnabled(QtWarningMsg, false);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    log->setEnabled(QtWarningMsg, warns);
    auto *context = new QOpenGLContext(qApp);
    context->setFormat(QSurfaceFormat::defaultFormat());
    context->create();   // fails without GL (offscreen); the engine copes then
    qt_gl_set_global_share_context(context);
}
} // namespace

LoadedParts::LoadedParts(QStringList candidates) : m_candidates(std::move(candidates)) {}

QStringList LoadedParts::moduleCandidates(const QString &programFolder)
{
    const QDir here(programFolder);
    return {here.filePath(QStringLiteral("glintwave-parts.so")),
            QDir::cleanPath(here.filePath(QStringLiteral(GW_PARTS_FROM_BIN "/glintwave-parts.so")))};
}

OnDemandParts *LoadedParts::parts()
{
    if (m_tried)
        return m_parts;
    m_tried = true;
    QString file;
    for (const QString &candidate : m_candidates)
        if (file.isEmpty() && QFileInfo::exists(candidate))
            file = candidate;
    if (file.isEmpty()) {
        m_problem = QCoreApplication::translate("LoadedParts", "%1 is missing")
                        .arg(m_candidates.value(0, QStringLiteral("glintwave-parts.so")));
        return nullptr;
    }
    prepareSharedContext();
    // Never unloaded: its windows and players live as long as the program.
    void *module = dlopen(QFile::encodeName(file).constData(), RTLD_NOW | RTLD_LOCAL);
    using Entry = OnDemandParts *(*)();
    auto entry = module ? reinterpret_cast<Entry>(dlsym(module, "glintwave_on_demand_parts")) : nullptr;
    if (!entry) {
        m_problem = QCoreApplication::translate("LoadedParts", "cannot load %1: %2")
                        .arg(file, QString::fromLocal8Bit(dlerror()));
        return nullptr;
    }
    m_parts = entry();
    return m_parts;
}

MediaPlayerView *LoadedParts::newMediaPlayer(QWidget *parent)
{
    return parts() ? m_parts->newMediaPlayer(parent) : nullptr;
}

FlashPlayerView *LoadedParts::newFlashPlayer(QWidget *parent)
{
    return parts() ? m_parts->newFlashPlayer(parent) : nullptr;
}

bool LoadedParts::showPageBrowser(const QString &target)
{
    return parts() && m_parts->showPageBrowser(target);
}

bool LoadedParts::showHelpPage()
{
    return parts() && m_parts->showHelpPage();
}

bool LoadedParts::showHtmlBuilder(QWidget *parent, FolderSource currentFolder, NamesSource listedNames,
                                  RawNamesSource listedBytes)
{
    return parts() && m_parts->showHtmlBuilder(parent, std::move(currentFolder), std::move(listedNames),
                                                std::move(listedBytes));
}

bool LoadedParts::showCdPlayer(QWidget *parent, bool onTop)
{
    return parts() && m_parts->showCdPlayer(parent, onTop);
}
