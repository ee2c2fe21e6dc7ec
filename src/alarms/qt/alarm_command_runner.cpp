#include "alarm_command_runner.h"

#include "alarms/command_output.h"
#include "platform/numbers.h"
#include "platform/qt/qt_platform.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <memory>
#include <unistd.h>

namespace korvane {

namespace {

struct RunState {
    AlarmCommandRunner::Done done;
    CommandOutputTail output;
    qint64 group = 0;
    bool timedOut = false;
    bool over = false;
};

// Korvane's own environment may hold what a script has no business seeing
// (a broker password, a desktop session's keys): pass only what a program
// needs to run, and the alarm's fields.
QProcessEnvironment commandEnvironment(const CommandRequest& request) {
    const QProcessEnvironment mine = QProcessEnvironment::systemEnvironment();
    QProcessEnvironment env;
    env.insert(QStringLiteral("PATH"),
               mine.value(QStringLiteral("PATH"), QStringLiteral("/usr/local/bin:/usr/bin:/bin")));
    env.insert(QStringLiteral("HOME"), mine.value(QStringLiteral("HOME"), QStringLiteral("/")));
    env.insert(QStringLiteral("LANG"),
               mine.value(QStringLiteral("LANG"), QStringLiteral("C.UTF-8")));
    for (const auto& [name, value] : request.env)
        env.insert(fromLocal8(name), fromLocal8(value));
    return env;
}

bool groupAlive(qint64 group) {
    return group > 0 && ::kill(static_cast<pid_t>(-group), 0) == 0;
}

void signalGroup(qint64 group, int signal) {
    if (group > 0)
        ::kill(static_cast<pid_t>(-group), signal);
}

} // namespace

ProcessCommandRunner::ProcessCommandRunner(std::string appFolder, CommandLimits limits,
                                           QObject* parent)
    : QObject(parent), appFolder_(std::move(appFolder)), limits_(limits) {}

ProcessCommandRunner::~ProcessCommandRunner() {
    // Korvane is closing.  Nothing may be left behind, and there is no time
    // for a grace period: SIGKILL to every group.  Reaping the leaders takes
    // microseconds, so the waits cannot hold the exit up; nothing reports
    // back any more.
    for (const qint64 group : ending_)
        signalGroup(group, SIGKILL);
    for (QProcess* process : findChildren<QProcess*>(Qt::FindDirectChildrenOnly)) {
        process->disconnect(this);
        if (process->state() != QProcess::NotRunning) {
            signalGroup(process->processId(), SIGKILL);
            process->kill();
            process->waitForFinished(1000);
        }
    }
}

void ProcessCommandRunner::run(CommandRequest request, Done done) {
    if (waiting_.size() >= limits_.maxWaiting) {
        if (done)
            done({"not run, " + std::to_string(waiting_.size()) + " alarm commands already waiting",
                  {}});
        return;
    }
    waiting_.push_back({std::move(request), std::move(done)});
    startNext();
}

void ProcessCommandRunner::startNext() {
    while (running_ < limits_.maxRunning && !waiting_.empty()) {
        Job job = std::move(waiting_.front());
        waiting_.pop_front();
        start(std::move(job));
    }
}

void ProcessCommandRunner::endGroup(qint64 group) {
    if (!groupAlive(group))
        return;
    signalGroup(group, SIGTERM);
    if (std::find(ending_.begin(), ending_.end(), group) != ending_.end())
        return;
    ending_.push_back(group);
    QTimer::singleShot(limits_.grace, this, [this, group] {
        ending_.erase(std::remove(ending_.begin(), ending_.end(), group), ending_.end());
        if (groupAlive(group))
            signalGroup(group, SIGKILL);
    });
}

void ProcessCommandRunner::start(Job job) {
    auto* process = new QProcess(this);
    ++running_;
    auto state = std::make_shared<RunState>();
    state->done = std::move(job.done);

    // A relative path means the app folder's script, whatever folder
    // Korvane was started from; a bare name is looked up on PATH.
    std::string program = job.request.program;
    if (program.find('/') != std::string::npos && program.front() != '/')
        program = appFolder_ + "/" + program;
    QStringList args;
    for (const std::string& a : job.request.args)
        args << fromLocal8(a);
    process->setProgram(fromLocal8(program));
    process->setArguments(args);
    process->setWorkingDirectory(fromLocal8(appFolder_));
    process->setProcessEnvironment(commandEnvironment(job.request));
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    // Its own session, hence its own process group whose id is its pid: a
    // script's children (a curl without a timeout) can then be ended with
    // it.  setsid() is async-signal-safe, as a child modifier must be.
    process->setChildProcessModifier([] { ::setsid(); });

    auto* timer = new QTimer(process);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, [this, state] {
        state->timedOut = true;
        endGroup(state->group);
    });
    auto drain = [process, state] {
        // Read everything, so a chatty command never blocks on a full pipe.
        while (process->bytesAvailable() > 0) {
            const QByteArray bytes = process->read(16384);
            state->output.append(std::string_view(bytes.constData(), bytes.size()));
        }
    };
    connect(process, &QProcess::readyReadStandardOutput, this, drain);
    connect(process, &QProcess::started, this,
            [process, state] { state->group = process->processId(); });
    auto end = [this, process, state, timer, drain](const std::string& failure) {
        if (state->over)
            return;
        state->over = true;
        timer->stop();
        drain();
        --running_;
        // What it started and left behind goes with it.
        endGroup(state->group);
        process->deleteLater();
        if (state->done)
            state->done({failure, state->output.lastLine()});
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
    if (process->processId() > 0)
        state->group = process->processId();
}

} // namespace korvane
