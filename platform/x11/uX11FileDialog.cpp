#include "platform/x11/uX11FileDialog.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "lib/uCodePage.h"
#include "platform/core/uApplication.h"
#include "platform/core/uFileDialogForm.h"
#include "platform/core/uForms.h"
#include "platform/x11/uX11Platform.h"

#include "platform/x11/uX11Internal.h"

extern char** environ;

namespace qvt {

namespace {

struct TFilter {
  std::string Name;
  std::vector<std::string> Patterns;
};

// "Text (*.txt)|*.txt;*.text|All files (*.*)|*.*" as name/pattern pairs;
// "*.*" means every file.
std::vector<TFilter> ParseFilter(const std::string& filter) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= filter.size() && !filter.empty()) {
    const std::size_t bar = std::min(filter.find('|', start), filter.size());
    parts.push_back(filter.substr(start, bar - start));
    start = bar + 1;
  }
  std::vector<TFilter> filters;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    TFilter f{Win1252ToUtf8(parts[i]), {}};
    std::size_t from = 0;
    const std::string& list = parts[i + 1];
    while (from <= list.size()) {
      const std::size_t semicolon = std::min(list.find(';', from), list.size());
      std::string pattern = list.substr(from, semicolon - from);
      if (pattern == "*.*") pattern = "*";
      if (!pattern.empty()) f.Patterns.push_back(Win1252ToUtf8(pattern));
      from = semicolon + 1;
    }
    if (!f.Patterns.empty()) filters.push_back(std::move(f));
  }
  return filters;
}

std::string Joined(const std::vector<std::string>& items, const char* separator) {
  std::string out;
  for (const std::string& item : items) out += (out.empty() ? "" : separator) + item;
  return out;
}

// Where the dialog starts: the folder, with the suggested name in it.
std::string StartPath(const TFileDialogRequest& request) {
  std::string path = request.InitialDir;
  if (!path.empty() && path.back() != '/') path += '/';
  return path + request.FileName;
}

bool IsReadable(int fd, int timeoutMs) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, timeoutMs) > 0;
}

} // namespace

std::vector<std::string> FileDialogCommand(const std::string& program,
                                           const TFileDialogRequest& request) {
  const std::vector<TFilter> filters = ParseFilter(request.Filter);
  const std::string title = Win1252ToUtf8(request.Title);
  const std::string start = StartPath(request);
  std::vector<std::string> command{program};
  if (program == "kdialog") {
    command.push_back(request.Save ? "--getsavefilename" : "--getopenfilename");
    command.push_back(start.empty() ? "." : start);
    std::vector<std::string> lines;
    for (const TFilter& f : filters) lines.push_back(Joined(f.Patterns, " ") + "|" + f.Name);
    if (!lines.empty()) command.push_back(Joined(lines, "\n"));
    if (!title.empty()) command.insert(command.end(), {"--title", title});
    if (request.Owner) command.insert(command.end(), {"--attach", std::to_string(request.Owner)});
    return command;
  }
  command.push_back("--file-selection");
  if (request.Save) command.insert(command.end(), {"--save", "--confirm-overwrite"});
  if (!title.empty()) command.push_back("--title=" + title);
  if (!start.empty()) command.push_back("--filename=" + start);
  for (const TFilter& f : filters)
    command.push_back("--file-filter=" + f.Name + " | " + Joined(f.Patterns, " "));
  // Kept above its owner (the host's window) by the window manager.
  if (request.Owner) command.push_back("--attach=" + std::to_string(request.Owner));
  return command;
}

std::string WithDefaultExtension(const std::string& path, const TFileDialogRequest& request) {
  if (!request.Save || request.DefaultExt.empty()) return path;
  const std::size_t slash = path.rfind('/');
  const std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
  if (name.find('.') != std::string::npos) return path;
  return path + "." + request.DefaultExt;
}

std::optional<std::string> TX11Platform::FileDialog(const TFileDialogRequest& asked) {
  // Owned by the top-level window around the asking one.
  TFileDialogRequest request = asked;
  if (!request.Owner) request.Owner = Application->Handle;
  if (request.Owner) request.Owner = TopLevelOf(FDisplay, request.Owner);
  std::vector<std::string> command;
  for (const char* program : {"zenity", "kdialog"}) {
    command = FileDialogCommand(program, request);
    std::vector<char*> argv;
    for (std::string& argument : command) argv.push_back(argument.data());
    argv.push_back(nullptr);

    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    // None of the host's descriptors reach the dialog program.
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    pid_t child = 0;
    const int failed = ::posix_spawnp(&child, program, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (failed) {
      ::close(out[0]);
      continue; // not installed: try the next program
    }

    // The dialog is modal: our windows stay painted, their input is dropped.
    // Closing the editor ends the loop and the dialog with it.
    std::string answer;
    bool ended = false;
    const auto readAnswer = [&] {
      char buffer[4096];
      while (!ended && IsReadable(out[0], 0)) {
        const ssize_t got = ::read(out[0], buffer, sizeof buffer);
        if (got > 0)
          answer.append(buffer, static_cast<std::size_t>(got));
        else if (got == 0 || errno != EINTR)
          ended = true;
      }
      return ended;
    };
    FDropInput = true;
    const bool finished = Application->RunModalLoop(readAnswer, 30);
    FDropInput = false;
    if (!finished) ::kill(child, SIGTERM);
    ::close(out[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!finished) return std::nullopt;
    while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r')) answer.pop_back();
    // A program that exists but cannot run (exit 127) lets the next one try.
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127) continue;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || answer.empty()) return std::nullopt;
    return WithDefaultExtension(answer, request);
  }
  // Neither program is installed: the framework's own dialog.
  TFileDialogForm dialog(request);
  return dialog.Execute();
}

} // namespace qvt
