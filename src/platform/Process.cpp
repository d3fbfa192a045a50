#include "platform/Process.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QStringList>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

namespace qlk {

namespace {

CommandWaitHooks& waitHooks()
{
    static CommandWaitHooks hooks;
    return hooks;
}
QString& commandLabel()
{
    static QString label;
    return label;
}
int pumpingDepth = 0;
int tiedDepth = 0;

// The window side of one run: nothing for the first moment, then the busy
// display and a pump every few milliseconds until the command has ended.
class CommandWait {
public:
    explicit CommandWait(const std::vector<QByteArray>& argv)
        : argv_(argv), active_(pumpingDepth == 0 && waitHooks().pump)
    {
        clock_.start();
    }
    ~CommandWait()
    {
        if (begun_) {
            --pumpingDepth;
            if (waitHooks().end)
                waitHooks().end();
        }
    }
    int sliceMs() const { return active_ ? 20 : 200; }
    void tick()
    {
        if (!active_)
            return;
        if (!begun_) {
            if (clock_.elapsed() < kQuietMs)
                return;
            begun_ = true;
            ++pumpingDepth;
            if (waitHooks().begin)
                waitHooks().begin(what());
        }
        waitHooks().pump();
    }

private:
    static constexpr qint64 kQuietMs = 150;
    QString what() const
    {
        if (!commandLabel().isEmpty())
            return commandLabel();
        if (argv_.size() == 3 && argv_[0] == "/bin/bash" && argv_[1] == "-c")
            return QStringLiteral("Running: ") + describeCommand(QString::fromUtf8(argv_[2]));
        QStringList words;
        for (const QByteArray& a : argv_)
            words << QString::fromUtf8(a);
        if (!words.isEmpty())
            words.first() = words.first().section(QLatin1Char('/'), -1);
        return QStringLiteral("Running: ") + describeCommand(words.join(QLatin1Char(' ')));
    }
    const std::vector<QByteArray>& argv_;
    const bool active_;
    bool begun_ = false;
    QElapsedTimer clock_;
};

void closeFd(int& fd)
{
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

// The argument vector execv takes; it points into `argv`.
std::vector<char*> execArgs(const std::vector<QByteArray>& argv)
{
    std::vector<char*> args;
    for (const QByteArray& a : argv)
        args.push_back(const_cast<char*>(a.constData()));
    args.push_back(nullptr);
    return args;
}

// The exit code as a shell reports it: 128 + the signal for a killed command,
// -1 for a time-out.
void setExitCode(ProcessResult& result, int status, bool timedOut)
{
    if (timedOut) {
        result.timedOut = true;
        result.exitCode = -1;
    } else if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.exitCode = 128 + WTERMSIG(status);
    } else {
        result.exitCode = -1;
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

    std::vector<char*> args = execArgs(argv);
    const bool tied = tiedDepth > 0;
    const pid_t parent = ::getpid();

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
        if (tied) {
            // The signal comes when the forking thread ends; that thread
            // waits below until the command has ended. A program already
            // gone before the request took hold is seen here.
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (::getppid() != parent)
                ::_exit(128 + SIGKILL);
        }
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
    bool reaped = false;
    int status = 0;
    int fds[2] = {outPipe[0], errPipe[0]};
    CommandWait wait(argv);
    // Wakes the wait below the moment the command's own process ends.
    int exitFd = int(::syscall(SYS_pidfd_open, pid, 0));
    // Reads what is waiting in the pipes, waiting up to `ms` for it (or for
    // the exit). True when something was read or a pipe reached its end.
    auto readPipes = [&](int ms) {
        struct pollfd pfd[3];
        int n = 0;
        int map[3];
        for (int i = 0; i < 2; ++i) {
            if (fds[i] >= 0) {
                pfd[n].fd = fds[i];
                pfd[n].events = POLLIN;
                pfd[n].revents = 0;
                map[n] = i;
                ++n;
            }
        }
        if (exitFd >= 0 && ms > 0) {
            pfd[n].fd = exitFd;
            pfd[n].events = POLLIN;
            pfd[n].revents = 0;
            map[n] = 2;
            ++n;
        }
        if (n == 0) {
            // No way to wake on the exit: look again shortly.
            ::usleep(useconds_t(qMin(ms, 2)) * 1000);
            return false;
        }
        const int r = ::poll(pfd, nfds_t(n), ms);
        if (r <= 0)
            return false;
        bool got = false;
        for (int k = 0; k < n; ++k) {
            const int i = map[k];
            if (i == 2 || !(pfd[k].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            char buf[8192];
            const ssize_t len = ::read(pfd[k].fd, buf, sizeof buf);
            if (len > 0) {
                (i == 0 ? out : err).append(buf, int(len));
                got = true;
            } else if (len == 0 || (errno != EINTR && errno != EAGAIN)) {
                closeFd(fds[i]);
                got = true;
            }
        }
        return got;
    };
    // The command has ended when its own process has: a program it left
    // running in the background (a terminal window, a server) may hold the
    // pipes open for as long as it likes, and is not waited for.
    while (!reaped) {
        int slice = wait.sliceMs();
        if (timeoutMs > 0) {
            const qint64 left = timeoutMs - clock.elapsed();
            if (left <= 0) {
                ::kill(-pid, SIGKILL);
                killed = true;
                break;
            }
            slice = int(qMin<qint64>(slice, left));
        }
        readPipes(slice);
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid)
            reaped = true;
        else if (done < 0 && errno != EINTR)
            break;
        wait.tick();
    }
    closeFd(exitFd);
    // What the command wrote before it ended is in the pipes already (at
    // most a pipe's worth each); a background writer is not followed.
    for (int round = 0; !killed && round < 64 && readPipes(0); ++round) {
    }
    closeFd(fds[0]);
    closeFd(fds[1]);
    if (killed) {
        // The leader may have gone already while its children held the pipes.
        ::kill(-pid, SIGKILL);
    }
    while (!reaped && ::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    // Nothing of the group may outlive a timed-out command.
    if (killed)
        ::kill(-pid, SIGKILL);

    result.output = QString::fromUtf8(out);
    result.errorOutput = QString::fromUtf8(err);
    setExitCode(result, status, killed);
    return result;
}

// The whole contents of an unnamed file a child wrote into.
QByteArray readBack(int fd)
{
    QByteArray bytes;
    if (fd < 0 || ::lseek(fd, 0, SEEK_SET) != 0)
        return bytes;
    char buf[8192];
    for (;;) {
        const ssize_t len = ::read(fd, buf, sizeof buf);
        if (len > 0)
            bytes.append(buf, int(len));
        else if (len == 0 || errno != EINTR)
            break;
    }
    return bytes;
}

ProcessResult runArgvDetached(const std::vector<QByteArray>& argv, int timeoutMs)
{
    ProcessResult result;
    // Standard output, standard error and the marks: files, not pipes, so
    // that a command still writing after this program has gone is not
    // ended by SIGPIPE.
    int files[3] = {-1, -1, -1};
    for (int& fd : files)
        fd = ::memfd_create("qlk-output", MFD_CLOEXEC);
    if (files[0] < 0 || files[1] < 0 || files[2] < 0) {
        for (int& fd : files)
            closeFd(fd);
        result.exitCode = -1;
        result.errorOutput = QStringLiteral("cannot create output files");
        return result;
    }

    std::vector<char*> args = execArgs(argv);

    const pid_t pid = ::fork();
    if (pid < 0) {
        for (int& fd : files)
            closeFd(fd);
        result.exitCode = -1;
        result.errorOutput = QStringLiteral("cannot start a process");
        return result;
    }
    if (pid == 0) {
        // A session of its own: no signal meant for this program or its
        // terminal reaches the command.
        ::setsid();
        // Out of the way of 0-3 first, so that no target overwrites a source.
        int high[3];
        for (int i = 0; i < 3; ++i)
            high[i] = ::fcntl(files[i], F_DUPFD_CLOEXEC, 10);
        int devnull = ::open("/dev/null", O_RDONLY);
        if (devnull >= 0) {
            ::dup2(devnull, 0);
            ::close(devnull);
        }
        for (int i = 0; i < 3; ++i)
            ::dup2(high[i], i + 1);
        ::signal(SIGPIPE, SIG_DFL);
        ::execv(args[0], args.data());
        ::_exit(127);
    }

    QElapsedTimer clock;
    clock.start();
    bool killed = false;
    bool reaped = false;
    int status = 0;
    CommandWait wait(argv);
    const int exitFd = int(::syscall(SYS_pidfd_open, pid, 0));
    while (!reaped) {
        int slice = wait.sliceMs();
        if (timeoutMs > 0) {
            const qint64 left = timeoutMs - clock.elapsed();
            if (left <= 0) {
                ::kill(-pid, SIGKILL);
                killed = true;
                break;
            }
            slice = int(qMin<qint64>(slice, left));
        }
        if (exitFd >= 0) {
            struct pollfd pfd = {exitFd, POLLIN, 0};
            ::poll(&pfd, 1, slice);
        } else {
            ::usleep(useconds_t(qMin(slice, 20)) * 1000);
        }
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid)
            reaped = true;
        else if (done < 0 && errno != EINTR)
            break;
        wait.tick();
    }
    if (exitFd >= 0)
        ::close(exitFd);
    while (!reaped && ::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }

    result.output = QString::fromUtf8(readBack(files[0]));
    result.errorOutput = QString::fromUtf8(readBack(files[1]));
    result.marks = QString::fromUtf8(readBack(files[2]));
    for (int& fd : files)
        closeFd(fd);
    setExitCode(result, status, killed);
    return result;
}

} // namespace

void setCommandWaitHooks(CommandWaitHooks hooks)
{
    waitHooks() = std::move(hooks);
}

CommandLabel::CommandLabel(const QString& what) : previous_(commandLabel())
{
    commandLabel() = what;
}

CommandLabel::~CommandLabel()
{
    commandLabel() = previous_;
}

CommandsEndWithProgram::CommandsEndWithProgram()
{
    ++tiedDepth;
}

CommandsEndWithProgram::~CommandsEndWithProgram()
{
    --tiedDepth;
}

QString describeCommand(const QString& command)
{
    QString text = command.simplified();
    if (text.startsWith(QLatin1String("export PATH="))) {
        const qsizetype end = text.indexOf(QLatin1Char(';'));
        if (end >= 0)
            text = text.mid(end + 1).trimmed();
    }
    if (text.startsWith(QLatin1String("cd "))) {
        const qsizetype chain = text.indexOf(QLatin1String(" && "));
        if (chain >= 0)
            text = text.mid(chain + 4).trimmed();
    }
    constexpr qsizetype kLength = 100;
    if (text.size() > kLength)
        text = text.left(kLength - 1) + QChar(0x2026);
    return text;
}

namespace {
std::vector<QByteArray> programArgv(const QString& program, const QStringList& args)
{
    std::vector<QByteArray> argv;
    argv.push_back(program.toUtf8());
    for (const QString& a : args)
        argv.push_back(a.toUtf8());
    return argv;
}
} // namespace

ProcessResult runBash(const QString& command, int timeoutMs)
{
    return runArgv({QByteArray("/bin/bash"), QByteArray("-c"), command.toUtf8()}, timeoutMs);
}

ProcessResult runProgram(const QString& program, const QStringList& args, int timeoutMs)
{
    return runArgv(programArgv(program, args), timeoutMs);
}

ProcessResult runBashDetached(const QString& command, int timeoutMs)
{
    return runArgvDetached({QByteArray("/bin/bash"), QByteArray("-c"), command.toUtf8()}, timeoutMs);
}

ProcessResult runProgramDetached(const QString& program, const QStringList& args, int timeoutMs)
{
    return runArgvDetached(programArgv(program, args), timeoutMs);
}

} // namespace qlk
