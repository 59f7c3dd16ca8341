#include "app/player_process.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include <QSocketNotifier>

namespace knockbox {
namespace {

void closeOnExec(int fd) { ::fcntl(fd, F_SETFD, ::fcntl(fd, F_GETFD) | FD_CLOEXEC); }

}  // namespace

PlayerProcess::PlayerProcess(QObject* parent) : QObject(parent) {
    connect(&process_, &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus status) {
        // Qt gives the signal number as the exit code of a crash.
        emit exited(status == QProcess::CrashExit && exitCode == 0 ? 1 : exitCode);
    });
}

PlayerProcess::~PlayerProcess() {
    // QProcess kills a running child when it goes and reports that end: not to us.
    process_.disconnect(this);
    closeOutput();
}

bool PlayerProcess::start(const std::filesystem::path& program, const QStringList& arguments,
                          const QProcessEnvironment& environment) {
    int pipe[2];
    if (::pipe(pipe) != 0) return false;
    // Neither end may leak into another program; the child gets the write
    // end as its standard output and error (dup2 clears close-on-exec there).
    closeOnExec(pipe[0]);
    closeOnExec(pipe[1]);
    ::fcntl(pipe[0], F_SETFL, ::fcntl(pipe[0], F_GETFL) | O_NONBLOCK);
    const int writeEnd = pipe[1];

    process_.setProgram(QString::fromStdString(program.string()));
    process_.setArguments(arguments);
    process_.setProcessEnvironment(environment);
    // Standard input stays Qt's pipe, whose write end only we hold and never
    // write: when this app goes, however it goes, the player reads its end.
    // Qt leaves standard output and error alone; the child then points both
    // at the one pipe. Runs between fork and exec: async-signal-safe calls only.
    process_.setProcessChannelMode(QProcess::ForwardedChannels);
    process_.setChildProcessModifier([writeEnd] {
        ::dup2(writeEnd, STDOUT_FILENO);
        ::dup2(writeEnd, STDERR_FILENO);
    });
    process_.start();
    const bool started = process_.waitForStarted(-1);
    ::close(writeEnd);  // the child holds its copy; our end would hide the end of file
    output_ = pipe[0];
    if (!started) {
        closeOutput();
        return false;
    }
    notifier_ = new QSocketNotifier(output_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &PlayerProcess::readOutput);
    return true;
}

void PlayerProcess::terminate() {
    if (process_.state() != QProcess::NotRunning) process_.terminate();
}

void PlayerProcess::closeOutput() {
    if (notifier_) {
        notifier_->setEnabled(false);
        notifier_->deleteLater();
        notifier_ = nullptr;
    }
    if (output_ >= 0) ::close(output_);
    output_ = -1;
}

void PlayerProcess::readOutput() {
    // One read per notification keeps the event loop turning under a flood;
    // the notifier fires again while data is left.
    std::array<char, 65536> buffer;
    const ssize_t count = ::read(output_, buffer.data(), buffer.size());
    if (count > 0) {
        emit output(QByteArray(buffer.data(), static_cast<qsizetype>(count)));
        return;
    }
    if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
    // End of file (or a pipe that cannot be read any more): no more chunks.
    notifier_->setEnabled(false);
    emit output(QByteArray());
}

}  // namespace knockbox
