#pragma once
// ax7ctl serve as its own process, as a user starts it: the port from its first line, stopped
// with SIGTERM like Ctrl+C would.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/http_client.h"

extern char** environ;

namespace ax7::test {

class ServeProcess {
 public:
  // Runs `ax7ctl ARGS`, with its configuration and data folders in `dir` and stderr in
  // dir/serve.err.
  ServeProcess(const std::vector<std::string>& args, const std::filesystem::path& dir)
      : dir_(dir) {
    int out[2];
    if (pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    const std::string errPath = (dir / "serve.err").string();
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    std::vector<std::string> argStrings = {AX7CTL_PATH};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& s : argStrings) argv.push_back(s.data());
    argv.push_back(nullptr);
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e) {
      if (std::strncmp(*e, "XDG_CONFIG_HOME=", 16) != 0 &&
          std::strncmp(*e, "XDG_DATA_HOME=", 14) != 0) {
        envStrings.emplace_back(*e);
      }
    }
    envStrings.push_back("XDG_CONFIG_HOME=" + (dir / "config").string());
    envStrings.push_back("XDG_DATA_HOME=" + (dir / "data").string());
    std::vector<char*> envp;
    for (auto& s : envStrings) envp.push_back(s.data());
    envp.push_back(nullptr);
    if (posix_spawn(&pid_, AX7CTL_PATH, &actions, nullptr, argv.data(), envp.data()) != 0) {
      pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    out_ = out[0];
  }
  ~ServeProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) close(out_);
  }
  ServeProcess(const ServeProcess&) = delete;
  ServeProcess& operator=(const ServeProcess&) = delete;

  // Waits for the first line; the port it names, 0 when none came.
  uint16_t port() {
    if (port_ == 0) {
      readFor(std::chrono::seconds(20), true);
      const std::string prefix = "listening on http://";
      const size_t end = output_.find('\n');
      if (output_.rfind(prefix, 0) == 0 && end != std::string::npos) {
        const std::string url = output_.substr(0, end);
        const size_t colon = url.rfind(':');
        port_ = uint16_t(std::stoi(url.substr(colon + 1)));
      }
    }
    return port_;
  }

  // Everything printed so far (after waiting `ms` for more).
  const std::string& output(int ms = 200) {
    readFor(std::chrono::milliseconds(ms), false);
    return output_;
  }

  // Waits until the server says the box is connected (or not), through the state endpoint.
  bool waitConnected(bool connected = true, const Headers& headers = {}) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < end) {
      const HttpReply r = httpGet(port(), "/api/v1/state", headers);
      if (r.status == 200 && r.json().value("connected", !connected) == connected) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

  // SIGTERM, then the exit code (-1 when it did not exit by itself within 20 s).
  int stop() {
    if (pid_ <= 0) return -1;
    kill(pid_, SIGTERM);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > end) return -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  bool running() { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }

 private:
  void readFor(std::chrono::milliseconds limit, bool untilLine) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
      if (untilLine && output_.find('\n') != std::string::npos) return;
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          end - std::chrono::steady_clock::now());
      if (left.count() <= 0 || out_ < 0) return;
      pollfd fd{out_, POLLIN, 0};
      if (poll(&fd, 1, int(left.count())) <= 0) continue;
      char buf[4096];
      const ssize_t n = read(out_, buf, sizeof buf);
      if (n <= 0) return;
      output_.append(buf, size_t(n));
    }
  }

  std::filesystem::path dir_;
  pid_t pid_ = -1;
  int out_ = -1;
  uint16_t port_ = 0;
  std::string output_;
};

// How many reports the box took in the trace at `path` until it was read (up to the last
// request of the read, 0x62).
inline int ReportsUntilRead(const std::string& path) {
  int reports = 0;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("> ", 0) != 0) continue;
    ++reports;
    if (line.rfind("> 0262", 0) == 0) break;
  }
  return reports;
}

}  // namespace ax7::test
