#pragma once

#include <csetjmp>
#include <exception>
#include <string>

// Keeps C++ exceptions out of a C library's frames. The decoder runs each
// library call through Run, which holds the only setjmp. The library's error
// callback leaves through JumpBack, which longjmps to that Run with the
// library's message; a callback that calls C++ code wraps it in Catch, which
// keeps whatever it throws and reports that the callback should leave too.
// After Run has returned false, ThrowFailure throws in the C++ frame.
class CLibraryGuard {
public:
    // Runs `call`: library calls only, so that nothing with a destructor lives
    // in the frames a jump skips. False when a callback jumped back.
    template <typename Call>
    bool Run(Call&& call)
    {
        if (setjmp(jump_) != 0)
            return false;
        call();
        return true;
    }

    // From inside the library: returns to the Run in progress, keeping `message`.
    [[noreturn]] void JumpBack(const char* message);

    // From a library callback: runs C++ code; keeps what it throws and returns
    // false instead, so that the callback can leave through JumpBack.
    template <typename Work>
    bool Catch(Work&& work) noexcept
    {
        try {
            work();
            return true;
        } catch (...) {
            kept_ = std::current_exception();
            return false;
        }
    }

    // After Run returned false: rethrows the exception a callback kept, or
    // throws ThrowDecodeError(code, the library's message + suffix).
    [[noreturn]] void ThrowFailure(int code, const char* suffix = "");

private:
    std::jmp_buf jump_;
    char message_[256] = {};
    std::exception_ptr kept_;
};
