#pragma once
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

// libjpeg's errors as a jump back to the decoder that set `jump`, with the
// library's message kept, and its warnings (a file cut short) left unsaid:
// such a file is decoded on. Attach before jpeg_create_decompress.
struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX] = {};

    void attachTo(jpeg_decompress_struct &info)
    {
        info.err = jpeg_std_error(&manager);
        manager.error_exit = [](j_common_ptr common) {
            auto *self = reinterpret_cast<JpegErrors *>(common->err);
            self->manager.format_message(common, self->message);
            std::longjmp(self->jump, 1);
        };
        manager.emit_message = [](j_common_ptr, int) {};
    }
};
