#include "cli/BatchExport.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <cctype>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "cli/RunControls.h"
#include "cli/Terminal.h"
#include "core/Exception.h"
#include "core/NonCopyable.h"

namespace verimo::cli {

namespace fs = std::filesystem;

namespace {

bool HasDbExtension(const fs::path& path) {
  std::string extension = path.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".db";
}

}  // namespace

std::vector<std::string> ExpandTables(const std::vector<std::string>& arguments) {
  std::vector<std::string> tables;
  for (const std::string& argument : arguments) {
    std::error_code ec;
    if (!fs::is_directory(argument, ec)) {
      tables.push_back(argument);
      continue;
    }
    std::vector<std::string> found;
    for (const fs::directory_entry& entry : fs::directory_iterator(argument, ec))
      if (entry.is_regular_file(ec) && HasDbExtension(entry.path())) found.push_back(entry.path().string());
    if (ec) throw Exception("Cannot read the folder \"" + argument + "\": " + ec.message());
    std::sort(found.begin(), found.end());
    if (found.empty()) throw Exception("The folder \"" + argument + "\" holds no Paradox table (*.db)");
    tables.insert(tables.end(), found.begin(), found.end());
  }
  return tables;
}

std::optional<bool> IsEncrypted(const std::string& path, bool salvage) {
  bool encrypted = false;
  try {
    TTable table;
    table.SetDatabaseName(fs::path(path).parent_path().string());
    table.SetTableName(fs::path(path).filename().string());
    table.SetSalvage(salvage);
    // Asked only for an encrypted table; declining leaves it closed.
    table.SetPasswordCallback([&encrypted](const std::string&, WideString&) {
      encrypted = true;
      return false;
    });
    table.Open();
    return false;
  } catch (const std::exception&) {
    if (encrypted) return true;
    return std::nullopt;
  }
}

std::optional<std::string> AskPassword(const std::string& path, bool salvage) {
  if (!StandardInputIsTerminal()) return std::nullopt;
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::optional<std::string> line = ReadSecretLine("Enter password for " + fs::path(path).filename().string());
    if (!line) return std::nullopt;
    try {
      TTable table;
      table.SetDatabaseName(fs::path(path).parent_path().string());
      table.SetTableName(fs::path(path).filename().string());
      table.SetPassword(Utf8ToWide(*line));
      table.SetSalvage(salvage);
      table.Open();
      return line;
    } catch (const std::exception&) {
    }
  }
  return std::nullopt;
}

namespace {

struct TTableJob {
  std::string table;
  std::string target;
  std::optional<std::string> password;
  std::string skipReason;  // not exported, and why
};

struct TJobResult {
  bool written = false;
  std::string message;  // the last line the worker printed
  bool lossy = false;   // written from a salvaging read that lost records or values
};

std::vector<TTableJob> PlanJobs(const ExportOptions& options) {
  std::vector<TTableJob> jobs;
  std::map<std::string, std::string> targets;  // target -> table, to catch two tables of one name
  for (const std::string& table : ExpandTables(options.tables)) {
    TTableJob job{table, BatchTargetOf(options, table), options.table.password, {}};
    auto [existing, inserted] = targets.emplace(fs::absolute(job.target).lexically_normal().string(), table);
    if (!inserted) job.skipReason = "its file " + job.target + " is the one of " + existing->second;
    if (job.skipReason.empty() && !job.password && IsEncrypted(table, options.table.salvage).value_or(false)) {
      job.password = AskPassword(table, options.table.salvage);
      if (!job.password) job.skipReason = "the table is password-protected; give its password with --password";
    }
    jobs.push_back(std::move(job));
  }
  return jobs;
}

// What a worker said, without its running progress lines: the closing
// line, warnings and errors, joined by "; ".
std::string WorkerMessage(const std::string& output) {
  std::string message;
  size_t start = 0;
  while (start < output.size()) {
    size_t end = output.find('\n', start);
    if (end == std::string::npos) end = output.size();
    std::string line = output.substr(start, end - start);
    start = end + 1;
    bool running = line.rfind("measuring ", 0) == 0 ||
                   (line.rfind("exported ", 0) == 0 && line.find(" to ") == std::string::npos);
    if (line.empty() || running) continue;
    message += (message.empty() ? "" : "; ") + line;
  }
  return message;
}

class TWorker : private TNonCopyable {
 public:
  // Starts the export of one table in a child process whose messages come
  // back through a pipe.
  TWorker(const ExportOptions& options, const TTableJob& job) {
    int fds[2];
    if (pipe(fds) != 0) throw Exception("Cannot start a worker: no pipe");
    std::fflush(nullptr);
    pid_ = fork();
    if (pid_ < 0) {
      close(fds[0]);
      close(fds[1]);
      throw Exception("Cannot start a worker process");
    }
    if (pid_ == 0) {
      close(fds[0]);
      RunChild(options, job, fds[1]);
    }
    close(fds[1]);
    fd_ = fds[0];
  }
  ~TWorker() {
    if (fd_ >= 0) close(fd_);
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
  }

  pid_t Pid() const { return pid_; }

  // Reads what the worker printed until it closed its end.
  void Drain() {
    char buffer[4096];
    for (ssize_t n; (n = read(fd_, buffer, sizeof buffer)) != 0;) {
      if (n < 0) {
        if (errno == EINTR) continue;
        break;
      }
      output_.append(buffer, static_cast<size_t>(n));
    }
  }

  TJobResult Finish(int status) {
    pid_ = -1;
    TJobResult result;
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.written = code == 0 || code == kExitSalvageLost;
    result.lossy = code == kExitSalvageLost;
    result.message = WorkerMessage(output_);
    if (result.message.empty()) result.message = result.written ? "written" : "the worker ended without a message";
    return result;
  }

 private:
  [[noreturn]] static void RunChild(const ExportOptions& options, const TTableJob& job, int fd) {
    int code = 1;
    std::FILE* out = fdopen(fd, "w");
    if (out) {
      try {
        ExportOptions single = options;
        single.outputDir.reset();
        single.tables.clear();
        single.table.path = job.table;
        single.table.password = job.password;
        single.target = job.target;
        single.quiet = false;
        code = RunExport(single, out);
      } catch (const std::exception& error) {
        std::fprintf(out, "%s\n", error.what());
      }
      std::fflush(out);
    }
    _exit(code);
  }

  pid_t pid_ = -1;
  int fd_ = -1;
  std::string output_;
};

int DefaultJobs() {
  unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int>(cores);
}

}  // namespace

int RunBatchExport(const ExportOptions& options, std::FILE* out) {
  std::error_code ec;
  fs::create_directories(*options.outputDir, ec);
  if (!fs::is_directory(*options.outputDir, ec))
    throw Exception("Cannot create the output folder \"" + *options.outputDir + "\"");
  std::vector<TTableJob> jobs = PlanJobs(options);
  const size_t parallel = static_cast<size_t>(options.jobs > 0 ? options.jobs : DefaultJobs());

  std::vector<TJobResult> results(jobs.size());
  std::map<pid_t, std::pair<size_t, std::unique_ptr<TWorker>>> running;
  size_t next = 0, done = 0;
  auto report = [&](size_t index) {
    ++done;
    const char* outcome = results[index].written ? "" : jobs[index].skipReason.empty() ? "failed: " : "";
    std::fprintf(out, "[%zu/%zu] %s: %s%s\n", done, jobs.size(), jobs[index].table.c_str(), outcome,
                 results[index].message.c_str());
    std::fflush(out);
  };
  while (next < jobs.size() || !running.empty()) {
    while (next < jobs.size() && running.size() < parallel) {
      size_t index = next++;
      if (!jobs[index].skipReason.empty()) {
        results[index] = {false, "skipped: " + jobs[index].skipReason};
        report(index);
        continue;
      }
      auto worker = std::make_unique<TWorker>(options, jobs[index]);
      pid_t pid = worker->Pid();
      running.emplace(pid, std::make_pair(index, std::move(worker)));
    }
    if (running.empty()) continue;
    // A worker prints a few lines only, which its pipe holds until it is
    // read after the worker ended.
    int status = 0;
    pid_t ended = waitpid(-1, &status, 0);
    if (ended < 0) {
      if (errno == EINTR) continue;
      throw Exception("Lost track of the worker processes");
    }
    auto found = running.find(ended);
    if (found == running.end()) continue;
    found->second.second->Drain();
    size_t index = found->second.first;
    results[index] = found->second.second->Finish(status);
    results[index].message = WithoutTableName(results[index].message, jobs[index].table);
    running.erase(found);
    report(index);
  }

  size_t written = static_cast<size_t>(std::count_if(results.begin(), results.end(), [](const TJobResult& r) { return r.written; }));
  size_t lossy = static_cast<size_t>(std::count_if(results.begin(), results.end(), [](const TJobResult& r) { return r.lossy; }));
  std::fprintf(out, "%zu of %zu tables written to %s", written, jobs.size(), options.outputDir->c_str());
  if (lossy > 0) std::fprintf(out, "; %zu with records or values lost", lossy);
  if (written < jobs.size()) std::fprintf(out, "; %zu failed:", jobs.size() - written);
  std::fprintf(out, "\n");
  for (size_t i = 0; i < jobs.size(); ++i)
    if (!results[i].written) std::fprintf(out, "  %s: %s\n", jobs[i].table.c_str(), results[i].message.c_str());
  if (written < jobs.size()) return 1;
  return lossy > 0 ? kExitSalvageLost : 0;
}

}  // namespace verimo::cli
