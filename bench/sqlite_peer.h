// SQLite through its C API as the store's peer: a WITHOUT ROWID table
// (key TEXT PRIMARY KEY, data BLOB), prepared statements, WAL journal,
// synchronous=OFF and a page cache of a given size.
//
//   SqlitePeer db("/tmp/peer.db", 65536);
//   db.Begin(); db.Insert(key, value); db.Commit();
//   std::string value = db.Select(key);
#pragma once

#include <sqlite3.h>

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace pellmark::bench {

class SqlitePeer {
 public:
  SqlitePeer(const std::filesystem::path& file, std::size_t cache_bytes);
  ~SqlitePeer();
  SqlitePeer(const SqlitePeer&) = delete;
  SqlitePeer& operator=(const SqlitePeer&) = delete;

  void Begin();
  void Commit();
  void Insert(std::string_view key, std::string_view value);
  std::string Select(std::string_view key);
  // Every row in key order.
  void Scan(const std::function<void(std::string_view key, std::string_view value)>& visit);

 private:
  void Exec(const char* sql);
  sqlite3* db_ = nullptr;
  sqlite3_stmt* insert_ = nullptr;
  sqlite3_stmt* select_ = nullptr;
  sqlite3_stmt* scan_ = nullptr;
};

}  // namespace pellmark::bench
