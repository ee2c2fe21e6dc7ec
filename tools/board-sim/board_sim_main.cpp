// korvane-board-sim: a measuring board on a pseudo-terminal.  It links the
// pty's device as <home>/com<port> and writes packets at a steady rate, with
// optional faults to exercise the receiving side.

#include "board_model.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <random>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

volatile std::sig_atomic_t g_stop = 0;
void onSignal(int) {
    g_stop = 1;
}

struct Options {
    std::string home;
    int port = 1;
    double rate = 1.0; // packets per second
    long count = -1;   // stop after this many packets
    unsigned seed = 1;
    bool print = false; // write to stdout instead of a pty
    // Faults, each applied with probability faultRate per packet.
    double faultRate = 0.2;
    bool split = false;
    bool splitEveryByte = false;
    bool garbage = false;
    bool badFields = false;
    bool burst = false;
    bool huge = false;
    bool binary = false;
    double hangupEvery = 0; // seconds; 0 = never
    double hangupFor = 3;
};

void usage() {
    std::puts("usage: korvane-board-sim [options]\n"
              "  --home DIR         app folder for the com<n> link (default $KORVANE_HOME or .)\n"
              "  --port N           link name com<N> (default 1)\n"
              "  --rate HZ          packets per second (default 1)\n"
              "  --count N          stop after N packets\n"
              "  --seed N           random seed (default 1)\n"
              "  --print            write packets to stdout, no pty\n"
              "faults:\n"
              "  --fault-rate P     probability of a fault per packet (default 0.2)\n"
              "  --split            split packets across writes\n"
              "  --split-every-byte write every byte on its own\n"
              "  --garbage          text (with stray ']') between packets\n"
              "  --bad-fields       missing and non-numeric fields\n"
              "  --burst            two packets in one write\n"
              "  --huge             fields with 10,000-digit numbers\n"
              "  --binary           NUL and high bytes between packets\n"
              "  --hangup-every S   close the pty every S seconds ...\n"
              "  --hangup-for S     ... and bring it back after S seconds (default 3)");
}

bool parseArgs(int argc, char** argv, Options& o) {
    const char* home = std::getenv("KORVANE_HOME");
    o.home = home && *home ? home : ".";
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "%s needs a value\n", a.c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--home")
            o.home = value();
        else if (a == "--port")
            o.port = std::atoi(value());
        else if (a == "--rate")
            o.rate = std::atof(value());
        else if (a == "--count")
            o.count = std::atol(value());
        else if (a == "--seed")
            o.seed = static_cast<unsigned>(std::atol(value()));
        else if (a == "--print")
            o.print = true;
        else if (a == "--fault-rate")
            o.faultRate = std::atof(value());
        else if (a == "--split")
            o.split = true;
        else if (a == "--split-every-byte")
            o.splitEveryByte = true;
        else if (a == "--garbage")
            o.garbage = true;
        else if (a == "--bad-fields")
            o.badFields = true;
        else if (a == "--burst")
            o.burst = true;
        else if (a == "--huge")
            o.huge = true;
        else if (a == "--binary")
            o.binary = true;
        else if (a == "--hangup-every")
            o.hangupEvery = std::atof(value());
        else if (a == "--hangup-for")
            o.hangupFor = std::atof(value());
        else if (a == "--help" || a == "-h") {
            usage();
            std::exit(0);
        } else {
            std::fprintf(stderr, "unknown option %s\n", a.c_str());
            usage();
            return false;
        }
    }
    if (o.rate <= 0 || o.port < 1) {
        std::fprintf(stderr, "--rate must be above 0 and --port at least 1\n");
        return false;
    }
    return true;
}

// One pseudo-terminal, linked as <home>/com<n> while it lives.
class Pty {
public:
    Pty(std::string link) : link_(std::move(link)) {}
    ~Pty() { close(); }

    bool open() {
        char name[256] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
            std::perror("openpty");
            return false;
        }
        // Raw and without echo, so the bytes reach the reader as written.
        termios tio{};
        ::tcgetattr(slave_, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(slave_, TCSANOW, &tio);
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        const std::string tmp = link_ + ".tmp";
        ::unlink(tmp.c_str());
        if (::symlink(name, tmp.c_str()) != 0 || ::rename(tmp.c_str(), link_.c_str()) != 0) {
            std::perror(("link " + link_).c_str());
            return false;
        }
        std::fprintf(stderr, "board-sim: %s -> %s\n", link_.c_str(), name);
        return true;
    }

    void close() {
        if (master_ >= 0) {
            ::unlink(link_.c_str());
            ::close(master_);
            ::close(slave_);
            master_ = slave_ = -1;
        }
    }

    // Writes what the pty takes; a reader that is not reading only costs us
    // the bytes, never a blocked simulator.
    void write(const std::string& bytes) {
        if (master_ < 0)
            return;
        std::size_t off = 0;
        while (off < bytes.size()) {
            const ssize_t n = ::write(master_, bytes.data() + off, bytes.size() - off);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return; // EAGAIN: the reader is away
            }
            off += static_cast<std::size_t>(n);
        }
    }

private:
    std::string link_;
    int master_ = -1;
    int slave_ = -1;
};

class Sink {
public:
    Sink(const Options& o) : opts_(o), pty_(o.home + "/com" + std::to_string(o.port)) {}
    bool open() { return opts_.print || pty_.open(); }
    void close() {
        if (!opts_.print)
            pty_.close();
    }
    void write(const std::string& bytes) {
        if (opts_.print) {
            std::fwrite(bytes.data(), 1, bytes.size(), stdout);
            std::fflush(stdout);
        } else {
            pty_.write(bytes);
        }
    }

private:
    const Options& opts_;
    Pty pty_;
};

std::string corruptFields(std::string packet, std::mt19937& rng) {
    static const char* tags[] = {"V", "I", "R", "M", "S"};
    const std::string tag = tags[rng() % 5];
    const auto open = packet.find("<" + tag + ">");
    const auto close = packet.find("</" + tag + ">");
    if (open == std::string::npos || close == std::string::npos)
        return packet;
    if (rng() % 2 == 0) // drop the field
        return packet.erase(open, close + tag.size() + 3 - open);
    return packet.replace(open + 3, close - open - 3, "x"); // not a number
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parseArgs(argc, argv, o))
        return 2;
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGPIPE, SIG_IGN);

    Sink sink(o);
    if (!sink.open())
        return 1;

    korvane::sim::BoardModel model(o.seed);
    std::mt19937 rng(o.seed * 7919u + 1);
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    auto faulty = [&] { return chance(rng) < o.faultRate; };

    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::duration<double>(1.0 / o.rate);
    auto next = Clock::now();
    auto lastHangup = Clock::now();
    long sent = 0;
    std::string held; // a packet kept back for a burst

    while (!g_stop && (o.count < 0 || sent < o.count)) {
        if (o.hangupEvery > 0 &&
            std::chrono::duration<double>(Clock::now() - lastHangup).count() >= o.hangupEvery) {
            std::fprintf(stderr, "board-sim: hanging up for %.1f s\n", o.hangupFor);
            sink.close();
            std::this_thread::sleep_for(std::chrono::duration<double>(o.hangupFor));
            if (g_stop || !sink.open())
                break;
            lastHangup = Clock::now();
            next = Clock::now();
        }

        std::string packet = korvane::sim::formatPacket(model.step(1.0 / o.rate));
        if (o.badFields && faulty())
            packet = corruptFields(packet, rng);
        if (o.huge && faulty())
            packet.insert(packet.find("<R>") + 3, std::string(10000, '7'));
        std::string out;
        if (o.garbage && faulty())
            out += "noise]" + std::string(rng() % 40, 'x') + "\r\n";
        if (o.binary && faulty()) {
            for (int i = 0; i < 16; ++i)
                out += static_cast<char>(rng() % 2 ? 0 : 0x80 + rng() % 128);
        }
        out += packet;
        ++sent;

        if (o.burst && held.empty() && faulty()) {
            held = out; // goes out together with the next packet
        } else {
            out = held + out;
            held.clear();
            if (o.splitEveryByte) {
                for (char c : out) {
                    sink.write(std::string(1, c));
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                }
            } else if (o.split && faulty() && out.size() > 2) {
                const auto cut = 1 + rng() % (out.size() - 1);
                sink.write(out.substr(0, cut));
                std::this_thread::sleep_for(std::chrono::milliseconds(30));
                sink.write(out.substr(cut));
            } else {
                sink.write(out);
            }
        }

        next += std::chrono::duration_cast<Clock::duration>(period);
        std::this_thread::sleep_until(next);
    }
    if (!held.empty())
        sink.write(held);
    // Let the reader drain what was written before the link goes away.
    if (!o.print && !g_stop)
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    sink.close();
    return 0;
}
