#include "console/ConsoleBuffer.hpp"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

ConsoleBuffer::ConsoleBuffer(int descriptor, const char* name, bool quiet)
    : descriptor_(descriptor), name_(name), quiet_(quiet) {
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
    if (!quiet_) {
        return writeOut();
    }
    // SIGPIPE is held back while writing, and one that came is taken, unseen.
    sigset_t pipe;
    sigset_t before;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    sigprocmask(SIG_BLOCK, &pipe, &before);
    const bool written = writeOut();
    sigset_t pending;
    sigpending(&pending);
    if (sigismember(&pending, SIGPIPE) == 1 && sigismember(&before, SIGPIPE) == 0) {
        const timespec now{};
        sigtimedwait(&pipe, nullptr, &now);
    }
    sigprocmask(SIG_SETMASK, &before, nullptr);
    return written;
}

bool ConsoleBuffer::writeOut() noexcept {
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
