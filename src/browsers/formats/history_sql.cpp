#include "browsers/formats/history_sql.h"

namespace browsers {

Statement::Statement(sqlite3* db, const char* sql) {
  prepared_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr);
  if (prepared_ != SQLITE_OK) {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
  }
}

void Statement::bind(int index1, const std::string& text) {
  if (stmt_)
    sqlite3_bind_text(stmt_, index1, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

std::string Statement::text(int column) const {
  const auto* data = sqlite3_column_text(stmt_, column);
  if (!data) return {};
  return std::string(reinterpret_cast<const char*>(data),
                     static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)));
}

int run(sqlite3* db, const std::string& sql, std::string& error) {
  char* message = nullptr;
  int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message);
  if (rc != SQLITE_OK) error = message ? message : sqlite3_errstr(rc);
  sqlite3_free(message);
  return rc;
}

int runAll(sqlite3* db, const std::vector<std::string>& statements, std::string& error) {
  for (const std::string& sql : statements) {
    if (sql.empty()) continue;
    int rc = run(db, sql, error);
    if (rc != SQLITE_OK) return rc;
  }
  return SQLITE_OK;
}

}  // namespace browsers
