#include "entry_filter.h"

QString searchForm(const QString& text) { return text.normalized(QString::NormalizationForm_KC).toCaseFolded(); }

bool matchesFilter(const QStringList& texts, const QString& typed) {
    const QString wanted = searchForm(typed);
    if (wanted.isEmpty()) return true;
    for (const QString& text : texts)
        if (searchForm(text).contains(wanted)) return true;
    return false;
}
