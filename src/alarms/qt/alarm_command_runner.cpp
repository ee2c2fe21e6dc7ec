#include "alarm_command_runner.h"

#include "platform/numbers.h"
#include "platform/qt/qt_platform.h"

#include <QProcess>
#include <QStringList>
#include <QTimer>
#include <memory>

namespace korvane {

namespace {

struct RunState {
    AlarmCommandRunner::Done done;
    bool timedOut = false;
    bool over = false;
};

} // namespace

ProcessCommandRunner::ProcessCommandRunner(std::string appFolder, CommandLimits limits,
                                           QObject* parent)
    : QObject(parent), appFolder_(std::move(appFolder)), limits_(limits) {}

ProcessCommandRunner::~ProcessCommandRunner() {
    // Korvane is closing.  A command still running is ended rather than left
    // behind, and its reaping after SIGKILL takes microseconds, so the wait
    // here cannot hold the exit up; nothing reports back any more.
    for (QProcess* process : findChildren<QProcess*>(Qt::FindDirectChildrenOnly)) {
        process->disconnect(this);
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(1000);
        }
    }
}

void ProcessCommandRunner::run(const std::string& program, const std::vector<std::string>& args,
                               Done done) {
    if (waiting_.size() >= limits_.maxWaiting) {
        if (done)
            done("not run, " + std::to_string(waiting_.size()) + " alarm commands already waiting");
        return;
    }
    waiting_.push_back({program, args, std::move(done)});
    startNext();
}

void ProcessCommandRunner::startNext() {
    while (running_ < limits_.maxRunning && !waiting_.empty()) {
        Job job = std::move(waiting_.front());
        waiting_.pop_front();
        start(std::move(job));
    }
}

void ProcessCommandRunner::start(Job job) {
    auto* process = new QProcess(this);
    ++running_;
    auto state = std::make_shared<RunState>();
    state->done = std::move(job.done);

    // A relative path means the app folder's script, whatever folder
    // Korvane was started from; a bare name is looked up on PATH.
    std::string program = job.program;
    if (program.find('/') != std::string::npos && program.front() != '/')
        program = appFolder_ + "/" + program;
    QStringList args;
    for (const std::string& a : job.args)
        args << fromLocal8(a);
    process->setProgram(fromLocal8(program));
    process->setArguments(args);
    process->setWorkingDirectory(fromLocal8(appFolder_));
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setStandardInputFile(QProcess::nullDevice());

    auto* timer = new QTimer(process);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, process, [process, state] {
        state->timedOut = true;
        process->kill();
    });
    auto end = [this, process, state, timer](const std::string& failure) {
        if (state->over)
            return;
        state->over = true;
        timer->stop();
        --running_;
        process->deleteLater();
        if (state->done)
            state->done(failure);
        startNext();
    };
    connect(process, &QProcess::errorOccurred, this, [process, end](QProcess::ProcessError e) {
        // Other errors are followed by finished(), which says more.
        if (e == QProcess::FailedToStart)
            end("cannot start: " + toLocal8(process->errorString()));
    });
    const double timeoutSeconds = static_cast<double>(limits_.timeout.count()) / 1000.0;
    connect(process, &QProcess::finished, this,
            [state, end, timeoutSeconds](int code, QProcess::ExitStatus status) {
                if (state->timedOut)
                    end("killed after " + formatGeneral(timeoutSeconds, NumberFormat{}) + " s");
                else if (status == QProcess::CrashExit)
                    end("ended by a signal");
                else if (code != 0)
                    end("exit code " + std::to_string(code));
                else
                    end({});
            });
    timer->start(limits_.timeout);
    process->start();
}

} // namespace korvane
