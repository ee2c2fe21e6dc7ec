#pragma once
// Runs the user's alarm command without a shell and without blocking.

#include <QObject>
#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace korvane {

class AlarmCommandRunner {
public:
    // Called once per run: empty when the command exited with 0, otherwise
    // why it failed ("cannot start: ...", "exit code 3", "killed after 30 s").
    using Done = std::function<void(const std::string& failure)>;

    virtual ~AlarmCommandRunner() = default;
    // Must return at once.  `program` is a path (relative ones are taken from
    // the app folder) or a name found on PATH; `args` arrive as they are.
    virtual void run(const std::string& program, const std::vector<std::string>& args,
                     Done done) = 0;
};

struct CommandLimits {
    std::chrono::milliseconds timeout{30000}; // a command still running is then killed
    int maxRunning = 2;                       // started at once; the rest wait their turn
    std::size_t maxWaiting = 32;              // beyond this a run is refused at once
};

// Over QProcess: arguments are passed to the program directly, so spaces,
// quotes or "$(...)" in them are never interpreted.  The command's output
// goes to Korvane's own stdout and stderr; its stdin is empty.
class ProcessCommandRunner final : public QObject, public AlarmCommandRunner {
    Q_OBJECT
public:
    explicit ProcessCommandRunner(std::string appFolder, CommandLimits limits = {},
                                  QObject* parent = nullptr);
    ~ProcessCommandRunner() override;

    void run(const std::string& program, const std::vector<std::string>& args, Done done) override;

    int running() const { return running_; }
    std::size_t waiting() const { return waiting_.size(); }

private:
    struct Job {
        std::string program;
        std::vector<std::string> args;
        Done done;
    };
    void startNext();
    void start(Job job);

    std::string appFolder_;
    CommandLimits limits_;
    std::deque<Job> waiting_;
    int running_ = 0;
};

} // namespace korvane
