#include "decode/SharedPixels.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif

namespace {
// Below this the decode is short and a thread would cost more than it saves.
constexpr size_t PagesAheadFromBytes = size_t(16) << 20;
constexpr size_t PagesAheadStep = size_t(2) << 20;

// Nothing can change, grow or shrink the pixels once handed over.
bool seal(int fd)
{
    return ::fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL) == 0;
}
} // namespace

int copiedToSealedMemfd(const QImage &image)
{
    const int fd = ::memfd_create("glintwave-pixels", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (fd < 0)
        return -1;
    const qsizetype length = image.sizeInBytes();
    const char *bits = reinterpret_cast<const char *>(image.constBits());
    bool ok = ::ftruncate(fd, length) == 0;
    for (qsizetype done = 0; ok && done < length;) {
        const ssize_t n = ::pwrite(fd, bits + done, size_t(length - done), done);
        ok = n > 0;
        done += ok ? n : 0;
    }
    if (!ok || !seal(fd)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

SharedPixels::~SharedPixels()
{
    stopMakingPages();
    if (m_fd >= 0)
        ::close(m_fd);
}

QImage SharedPixels::allocate(const QSize &size, QImage::Format format)
{
    if (m_fd >= 0 || size.isEmpty() || QImage::toPixelFormat(format).bitsPerPixel() != 32)
        return {};
    const int bytesPerLine = size.width() * 4;
    const size_t length = size_t(bytesPerLine) * size_t(size.height());
    const int fd = ::memfd_create("glintwave-pixels", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (fd < 0)
        return {};
    void *address = MAP_FAILED;
    if (::ftruncate(fd, off_t(length)) == 0)
        address = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (address == MAP_FAILED) {
        ::close(fd);
        return {};
    }
    m_fd = fd;
    m_address = address;
    m_length = length;
    if (length >= PagesAheadFromBytes) {
        // Populating never writes, so it may run beside the decoder's rows;
        // a kernel without it (or a refused thread) leaves the faults to the
        // decoder as before.
        try {
            m_pageMaker = std::thread([this, start = static_cast<char *>(address), length] {
                for (size_t done = 0; done < length && !m_stop.load(std::memory_order_relaxed);) {
                    const size_t step = std::min(PagesAheadStep, length - done);
                    if (::madvise(start + done, step, MADV_POPULATE_WRITE) != 0)
                        return;
                    done += step;
                }
            });
        } catch (const std::system_error &) {
        }
    }
    return QImage(static_cast<uchar *>(address), size.width(), size.height(), bytesPerLine, format, unmap,
                  this);
}

int SharedPixels::handOver(QImage &image)
{
    if (!m_address || image.constBits() != m_address || !image.isDetached())
        return -1;
    image = QImage();   // unmaps
    const int fd = std::exchange(m_fd, -1);
    if (m_address || !seal(fd)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void SharedPixels::stopMakingPages()
{
    m_stop = true;
    if (m_pageMaker.joinable())
        m_pageMaker.join();
}

void SharedPixels::unmap(void *self)
{
    auto *pixels = static_cast<SharedPixels *>(self);
    pixels->stopMakingPages();
    ::munmap(pixels->m_address, pixels->m_length);
    pixels->m_address = nullptr;
}
