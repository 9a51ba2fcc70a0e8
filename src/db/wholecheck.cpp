#include "db/wholecheck.h"

#include "db/database.h"

#include <QFile>
#include <QStringList>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <sqlite3.h>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace tav::db {

namespace {

constexpr const char* kRowSum = "TAVROWSUM";

inline std::uint64_t mix(std::uint64_t h, std::uint64_t x)
{
    h ^= x;
    h *= 0xff51afd7ed558ccdULL;
    return h ^ (h >> 33);
}

inline std::uint64_t finish(std::uint64_t h)
{
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    return h ^ (h >> 33);
}

std::uint64_t mixBytes(std::uint64_t h, const unsigned char* p, int n)
{
    h = mix(h, std::uint64_t(n));
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, p + i, 8);
        h = mix(h, w);
    }
    std::uint64_t tail = 0;
    std::memcpy(&tail, p + i, std::size_t(n - i));
    return mix(h, tail);
}

// The order of the rows does not matter to the sum: the table's rows and the
// index's entries give the same sum when they hold the same values. A number
// counts by its value, whichever way the file stores it.
void rowSumStep(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    auto* sum = static_cast<std::uint64_t*>(sqlite3_aggregate_context(ctx, sizeof(std::uint64_t)));
    if (!sum) {
        sqlite3_result_error_nomem(ctx);
        return;
    }
    std::uint64_t h = 0x9e3779b97f4a7c15ULL;
    for (int i = 0; i < argc; ++i) {
        sqlite3_value* v = argv[i];
        switch (sqlite3_value_type(v)) {
        case SQLITE_INTEGER:
            h = mix(mix(h, 1), std::uint64_t(sqlite3_value_int64(v)));
            break;
        case SQLITE_FLOAT: {
            const double d = sqlite3_value_double(v);
            if (d == std::floor(d) && std::fabs(d) < 9.0e18) {
                h = mix(mix(h, 1), std::uint64_t(std::int64_t(d)));
            } else {
                std::uint64_t bits;
                std::memcpy(&bits, &d, 8);
                h = mix(mix(h, 2), bits);
            }
            break;
        }
        case SQLITE_TEXT:
            h = mixBytes(mix(h, 3), sqlite3_value_text(v), sqlite3_value_bytes(v));
            break;
        case SQLITE_BLOB:
            h = mixBytes(mix(h, 4), static_cast<const unsigned char*>(sqlite3_value_blob(v)), sqlite3_value_bytes(v));
            break;
        default:
            h = mix(h, 5);
            break;
        }
    }
    *sum += finish(h);
}

void rowSumFinal(sqlite3_context* ctx)
{
    auto* sum = static_cast<std::uint64_t*>(sqlite3_aggregate_context(ctx, 0));
    sqlite3_result_int64(ctx, sum ? std::int64_t(*sum) : 0);
}

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A read-only connection of this check's own, in the thread that uses it.
class Reader {
public:
    explicit Reader(const QString& path)
    {
        const QByteArray name = QFile::encodeName(path);
        if (sqlite3_open_v2(name.constData(), &h_, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            // The engine gives a handle even when it fails; no destructor runs after a throw.
            const std::string error = h_ ? sqlite3_errmsg(h_) : "cannot open";
            sqlite3_close_v2(h_);
            throw Failure(error);
        }
        sqlite3_busy_timeout(h_, kBusyTimeoutMs);
        // Files of the first version name the program's collation.
        addProgramFunctions(h_);
        sqlite3_create_function_v2(h_, kRowSum, -1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, nullptr,
                                   &rowSumStep, &rowSumFinal, nullptr);
    }
    ~Reader() { sqlite3_close_v2(h_); }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    // Every row's columns as text.
    std::vector<std::vector<std::string>> rows(const std::string& sql, const std::vector<std::string>& params = {})
    {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(h_, sql.c_str(), int(sql.size()), &st, nullptr) != SQLITE_OK)
            throw Failure(sqlite3_errmsg(h_));
        for (std::size_t i = 0; i < params.size(); ++i)
            sqlite3_bind_text(st, int(i + 1), params[i].c_str(), int(params[i].size()), SQLITE_TRANSIENT);
        std::vector<std::vector<std::string>> out;
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            std::vector<std::string> row;
            for (int c = 0; c < sqlite3_column_count(st); ++c) {
                const auto* t = sqlite3_column_text(st, c);
                row.emplace_back(t ? reinterpret_cast<const char*>(t) : "");
            }
            out.push_back(std::move(row));
        }
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE)
            throw Failure(sqlite3_errmsg(h_));
        return out;
    }

private:
    sqlite3* h_ = nullptr;
};

std::string quoted(const std::string& name)
{
    return quoteName(QString::fromStdString(name)).toStdString();
}

std::string joined(const std::vector<std::string>& parts, const char* with)
{
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i)
        out += (i ? with : "") + parts[i];
    return out;
}

// One part of the check: a statement, its rows, or the engine's words when
// it failed.
struct Part {
    std::string sql;
    std::vector<std::vector<std::string>> answer;
    std::string error;
};

struct IndexPlan {
    std::string name;
    std::string table;
    std::size_t tablePart = 0;   // the table's scan
    std::size_t column = 0;      // its sum's column in that scan
    std::size_t indexPart = 0;
    std::size_t uniquePart = 0;  // 0: not unique
};

} // namespace

QString wholeFileProblem(const QString& path)
{
    std::vector<Part> parts;
    std::vector<IndexPlan> indexes;
    std::vector<std::size_t> engineChecks;   // parts whose answer must be "ok"
    try {
        Reader plan(path);
        parts.push_back({"PRAGMA quick_check(1)", {}, {}});
        engineChecks.push_back(0);
        const auto tables = plan.rows("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%'"
                                      " ORDER BY rowid");
        for (const auto& t : tables) {
            const std::string& table = t[0];
            const auto kind = plan.rows("SELECT wr FROM pragma_table_list WHERE schema = 'main' AND name = ?", {table});
            const auto list = plan.rows("SELECT name, \"unique\", partial FROM pragma_index_list(?)", {table});
            if (list.empty())
                continue;
            bool readable = kind.size() == 1 && kind[0][0] == "0";
            std::vector<std::vector<std::string>> keys;
            std::vector<std::vector<std::string>> groups;   // the keys as the index compares them
            for (const auto& i : list) {
                const auto cols = plan.rows("SELECT cid, name, coll FROM pragma_index_xinfo(?) WHERE key = 1 ORDER BY seqno",
                                            {i[0]});
                std::vector<std::string> k, g;
                readable = readable && i[2] == "0" && !cols.empty();
                for (const auto& c : cols) {
                    readable = readable && std::stoi(c[0]) >= 0;
                    k.push_back(quoted(c[1]));
                    g.push_back(quoted(c[1]) + " COLLATE " + quoted(c[2]));
                }
                keys.push_back(k);
                groups.push_back(g);
            }
            // The index's sum must be read from the index alone.
            for (std::size_t n = 0; readable && n < list.size(); ++n) {
                const auto eqp = plan.rows("EXPLAIN QUERY PLAN SELECT " + std::string(kRowSum) + "(" + joined(keys[n], ",")
                                           + ",rowid) FROM " + quoted(table) + " INDEXED BY " + quoted(list[n][0]));
                readable = !eqp.empty() && eqp.back().size() >= 4 && eqp.back()[3].find("COVERING INDEX") != std::string::npos;
            }
            if (!readable) {
                engineChecks.push_back(parts.size());
                parts.push_back({"PRAGMA integrity_check(" + quoted(table) + ")", {}, {}});
                continue;
            }
            std::vector<std::string> sums{"count(*)"};
            for (const auto& k : keys)
                sums.push_back(std::string(kRowSum) + "(" + joined(k, ",") + ",rowid)");
            const std::size_t tablePart = parts.size();
            parts.push_back({"SELECT " + joined(sums, ",") + " FROM " + quoted(table) + " NOT INDEXED", {}, {}});
            for (std::size_t n = 0; n < list.size(); ++n) {
                IndexPlan p{list[n][0], table, tablePart, n + 1, parts.size(), 0};
                parts.push_back({"SELECT count(*)," + std::string(kRowSum) + "(" + joined(keys[n], ",") + ",rowid) FROM "
                                     + quoted(table) + " INDEXED BY " + quoted(list[n][0]),
                                 {}, {}});
                if (list[n][1] == "1") {
                    std::vector<std::string> notNull;
                    for (const auto& c : keys[n])
                        notNull.push_back(c + " IS NOT NULL");
                    p.uniquePart = parts.size();
                    parts.push_back({"SELECT count(*) FROM (SELECT 1 FROM " + quoted(table) + " INDEXED BY " + quoted(list[n][0])
                                         + " WHERE " + joined(notNull, " AND ") + " GROUP BY " + joined(groups[n], ",")
                                         + " HAVING count(*) > 1)",
                                     {}, {}});
                }
                indexes.push_back(p);
            }
        }
    } catch (const Failure& e) {
        return QString::fromUtf8(e.what());
    }

    // The parts side by side, the longest (the quick check, the tables) first.
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        std::unique_ptr<Reader> reader;
        for (std::size_t n; (n = next.fetch_add(1)) < parts.size();) {
            try {
                if (!reader)
                    reader = std::make_unique<Reader>(path);
                parts[n].answer = reader->rows(parts[n].sql);
            } catch (const Failure& e) {
                parts[n].error = e.what();
            }
        }
    };
    const std::size_t workers = std::min<std::size_t>(parts.size(), std::max(2, QThread::idealThreadCount()));
    std::vector<std::thread> threads;
    for (std::size_t i = 1; i < workers; ++i)
        threads.emplace_back(work);
    work();
    for (std::thread& t : threads)
        t.join();

    for (const Part& p : parts)
        if (!p.error.empty())
            return QString::fromUtf8(p.error.c_str());
    const auto answer = [&](std::size_t part, std::size_t column) -> std::string {
        const auto& a = parts[part].answer;
        return a.empty() || a[0].size() <= column ? std::string() : a[0][column];
    };
    for (const std::size_t n : engineChecks)
        if (answer(n, 0) != "ok")
            return QString::fromUtf8(answer(n, 0).c_str());
    for (const IndexPlan& i : indexes) {
        if (answer(i.indexPart, 0) != answer(i.tablePart, 0) || answer(i.indexPart, 1) != answer(i.tablePart, i.column))
            return QStringLiteral("индексът %1 не съответства на таблицата %2")
                .arg(QString::fromStdString(i.name), QString::fromStdString(i.table));
        if (i.uniquePart != 0 && answer(i.uniquePart, 0) != "0")
            return QStringLiteral("индексът %1 съдържа един ключ повече от веднъж").arg(QString::fromStdString(i.name));
    }
    return {};
}

} // namespace tav::db
