#pragma once
// Runs the user's alarm command without a shell and without blocking.

#include <QObject>
#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace korvane {

struct CommandRequest {
    // A path (relative ones are taken from the app folder) or a name found
    // on PATH.
    std::string program;
    std::vector<std::string> args; // passed as they are
    // Set in the command's environment beside PATH, HOME and LANG (the
    // alarm's KORVANE_* fields); nothing else of Korvane's environment goes.
    std::vector<std::pair<std::string, std::string>> env;
};

struct CommandOutcome {
    // Empty when the command exited with 0, otherwise why it failed
    // ("cannot start: ...", "exit code 3", "ended by a signal", "killed
    // after 30 s", "not run, 32 alarm commands already waiting").
    std::string failure;
    // The last line it wrote (CommandOutputTail::lastLine); empty for none.
    std::string lastLine;
};

class AlarmCommandRunner {
public:
    // Called once per run.
    using Done = std::function<void(const CommandOutcome&)>;

    virtual ~AlarmCommandRunner() = default;
    // Must return at once.
    virtual void run(CommandRequest request, Done done) = 0;
};

struct CommandLimits {
    std::chrono::milliseconds timeout{30000}; // then its process group is ended
    int maxRunning = 2;                       // started at once; the rest wait their turn
    std::size_t maxWaiting = 32;              // beyond this a run is refused at once
    std::chrono::milliseconds grace{2000};    // from SIGTERM to SIGKILL
};

// Over QProcess: arguments are passed to the program directly, so spaces,
// quotes or "$(...)" in them are never interpreted.  Its stdin is empty; its
// stdout and stderr are read as they come (CommandOutputTail) and not shown.
//
// Each command runs in a process group (and session) of its own, and ends
// with everything it started: when it exits, or at the timeout, whatever is
// left of its group gets SIGTERM and, `grace` later, SIGKILL.  A helper that
// must outlive it has to leave the group itself (setsid).
class ProcessCommandRunner final : public QObject, public AlarmCommandRunner {
    Q_OBJECT
public:
    explicit ProcessCommandRunner(std::string appFolder, CommandLimits limits = {},
                                  QObject* parent = nullptr);
    // Ends every group still running at once, with SIGKILL.
    ~ProcessCommandRunner() override;

    void run(CommandRequest request, Done done) override;
    // The same, with no extra environment.
    void run(const std::string& program, const std::vector<std::string>& args, Done done) {
        run(CommandRequest{program, args, {}}, std::move(done));
    }

    int running() const { return running_; }
    std::size_t waiting() const { return waiting_.size(); }

private:
    struct Job {
        CommandRequest request;
        Done done;
    };
    void startNext();
    void start(Job job);
    // SIGTERM to the group now, SIGKILL after the grace time unless it is gone.
    void endGroup(qint64 group);

    std::string appFolder_;
    CommandLimits limits_;
    std::deque<Job> waiting_;
    int running_ = 0;
    std::vector<qint64> ending_; // groups sent SIGTERM, awaiting their SIGKILL
};

} // namespace korvane
