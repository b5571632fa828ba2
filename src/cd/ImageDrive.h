#pragma once
#include "cd/CueSheet.h"
#include "cd/DiscSource.h"

#include <QFile>
#include <memory>
#include <mutex>

typedef struct _CdIo CdIo_t;

// A drive whose disc is a CUE/BIN image. Inserting an image is putting a
// disc in; opening the door takes it out, closing the door puts it back.
//
// Sectors are read through libcdio's image driver when it reads this
// image as the cue describes it (one raw file named like the cue sheet);
// otherwise straight from the data files. Either way reads are clamped to
// the tracks, since libcdio does not stop at the lead-out.
class ImageDrive : public DiscSource
{
public:
    ImageDrive();
    ~ImageDrive() override;

    // Puts the image in (closing the door). False, with lastError(), when
    // the image cannot be used; the drive then keeps the disc it had.
    bool insert(const QString &cuePath);
    // Takes the disc out without touching the door.
    void remove();
    QString imagePath() const { return m_path; }
    bool readsThroughLibcdio() const { return m_cdio != nullptr; }

    bool mediaPresent() override;
    const Toc &toc() const override { return m_toc; }
    quint64 discSerial() const override { return m_serial; }
    bool readAudio(long sector, int count, char *out) override;
    bool openDoor() override;
    bool closeDoor() override;
    bool doorOpen() const override { return m_doorOpen; }
    QString lastError() const override;

private:
    bool readSectorsOf(const CueTrack &t, long first, int count, char *out);
    void closeHandles();
    void removeLocked();
    void setError(const QString &text);

    mutable std::mutex m_lock;   // reads against disc changes

    QString m_path;        // the image in the drive, or the one taken out by the door
    bool m_loaded = false;
    bool m_doorOpen = false;
    CueSheet m_sheet;
    Toc m_toc;
    quint64 m_serial = 0;
    CdIo_t *m_cdio = nullptr;
    std::vector<std::unique_ptr<QFile>> m_files;
    QString m_error;
};
