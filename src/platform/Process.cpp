#include "platform/Process.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QStringList>

#include <cerrno>
#include <csignal>
#include <cstring>
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
bool stopWanted = false;

// The window side of one run: nothing for the first moment, then the busy
// display and a pump every few milliseconds until the command has ended.
class CommandWait {
public:
    explicit CommandWait(const std::vector<QByteArray>& argv, bool stoppable = false)
        : argv_(argv), active_(pumpingDepth == 0 && waitHooks().pump), stoppable_(stoppable)
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
        if (stoppable_ && !offered_ && clock_.elapsed() >= commandStopOfferMs) {
            offered_ = true;
            if (waitHooks().offerStop)
                waitHooks().offerStop();
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
    const bool stoppable_;
    bool begun_ = false;
    bool offered_ = false;
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
    bool overflowed = false; // wrote more than kPipeOutputLimit
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
                if (out.size() + err.size() + len > kPipeOutputLimit) {
                    overflowed = true;
                    return got;
                }
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
        if (overflowed) {
            ::kill(-pid, SIGKILL);
            killed = true;
            break;
        }
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
    for (int round = 0; !killed && !overflowed && round < 64 && readPipes(0); ++round) {
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
    if (overflowed) {
        // Cut short, the output would pass for the whole of it.
        setExitCode(result, status, false);
        if (result.exitCode == 0)
            result.exitCode = 128 + SIGKILL;
        result.errorOutput += QStringLiteral("\nThe command was stopped: it wrote more than %1 MiB.")
                                  .arg(kPipeOutputLimit / (1024 * 1024));
    } else {
        setExitCode(result, status, killed);
    }
    return result;
}

// What the keeper of a detached command holds of one stream: the first
// kKeptOutputBytes, and the last ones in a ring.
struct KeptStream {
    quint64 total;     // bytes the command wrote
    quint64 headSize;  // bytes in head
    quint64 ringTotal; // bytes that went past the head, into the ring or over it
    char head[kKeptOutputBytes];
    char ring[kKeptOutputBytes];
};
// Shared between this program and the keeper (an anonymous shared mapping,
// made before the fork).
struct KeptOutput {
    int keeperFailed;
    KeptStream streams[3]; // standard output, standard error, marks
};

void keep(KeptStream& s, const char* data, size_t len)
{
    s.total += len;
    if (s.headSize < kKeptOutputBytes) {
        const size_t take = qMin<size_t>(len, kKeptOutputBytes - s.headSize);
        ::memcpy(s.head + s.headSize, data, take);
        s.headSize += take;
        data += take;
        len -= take;
    }
    if (len > size_t(kKeptOutputBytes)) {
        // Only the last ring's worth can stay.
        s.ringTotal += len - kKeptOutputBytes;
        data += len - kKeptOutputBytes;
        len = kKeptOutputBytes;
    }
    while (len > 0) {
        const size_t at = size_t(s.ringTotal % kKeptOutputBytes);
        const size_t take = qMin<size_t>(len, kKeptOutputBytes - at);
        ::memcpy(s.ring + at, data, take);
        s.ringTotal += take;
        data += take;
        len -= take;
    }
}

// The keeper: a fork of the command's first process, before its exec, in
// the command's session and process group. It reads the three pipes into
// `kept` until the command has ended, then takes what is waiting and
// exits; its end (the close of `done`) tells this program the output is
// complete. It ignores the signals a dying terminal or program may send,
// so that the command never writes into a pipe without a reader. Only
// async-signal-safe calls: it runs in a fork of a program with threads.
[[noreturn]] void runKeeper(const int (&pipes)[3], int done, int commandExit, pid_t command, KeptOutput* kept)
{
    for (int sig : {SIGTERM, SIGHUP, SIGINT, SIGQUIT, SIGPIPE})
        ::signal(sig, SIG_IGN);
    // Nothing of this program stays open in the keeper (a window system's
    // connection would outlive the program's end): the five it needs move
    // to 0-4, everything above goes.
    int keepFds[5] = {pipes[0], pipes[1], pipes[2], done, commandExit};
    int high[5];
    for (int i = 0; i < 5; ++i)
        high[i] = keepFds[i] >= 0 ? ::fcntl(keepFds[i], F_DUPFD, 10) : -1;
    for (int i = 0; i < 5; ++i) {
        if (high[i] >= 0)
            ::dup2(high[i], i);
        else
            ::close(i);
    }
    if (::close_range(5, ~0U, 0) != 0) {
        for (int fd = 5; fd < 65536; ++fd)
            ::close(fd);
    }
    bool open[3] = {true, true, true};
    const bool exitKnown = high[4] >= 0;
    static char buf[64 * 1024];
    auto readOnce = [&](int i) {
        const ssize_t len = ::read(i, buf, sizeof buf);
        if (len > 0) {
            keep(kept->streams[i], buf, size_t(len));
            return true;
        }
        if (len == 0 || (errno != EINTR && errno != EAGAIN))
            open[i] = false;
        return false;
    };
    bool ended = false;
    while (!ended && (open[0] || open[1] || open[2])) {
        struct pollfd pfd[4];
        int n = 0;
        for (int i = 0; i < 3; ++i) {
            if (open[i])
                pfd[n++] = {i, POLLIN, 0};
        }
        if (exitKnown)
            pfd[n++] = {4, POLLIN, 0};
        if (::poll(pfd, nfds_t(n), exitKnown ? -1 : 50) < 0)
            continue;
        for (int k = 0; k < n; ++k) {
            if (pfd[k].fd == 4) {
                if (pfd[k].revents)
                    ended = true;
            } else if (pfd[k].revents & (POLLIN | POLLHUP | POLLERR)) {
                readOnce(pfd[k].fd);
            }
        }
        // Without a process descriptor: the command's end makes this
        // process an orphan.
        if (!exitKnown && ::getppid() != command)
            ended = true;
    }
    // What the command wrote before it ended; a program it left in the
    // background is followed no further than a bounded drain.
    for (int i = 0; i < 3; ++i) {
        if (!open[i])
            continue;
        ::fcntl(i, F_SETFL, ::fcntl(i, F_GETFL) | O_NONBLOCK);
        for (int round = 0; open[i] && round < 16 && readOnce(i); ++round) {
        }
    }
    ::_exit(0);
}

// One stream's text: head and tail, with a line saying how much was left
// out between them. Sizes are checked, as a keeper killed mid-write may
// leave them torn.
QString keptText(const KeptStream& s, qint64& leftOut)
{
    const quint64 headSize = qMin<quint64>(s.headSize, kKeptOutputBytes);
    const quint64 ringSize = qMin<quint64>(s.ringTotal, kKeptOutputBytes);
    const size_t at = size_t(s.ringTotal % kKeptOutputBytes);
    QByteArray tail;
    if (s.ringTotal <= quint64(kKeptOutputBytes)) {
        tail = QByteArray(s.ring, qsizetype(ringSize));
    } else {
        tail = QByteArray(s.ring + at, qsizetype(kKeptOutputBytes - at));
        tail.append(s.ring, qsizetype(at));
    }
    leftOut = qint64(s.ringTotal - ringSize);
    const QByteArray head(s.head, qsizetype(headSize));
    if (leftOut == 0)
        return QString::fromUtf8(head + tail);
    return QString::fromUtf8(head) +
           QStringLiteral("\n[%1 bytes left out here: of the %2 bytes written, the first and last %3 KiB are kept]\n")
               .arg(leftOut)
               .arg(s.total)
               .arg(kKeptOutputBytes / 1024) +
           QString::fromUtf8(tail);
}

// Ends a command's whole process group: SIGTERM, a second for it to go,
// then SIGKILL for what is left. The leader is not reaped meanwhile, so
// its group's number cannot pass to another group.
void stopGroup(pid_t pid, int exitFd)
{
    ::kill(-pid, SIGTERM);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 1000) {
        if (exitFd >= 0) {
            struct pollfd pfd = {exitFd, POLLIN, 0};
            if (::poll(&pfd, 1, int(1000 - clock.elapsed())) > 0)
                break;
        } else {
            siginfo_t info{};
            if (::waitid(P_PID, id_t(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid)
                break;
            ::usleep(20000);
        }
    }
    ::kill(-pid, SIGKILL);
}

ProcessResult runArgvDetached(const std::vector<QByteArray>& argv, int timeoutMs)
{
    ProcessResult result;
    stopWanted = false;
    void* shared = ::mmap(nullptr, sizeof(KeptOutput), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    // Standard output, standard error and the marks; the end of the keeper.
    int pipes[3][2] = {{-1, -1}, {-1, -1}, {-1, -1}};
    int done[2] = {-1, -1};
    bool made = shared != MAP_FAILED && ::pipe2(done, O_CLOEXEC) == 0;
    for (auto& p : pipes)
        made = made && ::pipe2(p, O_CLOEXEC) == 0;
    auto closeAll = [&] {
        for (auto& p : pipes) {
            closeFd(p[0]);
            closeFd(p[1]);
        }
        closeFd(done[0]);
        closeFd(done[1]);
    };
    if (!made) {
        closeAll();
        if (shared != MAP_FAILED)
            ::munmap(shared, sizeof(KeptOutput));
        result.exitCode = -1;
        result.errorOutput = QStringLiteral("cannot create output pipes");
        return result;
    }
    auto* kept = static_cast<KeptOutput*>(shared);

    std::vector<char*> args = execArgs(argv);

    const pid_t pid = ::fork();
    if (pid < 0) {
        closeAll();
        ::munmap(shared, sizeof(KeptOutput));
        result.exitCode = -1;
        result.errorOutput = QStringLiteral("cannot start a process");
        return result;
    }
    if (pid == 0) {
        // A session of its own: no signal meant for this program or its
        // terminal reaches the command.
        ::setsid();
        const pid_t self = ::getpid();
        const int selfExit = int(::syscall(SYS_pidfd_open, self, 0));
        const int readEnds[3] = {pipes[0][0], pipes[1][0], pipes[2][0]};
        const pid_t keeper = ::fork();
        if (keeper == 0)
            runKeeper(readEnds, done[1], selfExit, self, kept);
        if (keeper < 0) {
            kept->keeperFailed = 1;
            ::_exit(127);
        }
        // Out of the way of 0-3 first, so that no target overwrites a source.
        int high[3];
        for (int i = 0; i < 3; ++i)
            high[i] = ::fcntl(pipes[i][1], F_DUPFD_CLOEXEC, 10);
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
    // Only the child and the keeper hold the pipes: with both gone, the
    // end of `done` says the output is complete.
    for (auto& p : pipes) {
        closeFd(p[0]);
        closeFd(p[1]);
    }
    closeFd(done[1]);

    QElapsedTimer clock;
    clock.start();
    bool killed = false;
    bool reaped = false;
    bool complete = false;
    int status = 0;
    CommandWait wait(argv, true);
    int exitFd = int(::syscall(SYS_pidfd_open, pid, 0));
    while (!reaped || !complete) {
        int slice = wait.sliceMs();
        if (timeoutMs > 0 && !killed) {
            const qint64 left = timeoutMs - clock.elapsed();
            if (left <= 0) {
                ::kill(-pid, SIGKILL);
                killed = true;
                continue;
            }
            slice = int(qMin<qint64>(slice, left));
        }
        if (stopWanted && !reaped && !result.stopped) {
            result.stopped = true;
            stopGroup(pid, exitFd);
        }
        struct pollfd pfd[2];
        int n = 0;
        int doneAt = -1;
        if (!complete) {
            doneAt = n;
            pfd[n++] = {done[0], POLLIN, 0};
        }
        if (!reaped && exitFd >= 0)
            pfd[n++] = {exitFd, POLLIN, 0};
        // Without a process descriptor the exit is looked for often.
        ::poll(pfd, nfds_t(n), !reaped && exitFd < 0 ? qMin(slice, 20) : slice);
        if (doneAt >= 0 && pfd[doneAt].revents != 0)
            complete = true;
        if (!reaped) {
            const pid_t got = ::waitpid(pid, &status, WNOHANG);
            if (got == pid)
                reaped = true;
            else if (got < 0 && errno != EINTR)
                break;
        }
        wait.tick();
    }
    closeFd(exitFd);
    closeFd(done[0]);
    while (!reaped && ::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }

    if (kept->keeperFailed) {
        result.exitCode = -1;
        result.errorOutput = QStringLiteral("cannot start a process");
    } else {
        qint64 marksLeftOut = 0;
        result.output = keptText(kept->streams[0], result.outputLeftOut);
        result.errorOutput = keptText(kept->streams[1], result.errorOutputLeftOut);
        result.marks = keptText(kept->streams[2], marksLeftOut);
        setExitCode(result, status, killed);
    }
    ::munmap(shared, sizeof(KeptOutput));
    stopWanted = false;
    return result;
}

} // namespace

int commandStopOfferMs = 3000;

void setCommandWaitHooks(CommandWaitHooks hooks)
{
    waitHooks() = std::move(hooks);
}

void requestCommandStop()
{
    stopWanted = true;
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
