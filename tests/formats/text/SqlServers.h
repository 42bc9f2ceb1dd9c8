#pragma once

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace verimo::test {

// A database server this test program starts for itself: in a temporary
// folder, on a Unix socket only, as a child that dies with the program
// (whatever way it ends) and is shut down in order when the object goes.
class TSqlServer {
 public:
  virtual ~TSqlServer();
  TSqlServer(const TSqlServer&) = delete;
  TSqlServer& operator=(const TSqlServer&) = delete;

  // Runs a script file; false and the client's messages in `errors` when
  // it fails.
  virtual bool RunScript(const std::filesystem::path& script, std::string& errors) = 0;
  // Runs one query and returns what the client printed (one line per row).
  virtual bool Query(const std::string& query, std::string& output) = 0;

 protected:
  TSqlServer() = default;
  // Starts the server process: argv[0] is the program; the process takes
  // `uid`/`gid` when they are given (PostgreSQL refuses to run as root).
  bool Spawn(const std::vector<std::string>& argv, const std::filesystem::path& log,
             std::optional<uid_t> uid = std::nullopt, std::optional<gid_t> gid = std::nullopt);
  void Stop(int signal);

  std::filesystem::path dir_;
  pid_t pid_ = -1;
};

// A PostgreSQL cluster (initdb, then postgres -k DIR -c listen_addresses='').
// Nothing when the binaries are missing or the server does not come up;
// `why` then says why.
std::unique_ptr<TSqlServer> StartPostgres(std::string& why);
// A MariaDB server (mariadb-install-db, then mariadbd --skip-networking).
std::unique_ptr<TSqlServer> StartMariaDB(std::string& why);

}  // namespace verimo::test
