#include "editor/platform/ChildProcess.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <mutex>

extern char** environ;

namespace {

std::vector<char*> argvOf(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    return argv;
}

// Started programs not yet reaped.
std::vector<int>& running() {
    static std::vector<int> pids;
    return pids;
}

std::mutex& runningMutex() {
    static std::mutex mutex;
    return mutex;
}

} // namespace

int ChildProcess::Run(const std::vector<std::string>& args, std::string* output) {
    if (args.empty()) return -1;
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    std::vector<char*> argv = argvOf(args);
    pid_t pid = 0;
    const int started = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (started != 0) {
        close(pipeFds[0]);
        return -1;
    }
    std::string text;
    char buffer[512];
    for (;;) {
        const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
        if (n > 0) {
            text.append(buffer, static_cast<size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    close(pipeFds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!text.empty() && text.back() == '\n') text.pop_back();
    if (output) *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool ChildProcess::Start(const std::vector<std::string>& args) {
    ReapFinished();
    if (args.empty()) return false;
    std::vector<char*> argv = argvOf(args);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
    std::lock_guard<std::mutex> lock(runningMutex());
    running().push_back(pid);
    return true;
}

void ChildProcess::ReapFinished() {
    std::lock_guard<std::mutex> lock(runningMutex());
    std::vector<int>& pids = running();
    pids.erase(
        std::remove_if(pids.begin(), pids.end(), [](int pid) { return waitpid(pid, nullptr, WNOHANG) != 0; }),
        pids.end());
}

bool ChildProcess::OnPath(const char* name) {
    const char* path = std::getenv("PATH");
    if (!path) return false;
    std::string folders(path);
    size_t start = 0;
    while (start <= folders.size()) {
        const size_t end = folders.find(':', start);
        const std::string folder =
            folders.substr(start, end == std::string::npos ? std::string::npos : end - start);
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return true;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return false;
}
