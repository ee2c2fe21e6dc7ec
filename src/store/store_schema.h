#pragma once
// The layout of korvane.db and the steps that bring an older file up to it.
//
// Tables (scaled integers keep a row to tens of bytes):
//   minute(ts, date, packets, v_min, v_mean, v_max, a_min, a_mean, a_max,
//          w_min, w_mean, w_max, rpm_mean, rpm_max, wind_mean, wind_max,
//          load_ms, wh)
//       ts: UTC seconds (the rowid); date: local yyyymmdd; volts, amps and
//       watts extremes in hundredths, rpm and wind maxima in tenths, every
//       mean in thousandths; load_ms in milliseconds; wh REAL.  Packet
//       statistics are NULL when packets is 0.
//   day_total(date, first_ts, last_ts, minutes, packets, wh, v_min, v_max,
//             w_max, wind_max, load_ms): the sums of a date's minutes, kept
//       in the same transaction as each minute.
//   day_wind(date, pairs): the (mean wind, mean watts) of each of a date's
//       minutes with packets, packed in one BLOB (see store_rows.h) so a
//       power curve of a year reads 365 rows instead of half a million.
//   record(date, seq, minute, v, a, w, rpm, wind, mode): interval records of
//       imported logs; minute of the day 0..1439; v, a, w in hundredths, rpm
//       and wind in tenths (a log keeps 2 and 1 decimals).
//   record_day(date, records, v_min, v_max, w_max, wind_max): peaks of a
//       date's records; v_min is the lowest non-zero interval peak.
//   log_file(date, name, bytes, records): logs already imported.
//   meta(key, value): 'created_date' (yyyymmdd).
//   alarm_event(id, ts, name, state, value): alarm raises and clears; ts in
//       UTC seconds, state "raised" or "cleared" (version 2).
// Views `minutes`, `days` and `records` give the same data in plain units
// with the text day key; `alarms(ts, name, state, value)` the alarm events.

#include "sqlite_handle.h"

#include <vector>

namespace korvane {

struct MigrationContext {
    int createdDate = 0; // yyyymmdd stored in a brand-new file
};

// Step i takes a file from schema version i to i + 1.  It runs inside the
// caller's transaction and does not set user_version.  Returns a SQLite code.
using MigrationStep = int (*)(const Database& db, const MigrationContext& context);

const std::vector<MigrationStep>& migrationSteps();

// The version this program writes: the number of steps.
int currentSchemaVersion();

// Runs steps [from, to), each with its user_version in its own transaction.
// Returns a SQLite code; the file keeps the last version that committed.
int migrate(const Database& db, int from, int to, const MigrationContext& context);

} // namespace korvane
