#pragma once
#include <QImage>

#include <atomic>
#include <thread>

// A picture decoded straight into a memfd, mapped in the helper while it is
// written: sealed and handed over, its pixels reach the program without a
// copy. Pages of shared memory cost more to fault in than the heap's, so for
// a large picture a second thread makes them ahead of the decoder.
class SharedPixels
{
public:
    SharedPixels() = default;
    SharedPixels(const SharedPixels &) = delete;
    SharedPixels &operator=(const SharedPixels &) = delete;
    ~SharedPixels();

    // Room for one 32-bit picture, or a null image (the heap then serves).
    // The image must be gone before this object.
    QImage allocate(const QSize &size, QImage::Format format);

    // The memfd, sealed, when image is the picture made in it and nothing
    // else holds it (image is then let go: a written mapping would stop the
    // seal); -1 otherwise, and image is left as it was. The caller owns it.
    int handOver(QImage &image);

private:
    static void unmap(void *self);
    void stopMakingPages();

    int m_fd = -1;
    void *m_address = nullptr;
    size_t m_length = 0;
    std::thread m_pageMaker;
    std::atomic<bool> m_stop{false};
};

// A picture made elsewhere, copied into a sealed memfd; -1 when it cannot be.
int copiedToSealedMemfd(const QImage &image);
