#include "formats/text/SqlServers.h"

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "support/TestPaths.h"

namespace verimo::test {

namespace fs = std::filesystem;

namespace {

bool ExitedWithin(pid_t pid, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

bool StillRunning(pid_t pid) {
  int status = 0;
  return pid > 0 && waitpid(pid, &status, WNOHANG) == 0;
}

// Asks `ready` until it answers yes, the process died or time ran out.
template <typename Ready>
bool WaitUntilReady(pid_t pid, Ready ready) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < end) {
    if (!StillRunning(pid)) return false;
    if (ready()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  return false;
}

std::string Tail(const fs::path& log) {
  std::string text;
  RunCommand("tail -n 5 " + ShellQuote(log.string()) + " 2>/dev/null", &text);
  return text;
}

std::optional<fs::path> PostgresBinDir() {
  std::optional<fs::path> best;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql", ec)) {
    fs::path bin = entry.path() / "bin";
    if (fs::exists(bin / "postgres") && fs::exists(bin / "initdb") && (!best || bin > *best)) best = bin;
  }
  return best;
}

class TPostgres : public TSqlServer {
 public:
  TPostgres(fs::path bin, fs::path dir) : bin_(std::move(bin)) { dir_ = std::move(dir); }
  ~TPostgres() override { Stop(SIGINT); }

  bool Start(std::string& why) {
    std::optional<uid_t> uid;
    std::optional<gid_t> gid;
    std::string asUser;
    if (geteuid() == 0) {
      // The server refuses to run as root: the cluster belongs to the
      // postgres system user (or nobody).
      const passwd* user = getpwnam("postgres");
      if (!user) user = getpwnam("nobody");
      if (!user) {
        why = "no unprivileged user to run PostgreSQL as";
        return false;
      }
      uid = user->pw_uid;
      gid = user->pw_gid;
      if (chown(dir_.c_str(), *uid, *gid) != 0) {
        why = "cannot hand " + dir_.string() + " to " + user->pw_name;
        return false;
      }
      asUser = "runuser -u " + std::string(user->pw_name) + " -- ";
    }
    const fs::path data = dir_ / "data";
    if (RunCommand(asUser + ShellQuote((bin_ / "initdb").string()) + " -D " + ShellQuote(data.string()) +
                   " -A trust -U postgres -E UTF8 --locale=C.UTF-8 --no-sync > " +
                   ShellQuote((dir_ / "initdb.log").string()) + " 2>&1") != 0) {
      why = "initdb failed: " + Tail(dir_ / "initdb.log");
      return false;
    }
    if (!Spawn({(bin_ / "postgres").string(), "-D", data.string(), "-k", dir_.string(), "-c", "listen_addresses=",
                "-c", "fsync=off"},
               dir_ / "server.log", uid, gid)) {
      why = "cannot start postgres";
      return false;
    }
    const std::string isReady =
        ShellQuote((bin_ / "pg_isready").string()) + " -q -h " + ShellQuote(dir_.string()) + " -U postgres";
    if (!WaitUntilReady(pid_, [&] { return RunCommand(isReady) == 0; })) {
      why = "postgres did not come up: " + Tail(dir_ / "server.log");
      return false;
    }
    return true;
  }

  bool RunScript(const fs::path& script, std::string& errors) override {
    return RunCommand(Client() + " -q -v ON_ERROR_STOP=1 -f " + ShellQuote(script.string()) + " 2>&1", &errors) == 0;
  }

  bool Query(const std::string& query, std::string& output) override {
    return RunCommand(Client() + " -q -A -t -c " + ShellQuote(query), &output) == 0;
  }

 private:
  std::string Client() const {
    return ShellQuote((bin_ / "psql").string()) + " -X -h " + ShellQuote(dir_.string()) + " -U postgres -d postgres";
  }

  fs::path bin_;
};

class TMariaDB : public TSqlServer {
 public:
  explicit TMariaDB(fs::path dir) { dir_ = std::move(dir); }
  ~TMariaDB() override { Stop(SIGTERM); }

  bool Start(std::string& why) {
    const fs::path data = dir_ / "data";
    const std::string user = geteuid() == 0 ? " --user=root" : "";
    if (RunCommand("mariadb-install-db --no-defaults --datadir=" + ShellQuote(data.string()) +
                   " --auth-root-authentication-method=normal --skip-test-db" + user + " > " +
                   ShellQuote((dir_ / "install.log").string()) + " 2>&1") != 0) {
      why = "mariadb-install-db failed: " + Tail(dir_ / "install.log");
      return false;
    }
    std::vector<std::string> argv = {"/usr/sbin/mariadbd", "--no-defaults", "--datadir=" + data.string(),
                                     "--socket=" + Socket(), "--skip-networking", "--skip-grant-tables",
                                     "--character-set-server=utf8mb4", "--collation-server=utf8mb4_bin",
                                     "--log-error=" + (dir_ / "error.log").string(),
                                     "--pid-file=" + (dir_ / "mariadbd.pid").string(),
                                     "--innodb-buffer-pool-size=32M", "--innodb-flush-log-at-trx-commit=0"};
    if (geteuid() == 0) argv.push_back("--user=root");
    if (!Spawn(argv, dir_ / "server.log")) {
      why = "cannot start mariadbd";
      return false;
    }
    const std::string ping = "mariadb-admin --no-defaults --socket=" + ShellQuote(Socket()) + " -u root ping >/dev/null 2>&1";
    if (!WaitUntilReady(pid_, [&] { return RunCommand(ping) == 0; })) {
      why = "mariadbd did not come up: " + Tail(dir_ / "error.log");
      return false;
    }
    std::string output;
    if (RunCommand(Client("") + " -e 'CREATE DATABASE verimo' 2>&1", &output) != 0) {
      why = "cannot create the test database: " + output;
      return false;
    }
    return true;
  }

  bool RunScript(const fs::path& script, std::string& errors) override {
    return RunCommand(Client("verimo") + " < " + ShellQuote(script.string()) + " 2>&1", &errors) == 0;
  }

  bool Query(const std::string& query, std::string& output) override {
    return RunCommand(Client("verimo") + " --batch --raw --skip-column-names -e " + ShellQuote(query), &output) == 0;
  }

 private:
  std::string Socket() const { return (dir_ / "mysql.sock").string(); }
  std::string Client(const std::string& database) const {
    return "mariadb --no-defaults --socket=" + ShellQuote(Socket()) + " -u root --default-character-set=utf8mb4 " +
           database;
  }
};

}  // namespace

TSqlServer::~TSqlServer() {
  if (!dir_.empty() && !std::getenv("VERIMO_KEEP_TEST_FILES")) {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
}

bool TSqlServer::Spawn(const std::vector<std::string>& argv, const fs::path& log, std::optional<uid_t> uid,
                       std::optional<gid_t> gid) {
  const pid_t parent = getpid();
  const int logFd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (logFd < 0) return false;
  if (uid && fchown(logFd, *uid, gid.value_or(static_cast<gid_t>(-1))) != 0) {
    close(logFd);
    return false;
  }
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_ = fork();
  if (pid_ < 0) {
    close(logFd);
    return false;
  }
  if (pid_ == 0) {
    if (gid && setgid(*gid) != 0) _exit(126);
    if (uid && setuid(*uid) != 0) _exit(126);
    // Set after the change of user, which would clear it: the server goes
    // when this program goes, even when it crashes.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(126);
    dup2(logFd, STDOUT_FILENO);
    dup2(logFd, STDERR_FILENO);
    const int devNull = open("/dev/null", O_RDONLY);
    if (devNull >= 0) dup2(devNull, STDIN_FILENO);
    execv(args[0], args.data());
    _exit(127);
  }
  close(logFd);
  return true;
}

void TSqlServer::Stop(int signal) {
  if (pid_ <= 0) return;
  kill(pid_, signal);
  if (!ExitedWithin(pid_, std::chrono::seconds(20))) {
    kill(pid_, SIGKILL);
    ExitedWithin(pid_, std::chrono::seconds(5));
  }
  pid_ = -1;
}

std::unique_ptr<TSqlServer> StartPostgres(std::string& why) {
  const std::optional<fs::path> bin = PostgresBinDir();
  if (!bin) {
    why = "PostgreSQL is not installed (no /usr/lib/postgresql/*/bin/postgres)";
    return nullptr;
  }
  auto server = std::make_unique<TPostgres>(*bin, MakeTempDir("verimo-pg"));
  if (!server->Start(why)) return nullptr;
  return server;
}

std::unique_ptr<TSqlServer> StartMariaDB(std::string& why) {
  if (!fs::exists("/usr/sbin/mariadbd") || RunCommand("command -v mariadb-install-db >/dev/null") != 0) {
    why = "MariaDB is not installed (no /usr/sbin/mariadbd or mariadb-install-db)";
    return nullptr;
  }
  auto server = std::make_unique<TMariaDB>(MakeTempDir("verimo-my"));
  if (!server->Start(why)) return nullptr;
  return server;
}

}  // namespace verimo::test
