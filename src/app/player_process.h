#pragma once
// One run of the player as a child process: standard output and standard
// error joined in one pipe, standard input a pipe that ends only when this
// process has gone. The output and the exit are reported separately, each in
// order on the thread that started the process, because either may come
// first: a child can close its output and run on, and a program it started
// can hold the pipe open after it has exited.

#include <filesystem>

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

class QSocketNotifier;

namespace knockbox {

class PlayerProcess : public QObject {
    Q_OBJECT

public:
    explicit PlayerProcess(QObject* parent = nullptr);
    // Closes the pipe; a child still running is killed (QProcess's rule).
    ~PlayerProcess() override;

    // Launches the program and waits until it runs or has failed to start.
    // False when it could not be started (the pipe is closed again).
    bool start(const std::filesystem::path& program, const QStringList& arguments,
               const QProcessEnvironment& environment);
    // SIGTERM, while the child has not been reaped.
    void terminate();
    // Stops reading and closes the pipe's read end; repeating it does nothing.
    void closeOutput();

signals:
    // The next bytes from the pipe; an empty chunk marks the end of the output.
    void output(const QByteArray& chunk);
    // The child's termination status: its exit status, or the number of the
    // signal that ended it.
    void exited(int status);

private:
    void readOutput();

    QProcess process_;
    int output_ = -1;  // the pipe's read end
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace knockbox
