#pragma once
// The viewer window as the tests open it: its options and state, and a
// folder for the files they make.
#include "core/AppState.h"
#include "core/OptionSet.h"
#include "viewer/ui/frmMedia.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>

struct ViewerRig {
    QTemporaryDir m_dir;
    OptionSet m_options;
    AppState m_state;
    QPointer<frmMedia> m_viewer;

    QString path(const QString &name) const { return m_dir.filePath(name); }
    // The open viewer, or a new one: the window deletes itself when it closes.
    frmMedia *viewer()
    {
        if (!m_viewer)
            m_viewer = new frmMedia(m_options, m_state);
        return m_viewer;
    }
    // Shows file and waits until it is in: true when it could be loaded.
    bool show(const QString &file)
    {
        QSignalSpy shown(viewer(), &frmMedia::pictureShown);
        m_viewer->showPicture(file);
        if (shown.isEmpty() && !shown.wait(20000))
            return false;
        return shown.last().at(0).toString() == file && shown.last().at(1).toBool();
    }
};
