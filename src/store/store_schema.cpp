#include "store_schema.h"

#include <cstdint>
#include <sqlite3.h>
#include <string>

namespace korvane {

namespace {

// Version 1: minutes, day totals, imported records and the three views.
// CREATE without IF NOT EXISTS: a version-0 file that already holds a table
// of these names is someone else's, and must fail rather than be mixed in.
const char* const kSchema1 = R"sql(
CREATE TABLE meta(key TEXT PRIMARY KEY, value) WITHOUT ROWID;
CREATE TABLE minute(
    ts INTEGER PRIMARY KEY,
    date INTEGER NOT NULL,
    packets INTEGER NOT NULL,
    v_min INTEGER, v_mean INTEGER, v_max INTEGER,
    a_min INTEGER, a_mean INTEGER, a_max INTEGER,
    w_min INTEGER, w_mean INTEGER, w_max INTEGER,
    rpm_mean INTEGER, rpm_max INTEGER,
    wind_mean INTEGER, wind_max INTEGER,
    load_ms INTEGER NOT NULL,
    wh REAL NOT NULL);
CREATE TABLE day_total(
    date INTEGER PRIMARY KEY,
    first_ts INTEGER NOT NULL,
    last_ts INTEGER NOT NULL,
    minutes INTEGER NOT NULL,
    packets INTEGER NOT NULL,
    wh REAL NOT NULL,
    v_min INTEGER, v_max INTEGER, w_max INTEGER, wind_max INTEGER,
    load_ms INTEGER NOT NULL);
CREATE TABLE day_wind(
    date INTEGER PRIMARY KEY,
    pairs BLOB NOT NULL);
CREATE TABLE log_file(
    date INTEGER PRIMARY KEY,
    name TEXT NOT NULL,
    bytes INTEGER NOT NULL,
    records INTEGER NOT NULL);
CREATE TABLE record(
    date INTEGER NOT NULL,
    seq INTEGER NOT NULL,
    minute INTEGER NOT NULL,
    v INTEGER NOT NULL, a INTEGER NOT NULL, w INTEGER NOT NULL,
    rpm INTEGER NOT NULL, wind INTEGER NOT NULL, mode INTEGER NOT NULL,
    PRIMARY KEY(date, seq)) WITHOUT ROWID;
CREATE TABLE record_day(
    date INTEGER PRIMARY KEY,
    records INTEGER NOT NULL,
    v_min INTEGER, v_max INTEGER, w_max INTEGER, wind_max INTEGER);

CREATE VIEW minutes AS SELECT
    ts,
    (date / 10000) || '_' || (date / 100 % 100) || '_' || (date % 100) AS day,
    packets,
    v_min / 100.0 AS volts_min, v_mean / 1000.0 AS volts_mean, v_max / 100.0 AS volts_max,
    a_min / 100.0 AS amps_min, a_mean / 1000.0 AS amps_mean, a_max / 100.0 AS amps_max,
    w_min / 100.0 AS watts_min, w_mean / 1000.0 AS watts_mean, w_max / 100.0 AS watts_max,
    rpm_mean / 1000.0 AS rpm_mean, rpm_max / 10.0 AS rpm_max,
    wind_mean / 1000.0 AS wind_mean, wind_max / 10.0 AS wind_max,
    load_ms / 1000.0 AS load_on_s,
    wh
FROM minute;

CREATE VIEW days AS SELECT
    (date / 10000) || '_' || (date / 100 % 100) || '_' || (date % 100) AS day,
    first_ts, last_ts, minutes, packets, wh,
    v_min / 100.0 AS volts_min, v_max / 100.0 AS volts_max,
    w_max / 100.0 AS watts_max, wind_max / 10.0 AS wind_max,
    load_ms / 60000.0 AS load_on_min
FROM (
    SELECT date, first_ts, last_ts, minutes, packets, wh, v_min, v_max, w_max, wind_max, load_ms
    FROM day_total
    UNION ALL
    SELECT date, NULL, NULL, 0, NULL, NULL, v_min, v_max, w_max, wind_max, NULL
    FROM record_day WHERE date NOT IN (SELECT date FROM day_total))
ORDER BY date;

CREATE VIEW records AS SELECT
    (date / 10000) || '_' || (date / 100 % 100) || '_' || (date % 100) AS day,
    seq,
    printf('%02d:%02d', minute / 60, minute % 60) AS time,
    v / 100.0 AS volts, a / 100.0 AS amps, w / 100.0 AS watts,
    rpm / 10.0 AS rpm, wind / 10.0 AS wind, mode
FROM record;
)sql";

int toVersion1(const Database& db, const MigrationContext& context) {
    int rc = db.exec(kSchema1);
    if (rc != SQLITE_OK)
        return rc;
    Statement insert(db, "INSERT INTO meta(key, value) VALUES('created_date', ?1)");
    if (!insert.ready())
        return insert.rc();
    insert.bind(1, context.createdDate);
    rc = insert.step();
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

// Version 2: alarm raises and clears, oldest first by their order of arrival
// (ts alone can repeat when the clock is set back).
const char* const kSchema2 = R"sql(
CREATE TABLE alarm_event(
    id INTEGER PRIMARY KEY,
    ts INTEGER NOT NULL,
    name TEXT NOT NULL,
    state TEXT NOT NULL,
    value REAL);
CREATE INDEX alarm_event_ts ON alarm_event(ts);
CREATE VIEW alarms AS SELECT ts, name, state, value FROM alarm_event ORDER BY id;
)sql";

int toVersion2(const Database& db, const MigrationContext&) {
    return db.exec(kSchema2);
}

// Version 3: messages for the broker that must not be lost, kept until it
// acknowledged them.  AUTOINCREMENT so an id is never reused once the table
// empties: ids alone give the order they were made in.
const char* const kSchema3 = R"sql(
CREATE TABLE outbox(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    topic TEXT NOT NULL,
    payload BLOB NOT NULL,
    qos INTEGER NOT NULL,
    retain INTEGER NOT NULL);
)sql";

int toVersion3(const Database& db, const MigrationContext&) {
    return db.exec(kSchema3);
}

} // namespace

const std::vector<MigrationStep>& migrationSteps() {
    static const std::vector<MigrationStep> steps{toVersion1, toVersion2, toVersion3};
    return steps;
}

int currentSchemaVersion() {
    return static_cast<int>(migrationSteps().size());
}

int migrate(const Database& db, int from, int to, const MigrationContext& context) {
    const auto& steps = migrationSteps();
    for (int v = from; v < to; ++v) {
        int rc = db.exec("BEGIN IMMEDIATE");
        if (rc != SQLITE_OK)
            return rc;
        // Another program may have migrated the file since the caller read
        // its version; the step must then not run twice.
        Statement version(db, "PRAGMA user_version");
        const int stepRc = version.step();
        rc = stepRc == SQLITE_ROW ? SQLITE_OK : stepRc;
        const std::int64_t found = rc == SQLITE_OK ? version.int64At(0) : -1;
        version.reset();
        if (rc == SQLITE_OK && found != v) {
            db.exec("ROLLBACK");
            if (found < v)
                return SQLITE_ERROR;
            v = static_cast<int>(found) - 1;
            continue;
        }
        if (rc == SQLITE_OK)
            rc = steps[static_cast<std::size_t>(v)](db, context);
        if (rc == SQLITE_OK)
            rc = db.exec(("PRAGMA user_version = " + std::to_string(v + 1)).c_str());
        if (rc == SQLITE_OK)
            rc = db.exec("COMMIT");
        if (rc != SQLITE_OK) {
            db.exec("ROLLBACK");
            return rc;
        }
    }
    return SQLITE_OK;
}

} // namespace korvane
