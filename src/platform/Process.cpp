#include "platform/Process.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QStringList>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

namespace qlk {

namespace {

void closeFd(int& fd)
{
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

ProcessResult runArgv(const std::vector<QByteArray>& argv, int timeoutMs)
{
    ProcessResult result;
    int outPipe[2] = {-1, -1};
    int errPipe[2] = {-1, -1};
    if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(errPipe, O_CLOEXEC) != 0) {
        closeFd(outPipe[0]); closeFd(outPipe[1]);
        result.exitCode = -1;
        result.errorOutput = QStringLiteral("cannot create pipes");
        return result;
    }

    std::vector<char*> args;
    for (const QByteArray& a : argv)
        args.push_back(const_cast<char*>(a.constData()));
    args.push_back(nullptr);

    pid_t pid = ::fork();
    if (pid < 0) {
        closeFd(outPipe[0]); closeFd(outPipe[1]);
        closeFd(errPipe[0]); closeFd(errPipe[1]);
        result.exitCode = -1;
        result.errorOutput = QStringLiteral("cannot start a process");
        return result;
    }
    if (pid == 0) {
        // Child: own process group, so that a time-out can end everything it started.
        ::setpgid(0, 0);
        int devnull = ::open("/dev/null", O_RDONLY);
        if (devnull >= 0) {
            ::dup2(devnull, 0);
            ::close(devnull);
        }
        ::dup2(outPipe[1], 1);
        ::dup2(errPipe[1], 2);
        ::signal(SIGPIPE, SIG_DFL);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::setpgid(pid, pid); // also from this side, against the race with the child
    closeFd(outPipe[1]);
    closeFd(errPipe[1]);

    QByteArray out, err;
    QElapsedTimer clock;
    clock.start();
    bool killed = false;
    int fds[2] = {outPipe[0], errPipe[0]};
    while (fds[0] >= 0 || fds[1] >= 0) {
        struct pollfd pfd[2];
        int n = 0;
        int map[2];
        for (int i = 0; i < 2; ++i) {
            if (fds[i] >= 0) {
                pfd[n].fd = fds[i];
                pfd[n].events = POLLIN;
                pfd[n].revents = 0;
                map[n] = i;
                ++n;
            }
        }
        int wait = -1;
        if (timeoutMs > 0) {
            qint64 left = timeoutMs - clock.elapsed();
            if (left <= 0) {
                ::kill(-pid, SIGKILL);
                killed = true;
                break;
            }
            wait = int(left);
        }
        int r = ::poll(pfd, nfds_t(n), wait);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int k = 0; k < n; ++k) {
            if (!(pfd[k].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            char buf[8192];
            ssize_t got = ::read(pfd[k].fd, buf, sizeof buf);
            int i = map[k];
            if (got > 0) {
                (i == 0 ? out : err).append(buf, int(got));
            } else if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN)) {
                closeFd(fds[i]);
            }
        }
    }
    closeFd(fds[0]);
    closeFd(fds[1]);
    if (killed) {
        // The leader may have gone already while its children held the pipes.
        ::kill(-pid, SIGKILL);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    // Nothing of the group may outlive a timed-out command.
    if (killed)
        ::kill(-pid, SIGKILL);

    result.output = QString::fromUtf8(out);
    result.errorOutput = QString::fromUtf8(err);
    if (killed) {
        result.timedOut = true;
        result.exitCode = -1;
    } else if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.exitCode = 128 + WTERMSIG(status);
    } else {
        result.exitCode = -1;
    }
    return result;
}

} // namespace

ProcessResult runBash(const QString& command, int timeoutMs)
{
    return runArgv({QByteArray("/bin/bash"), QByteArray("-c"), command.toUtf8()}, timeoutMs);
}

ProcessResult runProgram(const QString& program, const QStringList& args, int timeoutMs)
{
    std::vector<QByteArray> argv;
    argv.push_back(program.toUtf8());
    for (const QString& a : args)
        argv.push_back(a.toUtf8());
    return runArgv(argv, timeoutMs);
}

} // namespace qlk
