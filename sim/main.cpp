// sondaro-sim: the simulated analyzer as a program of its own, on a TCP port
// of the loopback interface and on a pseudo-terminal that behaves like the
// analyzer's 19200 8N1 serial line.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/text.h"
#include "sim/model.h"

namespace {

using sondaro::Millis;
using namespace sondaro::sim;

volatile std::sig_atomic_t g_stop = 0;
void OnSignal(int) { g_stop = 1; }

struct Args {
  SimOptions options;
  std::string host = "127.0.0.1";
  int port = 4001;
  bool pty = true;
  std::string logFile;
};

void Usage() {
  std::cerr << "usage: sondaro-sim [--port N] [--host ADDR] [--model M40|M140] [--world FILE]\n"
               "                   [--seed N] [--rds-log FILE] [--rds-log-freq MHZ] [--log FILE]\n"
               "                   [--no-pty]\n"
               "Serves a simulated analyzer on TCP (port 0 picks a free one) and on a\n"
               "pseudo-terminal; prints \"TCP port N\" and \"PTY /dev/pts/N\" when ready.\n";
}

bool ParseArgs(int argc, char** argv, Args& a) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
    if (arg == "--port") {
      const auto p = sondaro::ReadInt(value());
      if (!p || *p < 0 || *p > 65535) return false;
      a.port = static_cast<int>(*p);
    } else if (arg == "--host") {
      a.host = value();
    } else if (arg == "--model") {
      const std::string m = sondaro::ToUpper(value());
      if (m == "M40") a.options.Device = DeviceModel::M40;
      else if (m == "M140") a.options.Device = DeviceModel::M140;
      else return false;
    } else if (arg == "--world") {
      a.options.WorldFile = value();
    } else if (arg == "--seed") {
      const auto s = sondaro::ReadInt(value());
      if (!s) return false;
      a.options.Seed = static_cast<std::uint64_t>(*s);
    } else if (arg == "--rds-log") {
      a.options.RdsLogFile = value();
    } else if (arg == "--rds-log-freq") {
      const auto mhz = sondaro::ReadDecimal(value());
      if (!mhz) return false;
      a.options.RdsLogKHz = static_cast<int>(*mhz * 100 + 0.5) * 10;
    } else if (arg == "--log") {
      a.logFile = value();
    } else if (arg == "--no-pty") {
      a.pty = false;
    } else {
      return false;
    }
  }
  return true;
}

std::string Printable(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    }
  }
  return out;
}

void SetNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK); }

// Writes what fits; a reader that does not keep up loses bytes, as it would
// on a serial line.
void WriteSome(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

int OpenListener(const Args& a, int& port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return -1;
  const int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<std::uint16_t>(a.port));
  if (inet_pton(AF_INET, a.host.c_str(), &addr.sin_addr) != 1 ||
      bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 4) != 0) {
    close(fd);
    return -1;
  }
  socklen_t len = sizeof addr;
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  port = ntohs(addr.sin_port);
  SetNonBlocking(fd);
  return fd;
}

// The pseudo-terminal's far end is set up like the analyzer's line: raw,
// 19200 8N1, no flow control. We keep it open ourselves so the master does
// not hang up between clients.
int OpenPty(std::string& path, int& slave) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return -1;
  const char* name = ptsname(master);
  if (!name) return -1;
  path = name;
  slave = open(name, O_RDWR | O_NOCTTY);
  if (slave < 0) return -1;
  termios t{};
  tcgetattr(slave, &t);
  cfmakeraw(&t);
  cfsetispeed(&t, B19200);
  cfsetospeed(&t, B19200);
  t.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CRTSCTS);
  t.c_cflag |= CS8 | CLOCAL | CREAD;
  tcsetattr(slave, TCSANOW, &t);
  SetNonBlocking(master);
  return master;
}

}  // namespace

int main(int argc, char** argv) {
  Args args;
  if (!ParseArgs(argc, argv, args)) {
    Usage();
    return 2;
  }
  World world = DefaultWorld();
  if (!args.options.WorldFile.empty()) {
    WorldLoad load = LoadWorld(args.options.WorldFile);
    if (!load.Loaded) {
      std::cerr << "sondaro-sim: " << args.options.WorldFile << ": " << load.Error << "\n";
      return 1;
    }
    world = std::move(*load.Loaded);
  }
  std::optional<RdsLog> rdsLog;
  if (!args.options.RdsLogFile.empty()) {
    RdsLogLoad load = LoadRdsLog(args.options.RdsLogFile);
    if (!load.Loaded) {
      std::cerr << "sondaro-sim: " << args.options.RdsLogFile << ": " << load.Error << "\n";
      return 1;
    }
    rdsLog = std::move(*load.Loaded);
  }
  std::ofstream log;
  if (!args.logFile.empty()) {
    log.open(args.logFile, std::ios::out | std::ios::trunc);
    if (!log) {
      std::cerr << "sondaro-sim: cannot write " << args.logFile << "\n";
      return 1;
    }
  }

  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  std::signal(SIGPIPE, SIG_IGN);

  int port = 0;
  const int listener = OpenListener(args, port);
  if (listener < 0) {
    std::cerr << "sondaro-sim: cannot listen on " << args.host << ":" << args.port << ": "
              << std::strerror(errno) << "\n";
    return 1;
  }
  std::string ptyPath;
  int ptySlave = -1;
  const int ptyMaster = args.pty ? OpenPty(ptyPath, ptySlave) : -1;
  if (args.pty && ptyMaster < 0) {
    std::cerr << "sondaro-sim: cannot open a pseudo-terminal: " << std::strerror(errno) << "\n";
    return 1;
  }

  sondaro::RealClock clock;
  const Millis start = clock.Now();
  Model model(std::move(world), args.options, std::move(rdsLog), clock.WallNow());
  std::cout << "TCP port " << port << std::endl;
  if (ptyMaster >= 0) std::cout << "PTY " << ptyPath << std::endl;

  std::vector<int> clients;
  std::size_t logged = 0;
  bool ptyHeard = false;  // nobody listens on the line until someone talks
  auto feed = [&](Millis now, const char* data, std::size_t n) {
    model.Receive(now, std::string_view(data, n));
    const auto& commands = model.Commands();
    for (; logged < commands.size(); ++logged) {
      if (log.is_open())
        log << commands[logged].first << ' ' << Printable(commands[logged].second.Text()) << '\n'
            << std::flush;
    }
  };

  while (!g_stop) {
    std::vector<pollfd> fds;
    fds.push_back({listener, POLLIN, 0});
    if (ptyMaster >= 0) fds.push_back({ptyMaster, POLLIN, 0});
    for (int c : clients) fds.push_back({c, POLLIN, 0});

    Millis now = clock.Now() - start;
    int timeout = 1000;
    if (const auto next = model.NextEvent()) timeout = static_cast<int>(std::clamp<Millis>(*next - now, 0, 1000));
    if (model.OutputPending()) timeout = std::min(timeout, 5);
    if (poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR) break;
    now = clock.Now() - start;

    char buf[4096];
    int accepted = -1;
    if (fds[0].revents & POLLIN) {
      accepted = accept(listener, nullptr, nullptr);
      if (accepted >= 0) SetNonBlocking(accepted);
    }
    std::size_t first = 1;
    if (ptyMaster >= 0) {
      first = 2;
      if (fds[1].revents & POLLIN) {
        const ssize_t n = read(ptyMaster, buf, sizeof buf);
        if (n > 0) {
          ptyHeard = true;
          feed(now, buf, static_cast<std::size_t>(n));
        }
      }
    }
    std::vector<int> alive;
    for (std::size_t i = first; i < fds.size(); ++i) {
      bool keep = true;
      if (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) {
        const ssize_t n = read(fds[i].fd, buf, sizeof buf);
        if (n > 0) feed(now, buf, static_cast<std::size_t>(n));
        else if (n == 0 || (errno != EAGAIN && errno != EINTR)) keep = false;
      }
      if (keep) alive.push_back(fds[i].fd);
      else close(fds[i].fd);
    }
    clients = alive;
    if (accepted >= 0) clients.push_back(accepted);

    const std::string out = model.TakeOutput(now);
    if (!out.empty()) {
      for (int c : clients) WriteSome(c, out);
      if (ptyMaster >= 0 && ptyHeard) WriteSome(ptyMaster, out);
    }
  }
  for (int c : clients) close(c);
  close(listener);
  if (ptyMaster >= 0) {
    close(ptySlave);
    close(ptyMaster);
  }
  return 0;
}
