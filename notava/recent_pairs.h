// The last five ToDo pairs opened, remembered in the user's configuration
// (~/.config/zentrio/notava.conf), newest first.
#pragma once

#include <QStringList>

class RecentPairs {
public:
    static constexpr int MAX_PAIRS = 5;

    QStringList paths() const;
    // Puts `path` first; an older entry of the same pair (either file, any
    // case of the extension) goes.
    void add(const QString& path);
};
