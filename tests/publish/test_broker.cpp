#include "test_broker.h"

#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <mosquitto.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace korvane::test {

namespace {

bool portAccepts(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
}

void run(const std::vector<std::string>& args) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
}

} // namespace

int freeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

TestBroker::TestBroker(std::string folder, BrokerOptions o)
    : folder_(std::move(folder)), port_(freeLoopbackPort()) {
    std::ofstream conf(folder_ + "/mosquitto.conf");
    // Run as root, the broker would drop to its own user and lose sight of
    // the test's files.
    const passwd* me = ::getpwuid(::getuid());
    conf << "user " << (me ? me->pw_name : "root") << "\n"
         << "persistence false\n"
         << "log_dest none\n"
         << "per_listener_settings false\n"
         << "listener " << port_ << " 127.0.0.1\n";
    if (!o.certFile.empty())
        conf << "cafile " << o.caFile << "\ncertfile " << o.certFile << "\nkeyfile " << o.keyFile
             << "\n";
    conf << o.extraConfig;
    if (o.user.empty()) {
        conf << "allow_anonymous true\n";
    } else {
        const std::string passwords = folder_ + "/passwords";
        run({"/usr/bin/mosquitto_passwd", "-c", "-b", passwords, o.user, o.password});
        conf << "allow_anonymous false\npassword_file " << passwords << "\n";
    }
}

TestBroker::~TestBroker() {
    stop();
}

bool TestBroker::start() {
    if (pid_ > 0)
        return true;
    if (::access(kMosquittoBinary, X_OK) != 0) {
        ADD_FAILURE() << kMosquittoBinary
                      << " is missing: run scripts/install-deps.sh, which installs the broker";
        return false;
    }
    const std::string conf = folder_ + "/mosquitto.conf";
    pid_ = ::fork();
    if (pid_ == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execl(kMosquittoBinary, kMosquittoBinary, "-c", conf.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    for (int i = 0; i < 250; ++i) {
        if (portAccepts(port_))
            return true;
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

void TestBroker::stop() {
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    bool ended = false;
    for (int i = 0; i < 250 && !ended; ++i) {
        ended = ::waitpid(pid_, &status, WNOHANG) == pid_;
        if (!ended)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!ended) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
    }
    pid_ = -1;
    for (int i = 0; i < 250 && portAccepts(port_); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

TestSubscriber::TestSubscriber(int port, std::string filter, std::string caFile)
    : filter_(std::move(filter)) {
    mosquitto_lib_init();
    mosq_ = mosquitto_new(nullptr, true, this);
    mosquitto_connect_callback_set(mosq_, &TestSubscriber::onConnect);
    mosquitto_subscribe_callback_set(mosq_, &TestSubscriber::onSubscribe);
    mosquitto_message_callback_set(mosq_, &TestSubscriber::onMessage);
    if (!caFile.empty())
        mosquitto_tls_set(mosq_, caFile.c_str(), nullptr, nullptr, nullptr, nullptr);
    mosquitto_connect(mosq_, "127.0.0.1", port, 30);
    mosquitto_loop_start(mosq_);
}

TestSubscriber::~TestSubscriber() {
    mosquitto_disconnect(mosq_);
    mosquitto_loop_stop(mosq_, true);
    mosquitto_destroy(mosq_);
}

void TestSubscriber::onConnect(mosquitto* m, void* self, int rc) {
    if (rc == 0)
        mosquitto_subscribe(m, nullptr, static_cast<TestSubscriber*>(self)->filter_.c_str(), 1);
}

void TestSubscriber::onSubscribe(mosquitto*, void* self, int, int, const int*) {
    auto* s = static_cast<TestSubscriber*>(self);
    const std::lock_guard lock(s->mutex_);
    s->subscribed_ = true;
}

void TestSubscriber::onMessage(mosquitto*, void* self, const mosquitto_message* m) {
    auto* s = static_cast<TestSubscriber*>(self);
    const std::lock_guard lock(s->mutex_);
    s->received_.push_back(
        {m->topic,
         std::string(static_cast<const char*>(m->payload), static_cast<std::size_t>(m->payloadlen)),
         m->retain});
}

bool TestSubscriber::waitSubscribed(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        {
            const std::lock_guard lock(mutex_);
            if (subscribed_)
                return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

std::vector<Received> TestSubscriber::received() {
    const std::lock_guard lock(mutex_);
    return received_;
}

std::vector<std::string> TestSubscriber::payloads(const std::string& topic) {
    std::vector<std::string> out;
    for (const Received& r : received())
        if (r.topic == topic)
            out.push_back(r.payload);
    return out;
}

} // namespace korvane::test
