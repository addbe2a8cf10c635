#include "gamelaunch.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

int StartProgram(const std::string& Program, const std::string& Argument, const std::string& WorkDir, void* Owner)
{
    const auto Result = reinterpret_cast<INT_PTR>(ShellExecuteA(static_cast<HWND>(Owner), "open", Program.c_str(),
                                                                Argument.c_str(), WorkDir.c_str(), SW_SHOWNORMAL));
    if (Result > 32)
        return 0;
    // 0 is the shell's "out of memory or resources", which names no error code of its own.
    return Result == 0 ? ERROR_OUTOFMEMORY : static_cast<int>(Result);
}

#else
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool WriteAll(int Fd, const void* Data, size_t Size)
{
    const char* Bytes = static_cast<const char*>(Data);
    while (Size > 0) {
        const ssize_t Written = write(Fd, Bytes, Size);
        if (Written < 0 && errno == EINTR)
            continue;
        if (Written <= 0)
            return false;
        Bytes += Written;
        Size -= static_cast<size_t>(Written);
    }
    return true;
}

} // namespace

int StartProgram(const std::string& Program, const std::string& Argument, const std::string& WorkDir, void*)
{
    // The game is started by a grandchild: the child exits at once and is reaped here, so the game is
    // adopted by init and never becomes our zombie. A close-on-exec pipe carries the errno of a failed
    // chdir or exec back; a successful exec closes it with nothing written.
    int Pipe[2];
    if (pipe2(Pipe, O_CLOEXEC) != 0)
        return errno;

    // Everything the children touch is prepared before fork: only async-signal-safe calls follow it.
    const char* Path = Program.c_str();
    const char* Dir = WorkDir.c_str();
    char* const Argv[] = {const_cast<char*>(Path), const_cast<char*>(Argument.c_str()), nullptr};

    const pid_t Child = fork();
    if (Child < 0) {
        const int Error = errno;
        close(Pipe[0]);
        close(Pipe[1]);
        return Error;
    }
    if (Child == 0) {
        close(Pipe[0]);
        const pid_t Grandchild = fork();
        if (Grandchild < 0) {
            const int Error = errno;
            WriteAll(Pipe[1], &Error, sizeof Error);
            _exit(1);
        }
        if (Grandchild > 0)
            _exit(0);
        setsid();
        // The editor ignores these for its own writes; the game starts with the usual dispositions.
        signal(SIGPIPE, SIG_DFL);
        signal(SIGXFSZ, SIG_DFL);
        int Error = 0;
        if (chdir(Dir) != 0)
            Error = errno;
        else {
            execv(Path, Argv);
            Error = errno;
        }
        WriteAll(Pipe[1], &Error, sizeof Error);
        _exit(127);
    }

    close(Pipe[1]);
    int Error = 0;
    ssize_t Got;
    do
        Got = read(Pipe[0], &Error, sizeof Error);
    while (Got < 0 && errno == EINTR);
    close(Pipe[0]);
    int Status = 0;
    while (waitpid(Child, &Status, 0) < 0 && errno == EINTR) {}
    return Got == static_cast<ssize_t>(sizeof Error) ? Error : 0;
}
#endif
