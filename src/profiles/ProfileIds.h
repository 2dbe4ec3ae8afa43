#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

// Ids of profiles and macros. An id names a file in a device folder
// (id + ".Json", id + ".mac"), and ids also come from files ("profileUUID",
// a light effect's "Guid"); before one is put into a path it must be a
// plain file name.

// Whether `id` can be used as a file name inside a folder without naming
// anything outside it: not empty, not "." or "..", no "/" or "\\", no NUL or
// other control character, and short enough for the longest name the
// program makes from it (the writer's ".<id>.Json.travix-tmp.XXXXXX", a
// numbered backup "<id>.Json.broken.1000") within the file system's name
// limit.
// Leading and trailing spaces are allowed: they name a file in the folder
// like any other character.
bool IsPlainFileName(const QString& id);

// The id of a new profile or macro: the time `now` as
// "year_month_day_hour_minute_second_millisecond", e.g.
// 2024_01_05_13_02_07_123.
QString MakeTimeStampId(const QDateTime& now);

// A time-stamp id, from `start` (the local time when invalid) onwards in
// steps of one millisecond, that `taken` does not claim and for which no
// file folder + id + suffix exists. Ids made within one millisecond, or
// again in the repeated hour when the clocks go back, would otherwise
// collide. Empty when no free id is found within kMaxIdAttempts steps.
QString MakeUniqueTimeStampId(const QString& folder, const std::function<bool(const QString&)>& taken,
                              const QString& suffix = QStringLiteral(".Json"),
                              const QDateTime& start = QDateTime());

inline constexpr int kMaxIdAttempts = 100000;
// Bytes of UTF-8; the file system allows 255 for a whole name.
inline constexpr int kMaxIdBytes = 200;
