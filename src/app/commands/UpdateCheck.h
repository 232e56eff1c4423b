#pragma once
// Starting the update client: the automatic check at start-up and the manual one.
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

namespace cmd {

// The few settings the check needs: integers of velmo.ini by section and key.
// AppSettings provides both calls; tests pass a map.
struct IntSettings {
    std::function<int(const QString& section, const QString& key, int def)> readInt;
    std::function<void(const QString& section, const QString& key, int value)> writeInt;
};
template <typename Settings>
IntSettings intSettingsOf(Settings& s)
{
    return {[&s](const QString& sec, const QString& key, int def) { return s.ReadInt(sec, key, def); },
            [&s](const QString& sec, const QString& key, int value) { s.WriteInt(sec, key, value); }};
}

// Whole days since 1970-01-01 UTC.
int dayNumber(const QDateTime& time);
// "UpdateInterval" with its clamp: values outside 1-30 become 3.
int clampUpdateInterval(int days);
// The automatic check runs when no check was stored yet, or when today is a new day and a
// multiple of the interval.
bool automaticCheckDue(int lastUpdate, int interval, int today);

// The update client's arguments: "-id:1 velmo", with "-s" for the silent check.
QStringList updateClientArguments(bool silent);
// Starts "velmoupd" from the program folder (the application's folder when empty) without
// a shell and without waiting. Returns whether it started; callers stay silent on failure.
bool startUpdateClient(bool silent, const QString& programFolder = QString());

// The check of the editor: forced (the Help menu, the About box) starts the client at
// once in normal mode; otherwise (start-up, silent) it runs only when due and records
// today's day number in [UPDATE] "LastUpdate" first. The day comes from the clock seam.
// Returns whether the client was started.
bool CheckForUpdate(const IntSettings& settings, bool forced, bool silent,
                    const QString& programFolder = QString());
// At frame creation: the automatic check when "Auto Update" (EditorMask bit 21) is on.
bool autoCheckAtStartup(const IntSettings& settings, unsigned editorMask,
                        const QString& programFolder = QString());

} // namespace cmd
