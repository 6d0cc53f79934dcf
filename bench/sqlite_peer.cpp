#include "sqlite_peer.h"

#include <stdexcept>

namespace pellmark::bench {

SqlitePeer::SqlitePeer(const std::filesystem::path& file, std::size_t cache_bytes) {
  if (sqlite3_open(file.c_str(), &db_) != SQLITE_OK) throw std::runtime_error("cannot open " + file.string());
  Exec("PRAGMA journal_mode=WAL");
  Exec("PRAGMA synchronous=OFF");
  Exec(("PRAGMA cache_size=-" + std::to_string(std::max<std::size_t>(1, cache_bytes / 1024))).c_str());
  Exec("CREATE TABLE IF NOT EXISTS items (key TEXT PRIMARY KEY, data BLOB) WITHOUT ROWID");
  sqlite3_prepare_v2(db_, "INSERT INTO items (key, data) VALUES (?, ?)", -1, &insert_, nullptr);
  sqlite3_prepare_v2(db_, "SELECT data FROM items WHERE key = ?", -1, &select_, nullptr);
  sqlite3_prepare_v2(db_, "SELECT key, data FROM items ORDER BY key", -1, &scan_, nullptr);
}

SqlitePeer::~SqlitePeer() {
  sqlite3_finalize(insert_);
  sqlite3_finalize(select_);
  sqlite3_finalize(scan_);
  sqlite3_close(db_);
}

void SqlitePeer::Exec(const char* sql) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
    std::string text = message != nullptr ? message : "?";
    sqlite3_free(message);
    throw std::runtime_error(std::string(sql) + ": " + text);
  }
}

void SqlitePeer::Begin() { Exec("BEGIN"); }
void SqlitePeer::Commit() { Exec("COMMIT"); }

void SqlitePeer::Insert(std::string_view key, std::string_view value) {
  sqlite3_bind_text(insert_, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
  sqlite3_bind_blob(insert_, 2, value.data(), static_cast<int>(value.size()), SQLITE_STATIC);
  if (sqlite3_step(insert_) != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db_));
  sqlite3_reset(insert_);
}

std::string SqlitePeer::Select(std::string_view key) {
  sqlite3_bind_text(select_, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
  std::string value;
  if (sqlite3_step(select_) == SQLITE_ROW) {
    value.assign(static_cast<const char*>(sqlite3_column_blob(select_, 0)),
                 static_cast<std::size_t>(sqlite3_column_bytes(select_, 0)));
  }
  sqlite3_reset(select_);
  return value;
}

void SqlitePeer::Scan(const std::function<void(std::string_view, std::string_view)>& visit) {
  while (sqlite3_step(scan_) == SQLITE_ROW) {
    visit(std::string_view(reinterpret_cast<const char*>(sqlite3_column_text(scan_, 0)),
                           static_cast<std::size_t>(sqlite3_column_bytes(scan_, 0))),
          std::string_view(static_cast<const char*>(sqlite3_column_blob(scan_, 1)),
                           static_cast<std::size_t>(sqlite3_column_bytes(scan_, 1))));
  }
  sqlite3_reset(scan_);
}

}  // namespace pellmark::bench
