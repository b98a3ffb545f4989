#include "console/ConsoleBuffer.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

ConsoleBuffer::ConsoleBuffer(int descriptor, const char* name)
    : descriptor_(descriptor), name_(name) {
    setg(storage_.data(), storage_.data(), storage_.data());
    setp(storage_.data(), storage_.data() + storage_.size());
}

void ConsoleBuffer::fail(const char* doing, int error) const {
    throw Failure(std::string("cannot ") + doing + " " + name_ + ": " + std::strerror(error));
}

ConsoleBuffer::int_type ConsoleBuffer::underflow() {
    for (;;) {
        const ssize_t got = ::read(descriptor_, storage_.data(), storage_.size());
        if (got > 0) {
            setg(storage_.data(), storage_.data(), storage_.data() + got);
            return traits_type::to_int_type(storage_[0]);
        }
        if (got == 0) {
            return traits_type::eof();
        }
        if (errno != EINTR) {
            fail("read", errno);
        }
    }
}

bool ConsoleBuffer::drain() noexcept {
    const char* next = pbase();
    while (writeError_ == 0 && next < pptr()) {
        const ssize_t written = ::write(descriptor_, next, static_cast<std::size_t>(pptr() - next));
        if (written > 0) {
            next += written;
        } else if (written == 0 || errno != EINTR) {
            writeError_ = written == 0 ? EIO : errno;
        }
    }
    // What could not be written is dropped: only the first failure is reported.
    setp(storage_.data(), storage_.data() + storage_.size());
    return writeError_ == 0;
}

ConsoleBuffer::int_type ConsoleBuffer::overflow(int_type c) {
    if (sync() != 0) {
        return traits_type::eof();
    }
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int ConsoleBuffer::sync() {
    if (!drain()) {
        fail("write", writeError_);
    }
    return 0;
}
