#include "recent_pairs.h"

#include <QSettings>

#include "todo_files.h"

namespace {

constexpr const char* KEY = "recentPairs";

QSettings settings() { return QSettings("zentrio", "notava"); }

// The pair a path belongs to, whatever member or extension case names it.
QString pairKey(const QString& path) {
    return QString::fromStdString(asciiLower(todoPairFor(path.toStdString()).index));
}

}  // namespace

QStringList RecentPairs::paths() const { return settings().value(KEY).toStringList().mid(0, MAX_PAIRS); }

void RecentPairs::add(const QString& path) {
    QStringList paths = {path};
    for (const QString& older : this->paths())
        if (pairKey(older) != pairKey(path) && paths.size() < MAX_PAIRS) paths << older;
    settings().setValue(KEY, paths);
}
